// ctest-lock: prefix
// ctest-timeout: 600
// ctest-labels: bitness slow
// WinINet in a 32-bit process under qemu-i386 crashes once a thread of the
// process has ended (seen with a plain WinINet program and no library).
// ctest-qemu-filter: -LoadUnload.OtherThreadsLoadingAndEndingWhileLoaded
// A plug-in host loads and unloads the library many times in one process.
// Every cycle must give back what the load took: no kernel handle and no
// heap byte may stay behind, with or without checks run in between, and
// with other threads that load the library or end while it is loaded.
#include <gtest/gtest.h>

#include "test_support.h"  // windows.h first

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::wstring kHaveFault = L"有故障";

int Cycles() {
    const char* env = std::getenv("TALLOWICK_LOAD_CYCLES");
    int n = env ? std::atoi(env) : 1000;
    return n > 0 ? n : 1000;
}

// Every how many cycles every check runs (0: never, to measure the load and
// unload alone).
int CheckEvery() {
    const char* env = std::getenv("TALLOWICK_LOAD_CHECK_EVERY");
    int n = env ? std::atoi(env) : 10;
    return n >= 0 ? n : 10;
}

struct Usage {
    DWORD handles = 0;
    SIZE_T heapBytes = 0;
};

Usage Measure() {
    Usage u;
    u.handles = tw::ProbeHandleCount();
    u.heapBytes = tw::HeapBytesInUse();
    return u;
}

// The connectivity check's verdict from a library loaded by this thread:
// the catalogue text when the catalogue is set up, the message id when not.
std::wstring Verdict(tw::Library& lib) {
    NetworkResult* result = nullptr;
    int count = 0;
    if (lib.Check_Network_(&result, nullptr, &count, 0) != 0 || !result) return L"(no result)";
    std::wstring verdict = result->szVerdict;
    lib.Release_Network_(result);
    return verdict;
}

// Loads, uses and unloads the library `cycles` times after `warmup` cycles,
// and reports the growth of handles and heap bytes in use across the
// measured cycles.
template <typename Cycle>
void MeasureCycles(const char* name, int warmup, int cycles, Cycle cycle, long long* handleGrowth,
                   long long* heapGrowth) {
    for (int i = 0; i < warmup; ++i) cycle(i);
    const Usage before = Measure();
    const DWORD start = GetTickCount();
    for (int i = 0; i < cycles; ++i) {
        cycle(warmup + i);
        if (cycles >= 4 && (i + 1) % (cycles / 4) == 0 && i + 1 < cycles) {
            const Usage at = Measure();
            std::printf("%s: after %d cycles handles %lu, heap bytes in use %lu\n", name, i + 1,
                        static_cast<unsigned long>(at.handles), static_cast<unsigned long>(at.heapBytes));
        }
    }
    const Usage after = Measure();
    *handleGrowth = static_cast<long long>(after.handles) - static_cast<long long>(before.handles);
    *heapGrowth = static_cast<long long>(after.heapBytes) - static_cast<long long>(before.heapBytes);
    std::printf("%s: %d cycles in %lu ms; handles %lu -> %lu (%+lld), heap bytes in use %lu -> %lu (%+lld), "
                "%.1f bytes a cycle\n",
                name, cycles, static_cast<unsigned long>(GetTickCount() - start),
                static_cast<unsigned long>(before.handles), static_cast<unsigned long>(after.handles),
                *handleGrowth, static_cast<unsigned long>(before.heapBytes),
                static_cast<unsigned long>(after.heapBytes), *heapGrowth,
                static_cast<double>(*heapGrowth) / cycles);
}

// Bounds, from measurement under Wine (see the closing figures printed
// above): a cycle that loads and unloads the library gives back every handle
// and every heap byte; the checks run on a tenth of the cycles leave only
// what the platform's own services keep of their first use (WMI, WinINet and
// COM caches settle during the warm-up). A leak of one handle or of one
// small record per cycle breaks these bounds many times over.
constexpr long long kMaxHandleGrowth = 4;
constexpr long long kMaxHeapGrowth = 64 * 1024;

TEST(LoadUnload, ThousandCyclesLeaveNoHandlesAndNoHeap) {
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    const int cycles = Cycles();
    long long handles = 0, heap = 0;
    const int every = CheckEvery();
    MeasureCycles("load/unload", 100, cycles,
                  [every](int i) {
                      tw::Library lib;
                      ASSERT_TRUE(lib.loaded());
                      if (every == 0) return;
                      if (i % every == 0) {
                          tw::RunEveryCheck(lib);
                      } else if (i % 2 == 0) {
                          int count = 0;
                          SysInfoResult* sys = nullptr;
                          lib.Check_SysInfo_(&sys, nullptr, &count, 0);
                          lib.Release_SysInfo_(sys);
                      }
                  },
                  &handles, &heap);
    EXPECT_LE(handles, kMaxHandleGrowth) << "handles left behind by load/unload cycles";
    EXPECT_LT(heap, kMaxHeapGrowth) << "heap bytes left behind by load/unload cycles";
}

struct SecondLoader {
    std::wstring verdict;
};

// Loads the library again on its own thread (a second reference to the one
// module), runs the connectivity check and unloads it.
DWORD WINAPI LoadOnThread(LPVOID param) {
    auto* loader = static_cast<SecondLoader*>(param);
    tw::Library lib;
    loader->verdict = lib.loaded() ? Verdict(lib) : L"(not loaded)";
    return 0;
}

DWORD WINAPI EndAtOnce(LPVOID) { return 0; }

bool RunThread(LPTHREAD_START_ROUTINE body, LPVOID param) {
    HANDLE thread = CreateThread(nullptr, 0, body, param, 0, nullptr);
    if (!thread) return false;
    const bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

// While this thread holds the library, a second thread loads it, uses it and
// unloads it, and a third thread starts and ends (thread attach and detach
// notifications). The catalogue must survive both: the holder still gets the
// catalogue's texts. Nothing may stay behind once the holder unloads.
TEST(LoadUnload, OtherThreadsLoadingAndEndingWhileLoaded) {
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    const int cycles = Cycles() / 5;
    long long handles = 0, heap = 0;
    MeasureCycles("threads", 20, cycles,
                  [](int) {
                      tw::Library lib;
                      ASSERT_TRUE(lib.loaded());
                      SecondLoader second;
                      ASSERT_TRUE(RunThread(LoadOnThread, &second));
                      EXPECT_EQ(second.verdict, kHaveFault) << "the second loader got no catalogue text";
                      ASSERT_TRUE(RunThread(EndAtOnce, nullptr));
                      EXPECT_EQ(Verdict(lib), kHaveFault) << "the catalogue did not survive the other threads";
                  },
                  &handles, &heap);
    EXPECT_LE(handles, kMaxHandleGrowth) << "handles left behind";
    EXPECT_LT(heap, kMaxHeapGrowth) << "heap bytes left behind";
}

}  // namespace
