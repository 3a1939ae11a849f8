// Release_HardwareConfig and Release_Network are one entry point: each frees
// the other's block. The connectivity check goes to a closed loopback port.
// ctest-lock: prefix
#include <gtest/gtest.h>

#include <malloc.h>

#include "test_support.h"

extern "C" intptr_t __cdecl _get_heap_handle(void);

namespace {

// The C runtime's heap, which both the library and this program allocate from.
bool RuntimeHeapIsSound() { return HeapValidate(reinterpret_cast<HANDLE>(_get_heap_handle()), 0, nullptr) != 0; }

HardwareConfigResult* CancelledHardwareBlock(tw::Library& lib) {
    HardwareConfigResult* block = nullptr;
    int count = -1;
    auto cancel = [](const wchar_t*, int, int, int, int, intptr_t, const wchar_t*, int, int*) -> int { return 1; };
    EXPECT_EQ(lib.Check_HardwareConfig_(&block, cancel, &count, 0), 0);
    EXPECT_EQ(count, 0);
    return block;
}

TEST(HardwareRelease, ReleaseNetworkFreesAHardwareBlock) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    for (int i = 0; i < 50; ++i) {
        HardwareConfigResult* block = CancelledHardwareBlock(lib);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(lib.Release_Network_(block), 0);
    }
    EXPECT_TRUE(RuntimeHeapIsSound());
}

TEST(HardwareRelease, ReleaseHardwareConfigFreesANetworkBlock) {
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    for (int i = 0; i < 3; ++i) {
        NetworkResult* block = nullptr;
        int count = 0;
        ASSERT_EQ(lib.Check_Network_(&block, nullptr, &count, 0), 0);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(lib.Release_HardwareConfig_(block), 0);
    }
    EXPECT_TRUE(RuntimeHeapIsSound());
}

}  // namespace
