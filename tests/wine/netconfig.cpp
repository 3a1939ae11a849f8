// Check_NetConfig against what the platform's adapter query answers in this
// prefix, read here independently, record by record through the links.
#include <gtest/gtest.h>

#include "test_support.h"

#include <iphlpapi.h>

#include <string>
#include <vector>

namespace {

struct Expected {
    std::wstring description, type, ip, mask;
};

std::wstring Ansi(const char* text) {
    wchar_t out[300] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, out, 299);
    return out;
}

std::wstring Label(UINT type) {
    switch (type) {
        case 1: return L"MIB_IF_TYPE_OTHER";
        case 6: return L"LAN 或 高速Internet";
        case 9: return L"MIB_IF_TYPE_TOKENRING";
        case 15: return L"MIB_IF_TYPE_FDDI";
        case 23: return L"MIB_IF_TYPE_PPP";
        case 24: return L"MIB_IF_TYPE_LOOPBACK";
        case 28: return L"MIB_IF_TYPE_SLIP";
        default: return L"unknown";
    }
}

// The platform's answer: its status, and the adapters when it succeeded.
ULONG QueryAdapters(std::vector<Expected>& out, ULONG* firstStatus = nullptr, ULONG* needed = nullptr) {
    ULONG size = 648;
    std::vector<char> buffer(size);
    ULONG status = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    if (firstStatus) *firstStatus = status;
    if (needed) *needed = size;
    if (status == ERROR_BUFFER_OVERFLOW) {
        buffer.assign(size, 0);
        status = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (status != ERROR_SUCCESS) return status;
    for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
        out.push_back({Ansi(a->Description), Label(a->Type), Ansi(a->IpAddressList.IpAddress.String),
                       Ansi(a->IpAddressList.IpMask.String)});
    }
    return status;
}

TEST(NetConfig, ListsTheAdaptersThePlatformReports) {
    std::vector<Expected> expected;
    ULONG first = 0, needed = 0;
    ULONG status = QueryAdapters(expected, &first, &needed);
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    NetConfigNode* sentinel = reinterpret_cast<NetConfigNode*>(0x10);
    NetConfigNode* list = sentinel;
    int count = 77;
    int rc = lib.Check_NetConfig_(&list, nullptr, &count, 0);
    if (status != ERROR_SUCCESS) {
        // No adapter (232) or another failure: nothing stored, count 0.
        EXPECT_EQ(rc, 1);
        EXPECT_EQ(list, sentinel);
        EXPECT_EQ(count, 0);
        GTEST_SKIP() << "the platform reports no adapter (status " << status << ")";
    }
    ASSERT_EQ(rc, 0);
    ASSERT_EQ(count, static_cast<int>(expected.size()));
    std::size_t i = 0;
    for (NetConfigNode* n = list; n; n = n->pNext, ++i) {
        ASSERT_LT(i, expected.size());
        EXPECT_EQ(std::wstring(n->szDescription), expected[i].description) << i;
        EXPECT_EQ(std::wstring(n->szType), expected[i].type) << i;
        EXPECT_EQ(std::wstring(n->szIpAddress), expected[i].ip) << i;
        EXPECT_EQ(std::wstring(n->szSubnetMask), expected[i].mask) << i;
    }
    EXPECT_EQ(i, expected.size());
    RecordProperty("first_status", static_cast<int>(first));
    RecordProperty("needed_bytes", static_cast<int>(needed));
    EXPECT_EQ(lib.Release_NetConfig_(list), 0);
}

TEST(NetConfig, NullCountStillBuildsTheList) {
    std::vector<Expected> expected;
    ULONG status = QueryAdapters(expected);
    tw::Library lib;
    NetConfigNode* list = nullptr;
    int rc = lib.Check_NetConfig_(&list, nullptr, nullptr, 0);
    EXPECT_EQ(rc, status == ERROR_SUCCESS ? 0 : 1);
    int n = 0;
    for (NetConfigNode* p = list; p; p = p->pNext) ++n;
    EXPECT_EQ(n, static_cast<int>(expected.size()));
    EXPECT_EQ(lib.Release_NetConfig_(list), 0);
}

}  // namespace
