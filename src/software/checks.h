// The bodies of Check_InstalledApps and Release_InstalledApps.
// The exports guard these bodies: they catch every exception and hand in a
// local count where the host gave none, so `count` is never null here.
#pragma once

#include "core/records.h"

namespace tallowick {

int CheckInstalledApps(InstalledAppNode** result, int* count);
int ReleaseInstalledApps(InstalledAppNode* list);

}  // namespace tallowick
