// Check_NetConfig and Check_NetConfigEx against what the platform's adapter
// queries answer in this prefix, read here independently, record by record
// through the links.
// ctest-labels: bitness
#include <gtest/gtest.h>

#include "test_support.h"

#include <iphlpapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "network/netconfig.h"
#include "network/netconfig_ex.h"
#include "network/netconfig_ex_query.h"
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

// ---- Check_NetConfigEx --------------------------------------------------------

// An address as Windows' own socket layer writes it, with its prefix length.
struct ExAddress {
    std::uint32_t family;
    std::uint32_t prefix;
    std::wstring text;
    bool operator==(const ExAddress& o) const { return family == o.family && prefix == o.prefix && text == o.text; }
};

struct ExAdapter {
    std::wstring friendlyName, description, adapterName, dnsSuffix, type, status, hardware;
    std::uint32_t ifType, operStatus, mtu, dhcp, ifIndex, ipv6IfIndex;
    std::uint64_t transmit, receive;
    std::vector<ExAddress> unicast, gateways, dns;
};

std::wstring SocketText(const SOCKET_ADDRESS& a) {
    wchar_t text[100] = {};
    DWORD length = 100;
    if (WSAAddressToStringW(a.lpSockaddr, static_cast<DWORD>(a.iSockaddrLength), nullptr, text, &length) != 0)
        return L"(WSAAddressToString failed)";
    return text;
}

std::uint32_t FamilyOf(const SOCKET_ADDRESS& a) { return a.lpSockaddr->sa_family == AF_INET6 ? 23u : 2u; }

// The platform's answer read here: its status, and the adapters when it succeeded.
ULONG QueryAdaptersEx(std::vector<ExAdapter>& out) {
    ULONG size = 0;
    std::vector<std::uint64_t> buffer(1);
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int i = 0; i < 5 && status == ERROR_BUFFER_OVERFLOW; ++i) {
        buffer.assign(size / 8 + 1, 0);
        status = GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_INCLUDE_PREFIX | GAA_FLAG_INCLUDE_GATEWAYS, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (status != ERROR_SUCCESS) return status;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
        ExAdapter e;
        e.friendlyName = a->FriendlyName;
        e.description = a->Description;
        e.adapterName = Ansi(a->AdapterName);
        e.dnsSuffix = a->DnsSuffix;
        e.type = reinterpret_cast<const wchar_t*>(tallowick::InterfaceTypeWord(a->IfType));
        e.status = reinterpret_cast<const wchar_t*>(tallowick::OperStatusWord(a->OperStatus));
        for (ULONG i = 0; i < a->PhysicalAddressLength; ++i) {
            wchar_t pair[4];
            swprintf(pair, 4, L"%02X", a->PhysicalAddress[i]);
            e.hardware += (i ? L"-" : L"") + std::wstring(pair);
        }
        e.ifType = a->IfType;
        e.operStatus = a->OperStatus;
        e.mtu = a->Mtu;
        e.dhcp = (a->Flags & IP_ADAPTER_DHCP_ENABLED) ? 1 : 0;
        e.ifIndex = a->IfIndex;
        e.ipv6IfIndex = a->Ipv6IfIndex;
        e.transmit = a->TransmitLinkSpeed;
        e.receive = a->ReceiveLinkSpeed;
        for (auto* u = a->FirstUnicastAddress; u; u = u->Next)
            e.unicast.push_back({FamilyOf(u->Address), u->OnLinkPrefixLength, SocketText(u->Address)});
        for (auto* g = a->FirstGatewayAddress; g; g = g->Next)
            e.gateways.push_back({FamilyOf(g->Address), 0, SocketText(g->Address)});
        for (auto* d = a->FirstDnsServerAddress; d; d = d->Next)
            e.dns.push_back({FamilyOf(d->Address), 0, SocketText(d->Address)});
        out.push_back(e);
    }
    return status;
}

std::vector<ExAddress> AddressesOf(const NetAddressNode* list) {
    std::vector<ExAddress> out;
    for (const NetAddressNode* n = list; n; n = n->pNext) {
        EXPECT_EQ(n->cbSize, sizeof(NetAddressNode));
        out.push_back({n->nFamily, n->nPrefixLength, n->szAddress});
    }
    return out;
}

void PrintTo(const ExAddress& a, std::ostream* os) {
    *os << a.family << " /" << a.prefix << " " << std::string(a.text.begin(), a.text.end());
}

TEST(NetConfigEx, ListsEveryAdapterWithItsAddresses) {
    std::vector<ExAdapter> expected;
    ULONG status = QueryAdaptersEx(expected);
    ASSERT_EQ(status, static_cast<ULONG>(ERROR_SUCCESS)) << "Wine reports its adapters here";
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    NetAdapterExNode* list = reinterpret_cast<NetAdapterExNode*>(0x10);
    int count = 77;
    ASSERT_EQ(lib.Check_NetConfigEx_(&list, nullptr, &count, 0), 0);
    ASSERT_EQ(count, static_cast<int>(expected.size()));
    std::size_t i = 0;
    std::size_t addresses = 0;
    for (NetAdapterExNode* n = list; n; n = n->pNext, ++i) {
        ASSERT_LT(i, expected.size());
        const ExAdapter& e = expected[i];
        EXPECT_EQ(n->cbSize, sizeof(NetAdapterExNode));
        EXPECT_EQ(std::wstring(n->szFriendlyName), e.friendlyName) << i;
        EXPECT_EQ(std::wstring(n->szDescription), e.description) << i;
        EXPECT_EQ(std::wstring(n->szAdapterName), e.adapterName) << i;
        EXPECT_EQ(std::wstring(n->szDnsSuffix), e.dnsSuffix) << i;
        EXPECT_EQ(std::wstring(n->szType), e.type) << i;
        EXPECT_EQ(std::wstring(n->szOperStatus), e.status) << i;
        EXPECT_EQ(std::wstring(n->szPhysicalAddress), e.hardware) << i;
        EXPECT_EQ(n->nIfType, e.ifType) << i;
        EXPECT_EQ(n->nOperStatus, e.operStatus) << i;
        EXPECT_EQ(n->nMtu, e.mtu) << i;
        EXPECT_EQ(n->nDhcpEnabled, e.dhcp) << i;
        EXPECT_EQ(n->nIfIndex, e.ifIndex) << i;
        EXPECT_EQ(n->nIpv6IfIndex, e.ipv6IfIndex) << i;
        EXPECT_EQ(n->ullTransmitSpeed, e.transmit) << i;
        EXPECT_EQ(n->ullReceiveSpeed, e.receive) << i;
        EXPECT_EQ(AddressesOf(n->pUnicastAddresses), e.unicast) << i;
        EXPECT_EQ(AddressesOf(n->pGateways), e.gateways) << i;
        EXPECT_EQ(AddressesOf(n->pDnsServers), e.dns) << i;
        addresses += e.unicast.size() + e.gateways.size() + e.dns.size();
    }
    EXPECT_EQ(i, expected.size());
    // Wine's loopback adapter alone has two addresses.
    EXPECT_GE(addresses, 2u);
    EXPECT_EQ(lib.Release_NetConfigEx_(list), 0);
}

TEST(NetConfigEx, NullAndCountRules) {
    std::vector<ExAdapter> expected;
    ASSERT_EQ(QueryAdaptersEx(expected), static_cast<ULONG>(ERROR_SUCCESS));
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    int count = 77;
    EXPECT_EQ(lib.Check_NetConfigEx_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(count, 77);
    NetAdapterExNode* list = nullptr;
    EXPECT_EQ(lib.Check_NetConfigEx_(&list, nullptr, nullptr, 0), 0);
    int n = 0;
    for (NetAdapterExNode* p = list; p; p = p->pNext) ++n;
    EXPECT_EQ(n, static_cast<int>(expected.size()));
    EXPECT_EQ(lib.Release_NetConfigEx_(list), 0);
    EXPECT_EQ(lib.Release_NetConfigEx_(nullptr), 0);
}

// Stand-in for the platform query: records laid out in the buffer the check
// offers, as the platform lays them out, with `length` as each record's
// Length (shorter records are those of Windows XP).
struct FakeExAdapter {
    std::wstring friendlyName;
    ULONG length = sizeof(IP_ADAPTER_ADDRESSES);
    std::vector<std::pair<std::string, UINT8>> unicast;  // "v4:a.b.c.d" or 16 hex bytes after "v6:", prefix
    std::vector<std::string> gateways;
};

struct FakeExPlatform {
    std::vector<FakeExAdapter> adapters;
    ULONG failWith = 0;
    int growBy = 0;                 // the first calls that find the list grown
    std::vector<ULONG> offered;
    std::vector<ULONG> flags;
};
FakeExPlatform g_fakeEx;

// Bytes that one adapter takes in the buffer.
constexpr ULONG kExRecord = 2048;

void FillSockaddr(const std::string& spec, SOCKADDR_STORAGE& storage, SOCKET_ADDRESS& address) {
    std::memset(&storage, 0, sizeof storage);
    if (spec.rfind("v4:", 0) == 0) {
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        unsigned a, b, c, d;
        std::sscanf(spec.c_str() + 3, "%u.%u.%u.%u", &a, &b, &c, &d);
        const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                        static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
        std::memcpy(&in->sin_addr, bytes, 4);
        address.iSockaddrLength = sizeof(sockaddr_in);
    } else {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        for (int i = 0; i < 16; ++i) {
            unsigned byte = 0;
            std::sscanf(spec.c_str() + 3 + 2 * i, "%2x", &byte);
            reinterpret_cast<unsigned char*>(&in6->sin6_addr)[i] = static_cast<unsigned char>(byte);
        }
        in6->sin6_scope_id = 7;
        address.iSockaddrLength = sizeof(sockaddr_in6);
    }
    address.lpSockaddr = reinterpret_cast<sockaddr*>(&storage);
}

ULONG WINAPI FakeGetAdaptersAddresses(ULONG family, ULONG flags, PVOID, PIP_ADAPTER_ADDRESSES buffer, PULONG size) {
    g_fakeEx.offered.push_back(*size);
    g_fakeEx.flags.push_back(flags);
    if (family != AF_UNSPEC) return ERROR_INVALID_PARAMETER;
    if (g_fakeEx.failWith) return g_fakeEx.failWith;
    if (g_fakeEx.adapters.empty()) return ERROR_NO_DATA;
    const ULONG need = static_cast<ULONG>(g_fakeEx.adapters.size()) * kExRecord;
    if (g_fakeEx.growBy > 0) {  // the list grew since the size was asked for
        --g_fakeEx.growBy;
        *size = std::max(*size, need) + 4096;
        return ERROR_BUFFER_OVERFLOW;
    }
    if (*size < need) {
        *size = need;
        return ERROR_BUFFER_OVERFLOW;
    }
    char* base = reinterpret_cast<char*>(buffer);
    std::memset(base, 0, need);
    for (std::size_t i = 0; i < g_fakeEx.adapters.size(); ++i) {
        const FakeExAdapter& f = g_fakeEx.adapters[i];
        char* at = base + i * kExRecord;
        auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(at);
        char* extra = at + sizeof(IP_ADAPTER_ADDRESSES);
        auto take = [&](std::size_t bytes) {
            char* p = extra;
            extra += (bytes + 7) / 8 * 8;
            return p;
        };
        a->Length = f.length;
        a->Next = i + 1 < g_fakeEx.adapters.size() ? reinterpret_cast<IP_ADAPTER_ADDRESSES*>(at + kExRecord) : nullptr;
        a->AdapterName = std::strcpy(take(40), "{00000000-0000-0000-0000-00000000000A}");
        wchar_t* name = reinterpret_cast<wchar_t*>(take((f.friendlyName.size() + 1) * 2));
        std::wmemcpy(name, f.friendlyName.c_str(), f.friendlyName.size() + 1);
        a->FriendlyName = name;
        a->Description = name;
        a->DnsSuffix = name + f.friendlyName.size();
        a->IfType = 6;
        a->OperStatus = IfOperStatusUp;
        a->Mtu = 1500;
        a->PhysicalAddressLength = 6;
        a->TransmitLinkSpeed = 1000000000ull;
        a->ReceiveLinkSpeed = 100000000ull;
        IP_ADAPTER_UNICAST_ADDRESS** link = &a->FirstUnicastAddress;
        for (const auto& u : f.unicast) {
            auto* entry = reinterpret_cast<IP_ADAPTER_UNICAST_ADDRESS*>(take(sizeof(IP_ADAPTER_UNICAST_ADDRESS)));
            entry->Length = sizeof(IP_ADAPTER_UNICAST_ADDRESS);
            FillSockaddr(u.first, *reinterpret_cast<SOCKADDR_STORAGE*>(take(sizeof(SOCKADDR_STORAGE))), entry->Address);
            entry->OnLinkPrefixLength = u.second;
            *link = entry;
            link = &entry->Next;
        }
        IP_ADAPTER_GATEWAY_ADDRESS** gateway = &a->FirstGatewayAddress;
        for (const auto& g : f.gateways) {
            auto* entry = reinterpret_cast<IP_ADAPTER_GATEWAY_ADDRESS*>(take(sizeof(IP_ADAPTER_GATEWAY_ADDRESS)));
            entry->Length = sizeof(IP_ADAPTER_GATEWAY_ADDRESS);
            FillSockaddr(g, *reinterpret_cast<SOCKADDR_STORAGE*>(take(sizeof(SOCKADDR_STORAGE))), entry->Address);
            *gateway = entry;
            gateway = &entry->Next;
        }
    }
    return ERROR_SUCCESS;
}

struct FakeExRun {
    int rc = -1;
    int count = -1;
    bool stored = false;
    std::vector<std::wstring> adapters;  // "name|speeds|unicast...|gateways..."
};

FakeExRun RunFakeEx(FakeExPlatform platform) {
    g_fakeEx = std::move(platform);
    NetAdapterExNode* sentinel = reinterpret_cast<NetAdapterExNode*>(0x10);
    NetAdapterExNode* list = sentinel;
    FakeExRun run;
    run.rc = tallowick::CheckNetConfigExWith(&FakeGetAdaptersAddresses, &list, &run.count);
    run.stored = list != sentinel;
    if (run.stored) {
        for (NetAdapterExNode* n = list; n; n = n->pNext) {
            std::wstring row = n->szFriendlyName;
            row += L"|" + std::to_wstring(n->ullTransmitSpeed) + L"/" + std::to_wstring(n->ullReceiveSpeed);
            for (const ExAddress& a : AddressesOf(n->pUnicastAddresses)) row += L"|" + a.text + L"/" + std::to_wstring(a.prefix);
            for (const ExAddress& a : AddressesOf(n->pGateways)) row += L"|gw " + a.text;
            run.adapters.push_back(row);
        }
        tallowick::ReleaseNetConfigEx(list);
    }
    return run;
}

TEST(NetConfigExQuery, AnswersOfThePlatform) {
    const std::string linkLocal = "v6:fe800000000000000000000000000001";
    FakeExAdapter eth{L"Ethernet", sizeof(IP_ADAPTER_ADDRESSES), {{"v4:192.0.2.2", 24}, {linkLocal, 64}}, {"v4:192.0.2.1"}};
    // Windows XP's shorter record: its link speeds and gateways are not read.
    FakeExAdapter xp = eth;
    xp.friendlyName = L"XP";
    xp.length = static_cast<ULONG>(offsetof(IP_ADAPTER_ADDRESSES, Ipv6IfIndex) + sizeof(IF_INDEX));
    const struct {
        const char* name;
        FakeExPlatform platform;
        int rc, count;
        bool stored;
        std::vector<std::wstring> adapters;
        std::size_t calls;
    } cases[] = {
        {"one adapter in the first buffer", {{eth}}, 0, 1, true,
         {L"Ethernet|1000000000/100000000|192.0.2.2/24|fe80::1%7/64|gw 192.0.2.1"}, 1},
        {"buffer grown twice", {{eth, eth, eth, eth, eth, eth, eth, eth, eth}, 0, 2}, 0, 9, true,
         std::vector<std::wstring>(9, L"Ethernet|1000000000/100000000|192.0.2.2/24|fe80::1%7/64|gw 192.0.2.1"), 3},
        {"an XP record", {{xp}}, 0, 1, true, {L"XP|0/0|192.0.2.2/24|fe80::1%7/64"}, 1},
        {"no adapter: the empty list", {}, 0, 0, true, {}, 1},
        {"the query fails", {{eth}, ERROR_NOT_ENOUGH_MEMORY}, 1, 0, false, {}, 1},
        {"the list keeps growing", {{eth}, 0, 10}, 1, 0, false, {}, 4},
    };
    for (const auto& c : cases) {
        FakeExRun run = RunFakeEx(c.platform);
        EXPECT_EQ(run.rc, c.rc) << c.name;
        EXPECT_EQ(run.count, c.count) << c.name;
        EXPECT_EQ(run.stored, c.stored) << c.name;
        EXPECT_EQ(run.adapters, c.adapters) << c.name;
        EXPECT_EQ(g_fakeEx.offered.size(), c.calls) << c.name;
        EXPECT_EQ(g_fakeEx.offered.front(), tallowick::kFirstAdapterAddressesBytes) << c.name;
        for (ULONG f : g_fakeEx.flags) EXPECT_EQ(f, static_cast<ULONG>(GAA_FLAG_INCLUDE_PREFIX | GAA_FLAG_INCLUDE_GATEWAYS)) << c.name;
    }
}

}  // namespace
