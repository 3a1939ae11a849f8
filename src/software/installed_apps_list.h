// The operations behind Check_InstalledApps.
#pragma once

#include "software/checks.h"
#include "software/installed_apps.h"

namespace tallowick {

// The uninstall key read, under HKEY_LOCAL_MACHINE.
constexpr const wchar_t* kUninstallKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Reads the uninstall entries into a list (null when there are none or the
// key cannot be opened). `count`, when given, receives the number of nodes.
InstalledAppNode* ListInstalledApps(int* count);

// Appends a node for the pair, each text bounded to its field, and records
// the pair in `listed`, unless it is listed already. Counts the node in
// `*count` (when given). False when the pair was listed already or no node
// could be made.
bool AppendListedApp(ListBuilder<InstalledAppNode>& list, ListedApps& listed, TextView displayName,
                     TextView publisher, int* count);

}  // namespace tallowick
