// Check_NetConfig against what the platform's adapter query answers in this
// prefix, read here independently, record by record through the links.
// ctest-labels: bitness
#include <gtest/gtest.h>

#include "test_support.h"

#include <iphlpapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "network/netconfig.h"
#include "network/netconfig_query.h"

namespace {

struct Expected {
    std::wstring description, type, ip, mask;
};

std::wstring Ansi(const char* text) {
    wchar_t out[300] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, out, 299);
    return out;
}

// The platform's answer: its status, and the adapters when it succeeded.
ULONG QueryAdapters(std::vector<Expected>& out) {
    ULONG size = tallowick::kFirstAdapterBufferBytes;
    std::vector<char> buffer(size);
    ULONG status = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    if (status == ERROR_BUFFER_OVERFLOW) {
        buffer.assign(size, 0);
        status = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (status != ERROR_SUCCESS) return status;
    for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
        out.push_back({Ansi(a->Description), reinterpret_cast<const wchar_t*>(tallowick::AdapterTypeLabel(a->Type)), Ansi(a->IpAddressList.IpAddress.String),
                       Ansi(a->IpAddressList.IpMask.String)});
    }
    return status;
}

TEST(NetConfig, ListsTheAdaptersThePlatformReports) {
    std::vector<Expected> expected;
    ULONG status = QueryAdapters(expected);
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

// A stand-in for the platform query that writes records of the size Windows
// writes for this build (648 bytes for x86, 704 for x64), whatever this
// compiler's record measures, and fills the bytes behind each record's
// compiler-sized part (8 on x86, none on x64) with garbage.
struct FakeAdapter {
    std::string description;  // up to 132 bytes; 132 leaves no terminator
    UINT type;
    std::vector<std::pair<std::string, std::string>> addresses;  // address, mask
};

struct FakePlatform {
    std::vector<FakeAdapter> adapters;
    ULONG failWith = 0;              // answer every call with this status
    ULONG secondCallStatus = 0;      // when non-zero, the second call's answer
    std::vector<ULONG> offered;      // buffer size offered at each call
};
FakePlatform g_fake;

constexpr ULONG kRecord = tallowick::kFirstAdapterBufferBytes;

ULONG Needed() {
    ULONG extra = 0;
    for (const FakeAdapter& a : g_fake.adapters) {
        if (a.addresses.size() > 1) extra += static_cast<ULONG>((a.addresses.size() - 1) * sizeof(IP_ADDR_STRING));
    }
    return static_cast<ULONG>(g_fake.adapters.size()) * kRecord + extra;
}

void CopyAddress(IP_ADDR_STRING& to, const std::pair<std::string, std::string>& from) {
    std::strncpy(to.IpAddress.String, from.first.c_str(), sizeof to.IpAddress.String - 1);
    std::strncpy(to.IpMask.String, from.second.c_str(), sizeof to.IpMask.String - 1);
}

ULONG WINAPI FakeGetAdaptersInfo(PIP_ADAPTER_INFO buffer, PULONG size) {
    g_fake.offered.push_back(*size);
    if (g_fake.failWith) return g_fake.failWith;
    if (g_fake.offered.size() == 2 && g_fake.secondCallStatus) return g_fake.secondCallStatus;
    if (g_fake.adapters.empty()) return ERROR_NO_DATA;
    ULONG need = Needed();
    if (*size < need) {
        *size = need;
        return ERROR_BUFFER_OVERFLOW;
    }
    char* base = reinterpret_cast<char*>(buffer);
    std::memset(base, 0, need);
    char* extra = base + g_fake.adapters.size() * kRecord;
    for (std::size_t i = 0; i < g_fake.adapters.size(); ++i) {
        const FakeAdapter& f = g_fake.adapters[i];
        char* record = base + i * kRecord;
        std::memset(record + sizeof(IP_ADAPTER_INFO), 0xCC, kRecord - sizeof(IP_ADAPTER_INFO));
        auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(record);
        a->Next = i + 1 < g_fake.adapters.size() ? reinterpret_cast<IP_ADAPTER_INFO*>(record + kRecord) : nullptr;
        std::memcpy(a->Description, f.description.data(), std::min(f.description.size(), sizeof a->Description));
        std::strcpy(a->AdapterName, "{00000000-0000-0000-0000-000000000000}");
        a->Type = f.type;
        IP_ADDR_STRING* entry = &a->IpAddressList;
        for (std::size_t k = 0; k < f.addresses.size(); ++k) {
            if (k > 0) {
                auto* next = reinterpret_cast<IP_ADDR_STRING*>(extra);
                extra += sizeof(IP_ADDR_STRING);
                entry->Next = next;
                entry = next;
            }
            CopyAddress(*entry, f.addresses[k]);
        }
    }
    return ERROR_SUCCESS;
}

struct Row {
    std::wstring description, type, ip, mask;
    bool operator==(const Row& o) const {
        return description == o.description && type == o.type && ip == o.ip && mask == o.mask;
    }
};

struct FakeRun {
    int rc = -1;
    int count = -1;
    bool stored = false;
    std::vector<Row> rows;
};

FakeRun RunFake(FakePlatform platform) {
    g_fake = std::move(platform);
    NetConfigNode* sentinel = reinterpret_cast<NetConfigNode*>(0x10);
    NetConfigNode* list = sentinel;
    FakeRun run;
    run.rc = tallowick::CheckNetConfigWith(&FakeGetAdaptersInfo, &list, &run.count);
    run.stored = list != sentinel;
    if (run.stored) {
        for (NetConfigNode* n = list; n; n = n->pNext) {
            run.rows.push_back({n->szDescription, n->szType, n->szIpAddress, n->szSubnetMask});
        }
        tallowick::ReleaseNetConfig(list);
    }
    return run;
}

TEST(NetConfigQuery, WalksWindowsSizedRecordsAfterOneEnlargement) {
    std::string full(132, 'D');  // fills the field, no terminator
    FakePlatform p;
    p.adapters = {
        {"Realtek PCIe GbE Family Controller", 6, {{"192.168.1.20", "255.255.255.0"}, {"10.0.0.5", "255.0.0.0"}}},
        {"Wireless " + std::string("\xe9"), 71, {{"10.1.2.3", "255.255.0.0"}}},
        {full, 24, {{"127.0.0.1", "255.0.0.0"}}},
        {"Dial-up", 23, {{"0.0.0.0", "0.0.0.0"}}},
    };
    FakeRun run = RunFake(p);
    EXPECT_EQ(run.rc, 0);
    ASSERT_TRUE(run.stored);
    EXPECT_EQ(run.count, 4);
    std::vector<Row> expected = {
        {L"Realtek PCIe GbE Family Controller", L"LAN 或 高速Internet", L"192.168.1.20", L"255.255.255.0"},
        {Ansi("Wireless \xe9"), L"unknown", L"10.1.2.3", L"255.255.0.0"},
        {std::wstring(132, L'D'), L"MIB_IF_TYPE_LOOPBACK", L"127.0.0.1", L"255.0.0.0"},
        {L"Dial-up", L"MIB_IF_TYPE_PPP", L"0.0.0.0", L"0.0.0.0"},
    };
    EXPECT_EQ(run.rows, expected);
    // One record first, then the size the platform asked for.
    std::vector<ULONG> offered = {kRecord, 4 * kRecord + static_cast<ULONG>(sizeof(IP_ADDR_STRING))};
    EXPECT_EQ(g_fake.offered, offered);
}

TEST(NetConfigQuery, OneAdapterFitsTheFirstBufferAndIsAskedTwice) {
    FakePlatform p;
    p.adapters = {{"eth0", 6, {{"192.0.2.2", "255.255.255.0"}}}};
    FakeRun run = RunFake(p);
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.count, 1);
    ASSERT_EQ(run.rows.size(), 1u);
    EXPECT_EQ(run.rows[0].type, L"LAN 或 高速Internet");
    EXPECT_EQ(g_fake.offered, (std::vector<ULONG>{kRecord, kRecord}));
}

TEST(NetConfigQuery, FailedQueryStoresNothing) {
    const struct {
        const char* name;
        ULONG failWith;
        ULONG secondCall;
        bool noAdapters;
    } cases[] = {
        {"no adapter", 0, 0, true},
        {"other error", ERROR_NOT_SUPPORTED, 0, false},
        {"the second call still too small", 0, ERROR_BUFFER_OVERFLOW, false},
    };
    for (const auto& c : cases) {
        FakePlatform p;
        if (!c.noAdapters) p.adapters = {{"a", 6, {{"1.2.3.4", "255.0.0.0"}}}, {"b", 6, {{"1.2.3.5", "255.0.0.0"}}}};
        p.failWith = c.failWith;
        p.secondCallStatus = c.secondCall;
        FakeRun run = RunFake(p);
        EXPECT_EQ(run.rc, 1) << c.name;
        EXPECT_FALSE(run.stored) << c.name;
        EXPECT_EQ(run.count, 0) << c.name;
    }
}

}  // namespace
