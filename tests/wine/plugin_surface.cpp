// The plug-in surface as a host sees it: every export resolves, null pointers
// from a host never crash the library, releases accept what they should.
// ctest-lock: prefix
// ctest-labels: bitness
// WinINet in a 32-bit process under qemu-i386 crashes once a thread of the
// process has ended (seen with a plain WinINet program and no library).
// The failed-check rows start a Wine process per row, a minute or two each
// there.
// ctest-qemu-filter: -Surface.ThreadsComingAndGoingKeepTheCatalogue:Surface.FailedCheckHandsOverNoResult
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

DWORD WINAPI DoNothing(LPVOID) { return 0; }

constexpr bool kX64 = sizeof(void*) == 8;

// A check that returns 1 hands over no result: *result stays what the host
// stored, or becomes NULL, never a record; the count reads 0. Each row runs
// in a copy of this program (the system DLL it names disabled for that copy
// alone), so a row's own result location can be preset and read back.
enum class After { Untouched, Null };
struct FailureRow {
    const char* name;
    const wchar_t* disabledDll;  // empty: none; the failure comes from a throwing callback
    bool x64Only;                // a callback that throws ends an x86 process (std::terminate)
    After after;
    int (*run)(tw::Library& lib, void** result, int* count);
};

int __cdecl ThrowAtOnce(const wchar_t*, int, int, int, int, intptr_t, const wchar_t*, int, int*) {
    throw std::runtime_error("host callback failed");
}

template <typename T>
T** As(void** result) {
    return reinterpret_cast<T**>(result);
}

const FailureRow kFailureRows[] = {
    {"adapters without iphlpapi", L"iphlpapi", false, After::Null,
     [](tw::Library& lib, void** r, int* n) { return lib.Check_NetConfig_(As<NetConfigNode>(r), nullptr, n, 0); }},
    {"connectivity without wininet", L"wininet", false, After::Null,
     [](tw::Library& lib, void** r, int* n) { return lib.Check_Network_(As<NetworkResult>(r), nullptr, n, 0); }},
    {"shares without netapi32", L"netapi32", false, After::Null,
     [](tw::Library& lib, void** r, int* n) {
         return lib.Check_ShareResource_(As<ShareResourceNode>(r), nullptr, n, 0);
     }},
    {"hardware without oleaut32", L"oleaut32", false, After::Null,
     [](tw::Library& lib, void** r, int* n) {
         return lib.Check_HardwareConfig_(As<HardwareConfigResult>(r), nullptr, n, 0);
     }},
    {"hardware, the callback throws", L"", true, After::Untouched,
     [](tw::Library& lib, void** r, int* n) {
         return lib.Check_HardwareConfig_(As<HardwareConfigResult>(r), ThrowAtOnce, n, 0);
     }},
    {"drive survey, the callback throws", L"", true, After::Untouched,
     [](tw::Library& lib, void** r, int* n) { return lib.Check_HDD_(As<HddNode>(r), ThrowAtOnce, n, 0); }},
};

const wchar_t kFailureRowVariable[] = L"TALLOWICK_SURFACE_FAILURE_ROW";
void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x5E7710));
// The child's exit code: 1000 + 100 * return code + 10 * what *result holds
// (0 the sentinel, 1 NULL, 2 anything else) + 1 when the count is not 0;
// kDllAlreadyLoaded when the row's DLL was in the process before the check.
constexpr DWORD kDllAlreadyLoaded = 20;

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
    const char* installedAppsEx[] = {"Check_InstalledAppsEx", "Release_InstalledAppsEx"};  // ordinals 25, 26
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(lib.raw(installedAppsEx[i]), nullptr) << installedAppsEx[i];
        EXPECT_EQ(GetProcAddress(lib.module(), MAKEINTRESOURCEA(25 + i)), lib.raw(installedAppsEx[i]))
            << installedAppsEx[i];
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
    EXPECT_EQ(lib.Check_InstalledAppsEx_(nullptr, nullptr, &count, 0), 1);
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
    EXPECT_EQ(lib.Release_InstalledAppsEx_(nullptr), 0);
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

// Runs in the copy of this program that FailedCheckHandsOverNoResult starts.
TEST(SurfaceChild, FailedCheck) {
    wchar_t row[16] = {};
    if (!GetEnvironmentVariableW(kFailureRowVariable, row, 16)) GTEST_SKIP() << "started by the row test alone";
    const FailureRow& r = kFailureRows[std::wcstol(row, nullptr, 10)];
    if (*r.disabledDll && GetModuleHandleW(r.disabledDll)) std::_Exit(static_cast<int>(kDllAlreadyLoaded));
    tw::Library lib;
    if (!lib.loaded()) std::_Exit(2);
    void* result = kSentinel;
    int count = 77;
    const int rc = r.run(lib, &result, &count);
    const int held = result == kSentinel ? 0 : result == nullptr ? 1 : 2;
    std::_Exit(1000 + 100 * rc + 10 * held + (count != 0 ? 1 : 0));
}

TEST(Surface, FailedCheckHandsOverNoResult) {
    tw::TempDir dir;
    const std::wstring copy = dir.file(L"it_surface_child.exe");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\it_surface_child.exe";
    tw::ScopedRegKey app(HKEY_CURRENT_USER, appKey);
    for (std::size_t i = 0; i < std::size(kFailureRows); ++i) {
        const FailureRow& r = kFailureRows[i];
        SCOPED_TRACE(r.name);
        if (r.x64Only && !kX64) continue;
        tw::ScopedRegKey overrides(HKEY_CURRENT_USER, appKey + L"\\DllOverrides");
        if (*r.disabledDll) ASSERT_EQ(overrides.setString(r.disabledDll, L""), ERROR_SUCCESS);
        ASSERT_TRUE(SetEnvironmentVariableW(kFailureRowVariable, std::to_wstring(i).c_str()));
        tw::ProgramRun run = tw::RunProgram(copy, L"--gtest_filter=SurfaceChild.FailedCheck", L"", 120000);
        SetEnvironmentVariableW(kFailureRowVariable, nullptr);
        ASSERT_TRUE(run.started) << run.error;
        ASSERT_TRUE(run.ended);
        std::printf("%s: child exit code %lu\n", r.name, static_cast<unsigned long>(run.exitCode));
        if (run.exitCode == kDllAlreadyLoaded) {
            std::printf("  the DLL was loaded before the check: row not measured\n");
            continue;
        }
        const DWORD held = r.after == After::Untouched ? 0 : 1;
        EXPECT_EQ(run.exitCode, 1000u + 100u + 10u * held)
            << "expected return code 1, *result " << (held ? "NULL" : "untouched") << ", count 0";
    }
    DeleteFileW(copy.c_str());
}

}  // namespace
