// The exports. Each one guards its body: no exception ever leaves
// the library (with a static runtime it would end the host), a null result
// pointer makes a check do nothing and return 1, and a null count is treated
// as "no count" even where the host is required to pass one.
#include <new>

#include "disk/checks.h"
#include "hardware/checks.h"
#include "network/checks.h"
#include "plugin/system_dlls.h"
#include "process/checks.h"
#include "software/checks.h"
#include "sysinfo/checks.h"

#if defined(TALLOWICK_PROJECT_VERSION_MAJOR)
static_assert(TALLOWICK_VERSION_MAJOR == TALLOWICK_PROJECT_VERSION_MAJOR &&
                  TALLOWICK_VERSION_MINOR == TALLOWICK_PROJECT_VERSION_MINOR &&
                  TALLOWICK_VERSION_PATCH == TALLOWICK_PROJECT_VERSION_PATCH,
              "tallowick.h's version macros and the project's version differ");
#endif

namespace {

template <typename F>
int Guard(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return 1;
    }
}

using tallowick::SystemDll;

// A check: a null result pointer does nothing and returns 1; the system DLLs
// it needs are loaded first, and when one cannot be, it fails as it fails
// otherwise: returns 1 with a null result and a count of 0. A null
// count becomes a local one, so the body always has somewhere to count.
template <typename Result, typename Body>
int GuardCheck(Result** result, int* count, std::initializer_list<SystemDll> dlls, Body&& body) noexcept {
    if (!result) return 1;
    if (!tallowick::LoadSystemDlls(dlls)) {
        *result = nullptr;
        if (count) *count = 0;
        return 1;
    }
    return Guard([&] {
        int local = 0;
        return body(count ? count : &local);
    });
}

}  // namespace

using namespace tallowick;

extern "C" {

int __cdecl Check_HDD(HddNode** result, CheckCallback callback, int* count, intptr_t context) {
    return GuardCheck(result, count, {SystemDll::Advapi32}, [&](int* n) { return CheckHdd(result, callback, n, context); });
}

int __cdecl Check_HardwareConfig(HardwareConfigResult** result, CheckCallback callback, int* count,
                                 intptr_t context) {
    return GuardCheck(result, count, {SystemDll::Advapi32, SystemDll::Ole32, SystemDll::Oleaut32}, [&](int* n) { return CheckHardwareConfig(result, callback, n, context); });
}

int __cdecl Check_InstalledApps(InstalledAppNode** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Advapi32}, [&](int* n) { return CheckInstalledApps(result, n); });
}

int __cdecl Check_NetConfig(NetConfigNode** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Iphlpapi}, [&](int* n) { return CheckNetConfig(result, n); });
}

int __cdecl Check_NetInfo(NetInfoResult** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Advapi32, SystemDll::Netapi32, SystemDll::Ws2_32}, [&](int* n) { return CheckNetInfo(result, n); });
}

int __cdecl Check_Network(NetworkResult** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Wininet}, [&](int* n) { return CheckNetwork(result, n); });
}

int __cdecl Check_Process(ProcessNode** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Advapi32, SystemDll::Psapi, SystemDll::Wtsapi32}, [&](int* n) { return CheckProcess(result, n); });
}

int __cdecl Check_ShareResource(ShareResourceNode** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Netapi32}, [&](int* n) { return CheckShareResource(result, n); });
}

int __cdecl Check_SysInfo(SysInfoResult** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Advapi32}, [&](int* n) { return CheckSysInfo(result, n); });
}

int __cdecl Release_HDD(HddNode* list) {
    return Guard([&] { return ReleaseHdd(list); });
}

// Also exported as Release_Network: both results are single blocks that own
// nothing, so one function frees either.
int __cdecl Release_HardwareConfig(void* block) {
    return Guard([&] {
        ::operator delete(block);
        return 0;
    });
}

int __cdecl Release_InstalledApps(InstalledAppNode* list) {
    return Guard([&] { return ReleaseInstalledApps(list); });
}

int __cdecl Release_NetConfig(NetConfigNode* list) {
    return Guard([&] { return ReleaseNetConfig(list); });
}

int __cdecl Release_NetInfo(NetInfoResult* record) {
    return Guard([&] { return ReleaseNetInfo(record); });
}

int __cdecl Release_Process(ProcessNode* list) {
    return Guard([&] { return ReleaseProcess(list); });
}

int __cdecl Release_ShareResource(ShareResourceNode* list) {
    return Guard([&] { return ReleaseShareResource(list); });
}

int __cdecl Release_SysInfo(SysInfoResult* record) {
    return Guard([&] { return ReleaseSysInfo(record); });
}

// Without netapi32 the repair removes nothing and leaves the list as it is.
int __cdecl Repair_ShareResource(ShareResourceNode* list, CheckCallback callback, intptr_t context) {
    if (!tallowick::LoadSystemDlls({SystemDll::Netapi32})) return 0;
    Guard([&] { return RepairShareResource(list, callback, context); });
    return 0;
}

int __cdecl Check_OsVersion(OsVersionResult** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Advapi32}, [&](int* n) { return CheckOsVersion(result, n); });
}

int __cdecl Release_OsVersion(OsVersionResult* record) {
    return Guard([&] { return ReleaseOsVersion(record); });
}

int __cdecl Check_InstalledAppsEx(InstalledAppExNode** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Advapi32}, [&](int* n) { return CheckInstalledAppsEx(result, n); });
}

int __cdecl Release_InstalledAppsEx(InstalledAppExNode* list) {
    return Guard([&] { return ReleaseInstalledAppsEx(list); });
}

int __cdecl Tallowick_GetVersion(int* major, int* minor, int* patch) {
    if (major) *major = TALLOWICK_VERSION_MAJOR;
    if (minor) *minor = TALLOWICK_VERSION_MINOR;
    if (patch) *patch = TALLOWICK_VERSION_PATCH;
    return TALLOWICK_VERSION;
}

int __cdecl Check_NetConfigEx(NetAdapterExNode** result, CheckCallback, int* count, intptr_t) {
    return GuardCheck(result, count, {SystemDll::Iphlpapi}, [&](int* n) { return CheckNetConfigEx(result, n); });
}

int __cdecl Release_NetConfigEx(NetAdapterExNode* list) {
    return Guard([&] { return ReleaseNetConfigEx(list); });
}

}  // extern "C"
