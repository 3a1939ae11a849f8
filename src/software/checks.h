// The bodies of Check_InstalledApps, Check_InstalledAppsEx and their releases.
// The exports guard these bodies: they catch every exception and hand in a
// local count where the host gave none, so `count` is never null here.
#pragma once

#include "core/records.h"

namespace tallowick {

int CheckInstalledApps(InstalledAppNode** result, int* count);
int ReleaseInstalledApps(InstalledAppNode* list);

// The programs as Windows' own list of installed apps shows them.
int CheckInstalledAppsEx(InstalledAppExNode** result, int* count);
int ReleaseInstalledAppsEx(InstalledAppExNode* list);

}  // namespace tallowick
