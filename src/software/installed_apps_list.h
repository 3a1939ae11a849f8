// The operations behind Check_InstalledApps.
#pragma once

#include "software/checks.h"

namespace tallowick {

// The uninstall key read, under HKEY_LOCAL_MACHINE.
constexpr const wchar_t* kUninstallKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Reads the uninstall entries into a list (null when there are none or the
// key cannot be opened). `count`, when given, receives the number of nodes.
InstalledAppNode* ListInstalledApps(int* count);

}  // namespace tallowick
