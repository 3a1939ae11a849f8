// Every list-building check body walked through its allocation failures: an
// allocator that fails the n-th allocation (n = 1, 2, 3, ... until a run
// completes without reaching it) and counts live allocations, so that a
// failure at any point must free everything the body built. The bodies are
// this program's own copy of the platform layer, guarded as the exports
// guard them. The connectivity check goes to a closed loopback port.
// ctest-lock: prefix uninstall_key
// ctest-timeout: 900
#include <gtest/gtest.h>

#include "test_support.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "core/message_catalog.h"
#include "disk/checks.h"
#include "hardware/checks.h"
#include "network/checks.h"
#include "process/checks.h"
#include "software/checks.h"
#include "sysinfo/checks.h"

// ---- the counting allocator: every form of operator new and delete ----------

namespace {

std::atomic<long> g_live{0};         // allocations not yet freed
std::atomic<long> g_made{0};         // allocations since the walk armed
std::atomic<long> g_failAt{0};       // 0: never fail; n: fail the n-th
std::atomic<bool> g_failed{false};   // the armed failure was reached

void* Allocate(std::size_t size) {
    if (g_failAt.load() != 0) {
        long n = ++g_made;
        if (n == g_failAt.load()) {
            g_failed = true;
            return nullptr;
        }
    }
    void* p = std::malloc(size ? size : 1);
    if (p) ++g_live;
    return p;
}

void Free(void* p) {
    if (!p) return;
    --g_live;
    std::free(p);
}

void* AllocateOrThrow(std::size_t size) {
    void* p = Allocate(size);
    if (!p) throw std::bad_alloc();
    return p;
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    // Over-aligned requests are rare; serve them from an over-allocation
    // whose start is kept just before the aligned block.
    const std::size_t a = static_cast<std::size_t>(align) < sizeof(void*) ? sizeof(void*)
                                                                          : static_cast<std::size_t>(align);
    char* raw = static_cast<char*>(Allocate(size + a + sizeof(void*)));
    if (!raw) return nullptr;
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw + sizeof(void*));
    char* aligned = reinterpret_cast<char*>((start + a - 1) & ~(static_cast<std::uintptr_t>(a) - 1));
    reinterpret_cast<void**>(aligned)[-1] = raw;
    return aligned;
}

void FreeAligned(void* p) {
    if (p) Free(reinterpret_cast<void**>(p)[-1]);
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
void* operator new(std::size_t size, std::align_val_t align) {
    void* p = AllocateAligned(size, align);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, align);
}
void operator delete(void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// One check body and the release of what it hands over.
struct Body {
    const char* name;
    // Runs the body as its export does (every exception caught: code 1) and
    // frees what it handed over. Returns the body's code.
    int (*run)();
    // Why the body may allocate nothing here (null: it must allocate).
    const char* nothingToBuild = nullptr;
};

void PrintTo(const Body& body, std::ostream* os) { *os << body.name; }

template <typename Result, typename Check, typename Release>
int RunAndRelease(Check check, Release release) {
    Result* result = nullptr;
    int count = 0;
    int rc = 1;
    try {
        rc = check(&result, &count);
    } catch (...) {
        rc = 1;
    }
    if (result) release(result);
    return rc;
}

template <typename T>
void FreeRecord(T* record) {
    tallowick::NodeDeleter<T>()(record);
}

const Body kBodies[] = {
    {"sysinfo", [] { return RunAndRelease<SysInfoResult>(tallowick::CheckSysInfo, tallowick::ReleaseSysInfo); }},
    {"netinfo", [] { return RunAndRelease<NetInfoResult>(tallowick::CheckNetInfo, tallowick::ReleaseNetInfo); }},
    {"hdd",
     [] {
         return RunAndRelease<HddNode>(
             [](HddNode** r, int* n) { return tallowick::CheckHdd(r, nullptr, n, 0); }, tallowick::ReleaseHdd);
     }},
    {"hardware",
     [] {
         return RunAndRelease<HardwareConfigResult>(
             [](HardwareConfigResult** r, int* n) { return tallowick::CheckHardwareConfig(r, nullptr, n, 0); },
             FreeRecord<HardwareConfigResult>);
     }},
    {"netconfig",
     [] { return RunAndRelease<NetConfigNode>(tallowick::CheckNetConfig, tallowick::ReleaseNetConfig); }},
    {"network", [] { return RunAndRelease<NetworkResult>(tallowick::CheckNetwork, FreeRecord<NetworkResult>); }},
    {"installed apps",
     [] { return RunAndRelease<InstalledAppNode>(tallowick::CheckInstalledApps, tallowick::ReleaseInstalledApps); }},
    {"installed apps ex",
     [] {
         return RunAndRelease<InstalledAppExNode>(tallowick::CheckInstalledAppsEx, tallowick::ReleaseInstalledAppsEx);
     }},
    {"shares",
     [] {
         return RunAndRelease<ShareResourceNode>(tallowick::CheckShareResource, tallowick::ReleaseShareResource);
     },
     "Wine's NetShareEnum answers 50 (not supported): the list stays empty without the stand-in "
     "netapi32, which replaces the system one for a whole process only"},
    {"process", [] { return RunAndRelease<ProcessNode>(tallowick::CheckProcess, tallowick::ReleaseProcess); }},
    {"netconfig ex",
     [] { return RunAndRelease<NetAdapterExNode>(tallowick::CheckNetConfigEx, tallowick::ReleaseNetConfigEx); }},
};

struct Walk {
    int failurePoints = 0;  // runs that reached their failure
    int leakingRuns = 0;
    long firstLeakAt = 0;
    long leaked = 0;
};

Walk WalkFailures(const Body& body) {
    Walk walk;
    body.run();  // once unarmed: whatever a first call sets up for good
    for (long n = 1;; ++n) {
        const long before = g_live.load();
        g_made = 0;
        g_failed = false;
        g_failAt = n;
        body.run();
        g_failAt = 0;
        const long after = g_live.load();
        if (after != before) {
            if (walk.leakingRuns++ == 0) {
                walk.firstLeakAt = n;
                walk.leaked = after - before;
            }
        }
        if (!g_failed) break;  // the run completed without reaching n
        ++walk.failurePoints;
    }
    return walk;
}

class AllocationFailure : public ::testing::TestWithParam<Body> {};

TEST_P(AllocationFailure, EveryFailurePointFreesWhatWasBuilt) {
    static const bool catalogue = (tallowick::SetUpMessageCatalog(GetModuleHandleW(nullptr)), true);
    (void)catalogue;
    const Body& body = GetParam();
    // Programs to list in both registry views (Wine's uninstall key is empty).
    std::vector<std::unique_ptr<tw::ScopedRegKey>> programs;
    for (int i = 0; i < 3; ++i) {
        for (REGSAM view : {REGSAM(0), tw::OtherRegistryView()}) {
            programs.push_back(std::make_unique<tw::ScopedRegKey>(
                HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"\\TwAllocFailure" + std::to_wstring(i), view));
            programs.back()->setString(L"DisplayName", L"Program " + std::to_wstring(i) + (view ? L" (other view)" : L""));
            if (i != 1) programs.back()->setString(L"Publisher", L"Tallowick tests");
        }
    }
    // And one of the current user's (the extended list reads that key too).
    programs.push_back(std::make_unique<tw::ScopedRegKey>(HKEY_CURRENT_USER,
                                                          std::wstring(kUninstallKey) + L"\\TwAllocFailureUser"));
    programs.back()->setString(L"DisplayName", L"Program of the user");
    const Walk walk = WalkFailures(body);
    std::printf("%s: %d failure points walked\n", body.name, walk.failurePoints);
    if (body.nothingToBuild && walk.failurePoints == 0) {
        std::printf("%s: nothing built: %s\n", body.name, body.nothingToBuild);
    } else {
        EXPECT_GT(walk.failurePoints, 0) << body.name << " allocated nothing";
    }
    EXPECT_EQ(walk.leakingRuns, 0) << body.name << ": first leak when allocation " << walk.firstLeakAt
                                   << " fails (" << walk.leaked << " allocations left)";
}

std::string BodyName(const ::testing::TestParamInfo<Body>& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c) name += (*c == ' ') ? '_' : *c;
    return name;
}

INSTANTIATE_TEST_SUITE_P(CheckBodies, AllocationFailure, ::testing::ValuesIn(kBodies), BodyName);

// The walk itself: a body that builds three records and frees them on
// every path has three failure points and leaks nothing.
TEST(AllocationFailureWalk, CountsTheFailurePointsOfAKnownBody) {
    const Body three = {"three", [] {
                            tallowick::ListBuilder<HddNode> list;
                            for (int i = 0; i < 3; ++i) {
                                tallowick::NodePtr<HddNode> node = tallowick::MakeZeroed<HddNode>();
                                if (!node) return 1;
                                list.Append(std::move(node));
                            }
                            return 0;
                        }};
    const Walk walk = WalkFailures(three);
    EXPECT_EQ(walk.failurePoints, 3);
    EXPECT_EQ(walk.leakingRuns, 0);
}

// ... and a body that builds by hand and forgets the first node when the
// second cannot be made is caught at that point.
TEST(AllocationFailureWalk, FindsTheLeakOfAHandBuiltPair) {
    const Body leaky = {"leaky", [] {
                            HddNode* first = new (std::nothrow) HddNode();
                            if (!first) return 1;
                            HddNode* second = new (std::nothrow) HddNode();
                            if (!second) return 1;  // `first` is lost
                            delete second;
                            delete first;
                            return 0;
                        }};
    const Walk walk = WalkFailures(leaky);
    EXPECT_EQ(walk.failurePoints, 2);
    EXPECT_EQ(walk.leakingRuns, 1);
    EXPECT_EQ(walk.firstLeakAt, 2);
    EXPECT_EQ(walk.leaked, 1);
}

}  // namespace
