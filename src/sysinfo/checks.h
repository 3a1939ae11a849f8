// The bodies of Check_SysInfo, Check_NetInfo, Check_OsVersion and their releases.
// The exports guard these bodies: they catch every exception and hand in a
// local count where the host gave none, so `count` is never null here.
#pragma once

#include "core/records.h"

namespace tallowick {

int CheckSysInfo(SysInfoResult** result, int* count);
int ReleaseSysInfo(SysInfoResult* record);

int CheckNetInfo(NetInfoResult** result, int* count);
int ReleaseNetInfo(NetInfoResult* record);

// The running Windows as it names itself: one record, count 1.
int CheckOsVersion(OsVersionResult** result, int* count);
int ReleaseOsVersion(OsVersionResult* record);

}  // namespace tallowick
