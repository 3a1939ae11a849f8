// ctest-lock: prefix
// Runs every check and its release many times in one process and compares
// the process's private bytes and handle count after a warm-up and at the end.
// Also holds results of different checks at once and releases them in
// another order, and runs checks on two threads at once.
#include <gtest/gtest.h>

#include "test_support.h"  // windows.h first

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

struct Usage {
    SIZE_T privateBytes = 0;
    DWORD handles = 0;
};

// Committed private memory, summed over the address space. Wine leaves
// PROCESS_MEMORY_COUNTERS_EX.PrivateUsage at 0, so this stands in for it.
SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    const char* address = nullptr;
    while (VirtualQuery(address, &mbi, sizeof(mbi)) == sizeof(mbi)) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
        const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return total;
}

// Open handles, by probing the handle table. Wine answers
// GetProcessHandleCount with 0, so this stands in for it.
DWORD ProbeHandleCount() {
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

Usage Measure() {
    Usage u;
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof(pmc);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc)))
        u.privateBytes = pmc.PrivateUsage;
    if (u.privateBytes == 0) u.privateBytes = CommittedPrivateBytes();
    if (!GetProcessHandleCount(GetCurrentProcess(), &u.handles) || u.handles == 0) u.handles = ProbeHandleCount();
    return u;
}

int Iterations() {
    const char* env = std::getenv("TALLOWICK_SOAK_ITERATIONS");
    int n = env ? std::atoi(env) : 1000;
    return n > 0 ? n : 1000;
}

// One round: every check and its release through the exports.
void RunAllChecks(tw::Library& lib) {
    int count = 0;
    SysInfoResult* sys = nullptr;
    lib.Check_SysInfo_(&sys, nullptr, &count, 0);
    lib.Release_SysInfo_(sys);
    NetInfoResult* net = nullptr;
    lib.Check_NetInfo_(&net, nullptr, &count, 0);
    lib.Release_NetInfo_(net);
    HardwareConfigResult* hw = nullptr;
    lib.Check_HardwareConfig_(&hw, nullptr, &count, 0);
    lib.Release_HardwareConfig_(hw);
    HddNode* hdd = nullptr;
    lib.Check_HDD_(&hdd, nullptr, &count, 0);
    lib.Release_HDD_(hdd);
    ProcessNode* proc = nullptr;
    lib.Check_Process_(&proc, nullptr, &count, 0);
    lib.Release_Process_(proc);
    NetConfigNode* adapters = nullptr;
    lib.Check_NetConfig_(&adapters, nullptr, &count, 0);
    lib.Release_NetConfig_(adapters);
    NetworkResult* reach = nullptr;
    lib.Check_Network_(&reach, nullptr, &count, 0);
    lib.Release_Network_(reach);
    ShareResourceNode* shares = nullptr;
    lib.Check_ShareResource_(&shares, nullptr, &count, 0);
    lib.Repair_ShareResource_(shares, nullptr, 0);
    lib.Release_ShareResource_(shares);
    InstalledAppNode* apps = nullptr;
    lib.Check_InstalledApps_(&apps, nullptr, &count, 0);
    lib.Release_InstalledApps_(apps);
}

TEST(Soak, ThousandRoundsDoNotGrowMemoryOrHandles) {
    tw::LoopbackHttpServer server(404);
    tw::ScopedProxy proxy(server.port());
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    const int rounds = Iterations();
    const int warmup = rounds / 10 > 20 ? 20 : (rounds / 10 > 0 ? rounds / 10 : 1);
    for (int i = 0; i < warmup; ++i) RunAllChecks(lib);
    Usage before = Measure();
    DWORD start = GetTickCount();
    for (int i = 0; i < rounds; ++i) RunAllChecks(lib);
    DWORD elapsed = GetTickCount() - start;
    Usage after = Measure();
    long long growth = static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes);
    long long handleGrowth = static_cast<long long>(after.handles) - static_cast<long long>(before.handles);
    std::printf("soak: %d rounds in %lu ms; private bytes %lu -> %lu (%+lld); handles %lu -> %lu (%+lld)\n",
                rounds, static_cast<unsigned long>(elapsed), static_cast<unsigned long>(before.privateBytes),
                static_cast<unsigned long>(after.privateBytes), growth, static_cast<unsigned long>(before.handles),
                static_cast<unsigned long>(after.handles), handleGrowth);
    // Noise: heap growth from allocator fragmentation and Wine's own caches
    // stays well under 1 MiB; a leak of one small record per round would
    // already pass it (1000 x ~1.5 KiB). Handles must not grow beyond what
    // Wine's services open lazily.
    EXPECT_LT(growth, 1024 * 1024) << "private bytes grew";
    EXPECT_LE(handleGrowth, 8) << "handle count grew";
}

TEST(Soak, ResultsHeldAtOnceAndReleasedInAnotherOrder) {
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    int count = 0;
    SysInfoResult* sys = nullptr;
    NetInfoResult* net = nullptr;
    HardwareConfigResult* hw = nullptr;
    ProcessNode* proc = nullptr;
    NetworkResult* reach = nullptr;
    InstalledAppNode* apps = nullptr;
    HddNode* hdd = nullptr;
    ASSERT_EQ(lib.Check_SysInfo_(&sys, nullptr, &count, 0), 0);
    ASSERT_EQ(lib.Check_NetInfo_(&net, nullptr, &count, 0), 0);
    ASSERT_EQ(lib.Check_HardwareConfig_(&hw, nullptr, &count, 0), 0);
    ASSERT_EQ(lib.Check_Process_(&proc, nullptr, &count, 0), 0);
    ASSERT_EQ(lib.Check_Network_(&reach, nullptr, &count, 0), 0);
    ASSERT_EQ(lib.Check_InstalledApps_(&apps, nullptr, &count, 0), 0);
    ASSERT_EQ(lib.Check_HDD_(&hdd, nullptr, &count, 0), 0);
    // A second result of the same check while the first is held.
    NetworkResult* reach2 = nullptr;
    ASSERT_EQ(lib.Check_Network_(&reach2, nullptr, &count, 0), 0);
    ASSERT_NE(reach, reach2);
    EXPECT_EQ(lib.Release_HDD_(hdd), 0);
    EXPECT_EQ(lib.Release_Network_(reach2), 0);
    EXPECT_EQ(lib.Release_InstalledApps_(apps), 0);
    EXPECT_EQ(lib.Release_HardwareConfig_(hw), 0);
    EXPECT_EQ(lib.Release_SysInfo_(sys), 0);
    EXPECT_EQ(lib.Release_Process_(proc), 0);
    EXPECT_EQ(lib.Release_Network_(reach), 0);
    EXPECT_EQ(lib.Release_NetInfo_(net), 0);
}

struct ThreadWork {
    tw::Library* lib;
    std::function<void(tw::Library&)> body;
    int rounds;
};

DWORD WINAPI RunThread(LPVOID param) {
    auto* work = static_cast<ThreadWork*>(param);
    for (int i = 0; i < work->rounds; ++i) work->body(*work->lib);
    return 0;
}

TEST(Soak, TwoThreadsRunningOtherChecksAtOnce) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    // Checks that share no state may run on two threads at once. (The two
    // catalogue users, and two drive surveys, are excluded by the rules.)
    ThreadWork a{&lib, [](tw::Library& l) {
                     int count = 0;
                     SysInfoResult* sys = nullptr;
                     l.Check_SysInfo_(&sys, nullptr, &count, 0);
                     l.Release_SysInfo_(sys);
                     ProcessNode* proc = nullptr;
                     l.Check_Process_(&proc, nullptr, &count, 0);
                     l.Release_Process_(proc);
                     InstalledAppNode* apps = nullptr;
                     l.Check_InstalledApps_(&apps, nullptr, &count, 0);
                     l.Release_InstalledApps_(apps);
                 }, 40};
    ThreadWork b{&lib, [](tw::Library& l) {
                     int count = 0;
                     NetInfoResult* net = nullptr;
                     l.Check_NetInfo_(&net, nullptr, &count, 0);
                     l.Release_NetInfo_(net);
                     HardwareConfigResult* hw = nullptr;
                     l.Check_HardwareConfig_(&hw, nullptr, &count, 0);
                     l.Release_HardwareConfig_(hw);
                     NetConfigNode* adapters = nullptr;
                     l.Check_NetConfig_(&adapters, nullptr, &count, 0);
                     l.Release_NetConfig_(adapters);
                 }, 40};
    HANDLE threads[2] = {CreateThread(nullptr, 0, RunThread, &a, 0, nullptr),
                         CreateThread(nullptr, 0, RunThread, &b, 0, nullptr)};
    ASSERT_EQ(WaitForMultipleObjects(2, threads, TRUE, 100000), WAIT_OBJECT_0);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    // The library still answers afterwards.
    int count = 0;
    NetInfoResult* net = nullptr;
    EXPECT_EQ(lib.Check_NetInfo_(&net, nullptr, &count, 0), 0);
    lib.Release_NetInfo_(net);
}

}  // namespace
