// The nineteen exports. Each one guards its body: no exception ever leaves
// the library (with a static runtime it would end the host), a null result
// pointer makes a check do nothing and return 1, and a null count is treated
// as "no count" even where the host is required to pass one.
#include <new>

#include "plugin/checks.h"

namespace {

template <typename F>
int Guard(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return 1;
    }
}

}  // namespace

using namespace tallowick;

extern "C" {

int __cdecl Check_HDD(HddNode** result, CheckCallback callback, int* count, intptr_t context) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckHdd(result, callback, count ? count : &local, context);
    });
}

int __cdecl Check_HardwareConfig(HardwareConfigResult** result, CheckCallback callback, int* count,
                                 intptr_t context) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckHardwareConfig(result, callback, count ? count : &local, context);
    });
}

int __cdecl Check_InstalledApps(InstalledAppNode** result, CheckCallback, int* count, intptr_t) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckInstalledApps(result, count ? count : &local);
    });
}

int __cdecl Check_NetConfig(NetConfigNode** result, CheckCallback, int* count, intptr_t) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckNetConfig(result, count ? count : &local);
    });
}

int __cdecl Check_NetInfo(NetInfoResult** result, CheckCallback, int* count, intptr_t) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckNetInfo(result, count ? count : &local);
    });
}

int __cdecl Check_Network(NetworkResult** result, CheckCallback, int* count, intptr_t) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckNetwork(result, count ? count : &local);
    });
}

int __cdecl Check_Process(ProcessNode** result, CheckCallback, int* count, intptr_t) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckProcess(result, count ? count : &local);
    });
}

int __cdecl Check_ShareResource(ShareResourceNode** result, CheckCallback, int* count, intptr_t) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckShareResource(result, count ? count : &local);
    });
}

int __cdecl Check_SysInfo(SysInfoResult** result, CheckCallback, int* count, intptr_t) {
    if (!result) return 1;
    return Guard([&] {
        int local = 0;
        return CheckSysInfo(result, count ? count : &local);
    });
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

int __cdecl Repair_ShareResource(ShareResourceNode* list, CheckCallback callback, intptr_t context) {
    Guard([&] { return RepairShareResource(list, callback, context); });
    return 0;
}

}  // extern "C"
