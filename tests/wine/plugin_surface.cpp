// The plug-in surface as a host sees it: every export resolves, null pointers
// from a host never crash the library, releases accept what they should.
// ctest-lock: prefix
// ctest-labels: bitness
// WinINet in a 32-bit process under qemu-i386 crashes once a thread of the
// process has ended (seen with a plain WinINet program and no library).
// ctest-qemu-filter: -Surface.ThreadsComingAndGoingKeepTheCatalogue
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

DWORD WINAPI DoNothing(LPVOID) { return 0; }

TEST(Surface, EveryExportResolvesAndAliasesShareAnEntry) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    const char* names[] = {"Check_HDD", "Check_HardwareConfig", "Check_InstalledApps", "Check_NetConfig",
                           "Check_NetInfo", "Check_Network", "Check_Process", "Check_ShareResource",
                           "Check_SysInfo", "Release_HDD", "Release_HardwareConfig", "Release_InstalledApps",
                           "Release_NetConfig", "Release_NetInfo", "Release_Network", "Release_Process",
                           "Release_ShareResource", "Release_SysInfo", "Repair_ShareResource",
                           "Check_OsVersion", "Release_OsVersion", "Tallowick_GetVersion",
                           "Check_NetConfigEx", "Release_NetConfigEx"};
    for (int i = 0; i < static_cast<int>(sizeof names / sizeof names[0]); ++i) {
        EXPECT_NE(lib.raw(names[i]), nullptr) << names[i];
        EXPECT_EQ(GetProcAddress(lib.module(), MAKEINTRESOURCEA(i + 1)), lib.raw(names[i])) << names[i];
    }
    EXPECT_EQ(lib.raw("Release_Network"), lib.raw("Release_HardwareConfig"));
    EXPECT_EQ(lib.raw("DllMain"), nullptr);
}

TEST(Surface, NullResultPointerReturnsOneForEveryCheck) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    int count = 77;
    EXPECT_EQ(lib.Check_HDD_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_HardwareConfig_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_InstalledApps_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_NetConfig_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_NetInfo_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_Network_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_Process_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_ShareResource_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_SysInfo_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_OsVersion_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Check_NetConfigEx_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(count, 77) << "a check without a result location wrote the count";
}

TEST(Surface, ReleasesOfNullFollowTheirRules) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    EXPECT_EQ(lib.Release_SysInfo_(nullptr), 1);
    EXPECT_EQ(lib.Release_NetInfo_(nullptr), 1);
    EXPECT_EQ(lib.Release_OsVersion_(nullptr), 1);
    EXPECT_EQ(lib.Release_HDD_(nullptr), 0);
    EXPECT_EQ(lib.Release_HardwareConfig_(nullptr), 0);
    EXPECT_EQ(lib.Release_Network_(nullptr), 0);
    EXPECT_EQ(lib.Release_InstalledApps_(nullptr), 0);
    EXPECT_EQ(lib.Release_NetConfig_(nullptr), 0);
    EXPECT_EQ(lib.Release_Process_(nullptr), 0);
    EXPECT_EQ(lib.Release_ShareResource_(nullptr), 0);
    EXPECT_EQ(lib.Release_NetConfigEx_(nullptr), 0);
    EXPECT_EQ(lib.Repair_ShareResource_(nullptr, nullptr, 0), 0);
}

TEST(Surface, NullCountIsNoCount) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    NetworkResult* net = nullptr;
    EXPECT_EQ(lib.Check_Network_(&net, nullptr, nullptr, 0), 0);
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(lib.Release_Network_(net), 0);
    HardwareConfigResult* hw = nullptr;
    EXPECT_EQ(lib.Check_HardwareConfig_(&hw, nullptr, nullptr, 0), 0);
    // Either release frees either single block.
    EXPECT_EQ(lib.Release_Network_(hw), 0);
}

TEST(Surface, ThreadsComingAndGoingKeepTheCatalogue) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    for (int i = 0; i < 3; ++i) {
        HANDLE t = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
    NetworkResult* net = nullptr;
    int count = 0;
    ASSERT_EQ(lib.Check_Network_(&net, nullptr, &count, 0), 0);
    ASSERT_NE(net, nullptr);
    EXPECT_NE(net->szVerdict[0], 0) << "catalogue buffer gone after a thread detached";
    lib.Release_Network_(net);
}

// Catalogue lookups on several threads at once: every record gets the texts
// of its own ids, never a text another thread looked up meanwhile.
TEST(Surface, NetworkChecksOnSeveralThreadsKeepTheirOwnTexts) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    NetworkResult* first = nullptr;
    int count = 0;
    ASSERT_EQ(lib.Check_Network_(&first, nullptr, &count, 0), 0);
    ASSERT_NE(first, nullptr);
    const std::wstring verdict = first->szVerdict, state = first->szNetworkState;
    lib.Release_Network_(first);
    ASSERT_NE(verdict, state);

    std::atomic<int> wrong{0}, done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                NetworkResult* net = nullptr;
                int n = 0;
                if (lib.Check_Network_(&net, nullptr, &n, 0) != 0 || !net) {
                    ++wrong;
                    continue;
                }
                if (verdict != net->szVerdict || state != net->szNetworkState) ++wrong;
                lib.Release_Network_(net);
                ++done;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(done.load(), 100);
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
