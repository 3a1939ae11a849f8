#include <gtest/gtest.h>

#include "network/connectivity.h"
#include "network/netconfig.h"
#include "network/netconfig_ex.h"

using namespace tallowick;

namespace {

TEST(AdapterTypeLabel, EveryNumberHasItsLabel) {
    const struct {
        std::uint32_t type;
        Text label;
    } cases[] = {
        {1, u"MIB_IF_TYPE_OTHER"},      {6, u"LAN 或 高速Internet"}, {9, u"MIB_IF_TYPE_TOKENRING"},
        {15, u"MIB_IF_TYPE_FDDI"},      {23, u"MIB_IF_TYPE_PPP"},    {24, u"MIB_IF_TYPE_LOOPBACK"},
        {28, u"MIB_IF_TYPE_SLIP"},      {71, u"unknown"},            {0, u"unknown"},
        {0xFFFFFFFFu, u"unknown"},      {144, u"unknown"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(AdapterTypeLabel(c.type)), c.label) << c.type;
}

TEST(MakeNetConfigRow, TakesTheTextsAndCutsThemToTheField) {
    AdapterFacts eth;
    eth.description = u"Intel(R) PRO/1000 网卡";
    eth.type = 6;
    eth.ipAddress = u"192.168.1.20";
    eth.ipMask = u"255.255.255.0";
    NetConfigRow row = MakeNetConfigRow(eth);
    EXPECT_EQ(row.description, u"Intel(R) PRO/1000 网卡");
    EXPECT_EQ(row.type, u"LAN 或 高速Internet");
    EXPECT_EQ(row.ipAddress, u"192.168.1.20");
    EXPECT_EQ(row.subnetMask, u"255.255.255.0");

    AdapterFacts wide;
    wide.description = Text(300, u'd');
    wide.type = 71;
    wide.ipAddress = Text(261, u'1');
    NetConfigRow cut = MakeNetConfigRow(wide);
    EXPECT_EQ(cut.description, Text(259, u'd'));
    EXPECT_EQ(cut.type, u"unknown");
    EXPECT_EQ(cut.ipAddress, Text(259, u'1'));
    EXPECT_EQ(cut.subnetMask, u"");
}

TEST(AdapterRecordBytes, IsTheSizeWindowsWrites) {
    // Windows' record with its two 64-bit lease times, whatever the
    // compiler's own record measures: 32-bit and 64-bit processes.
    EXPECT_EQ(kAdapterRecordBytes, 648u);
    EXPECT_EQ(kAdapterRecordBytes64, 704u);
}

TEST(Connectivity, OutcomeSelectsTheMessageIds) {
    EXPECT_EQ(Text(MessagesFor(true).verdictId), u"NoFault");
    EXPECT_EQ(Text(MessagesFor(true).stateId), u"NaturalNet");
    EXPECT_EQ(Text(MessagesFor(false).verdictId), u"HaveFault");
    EXPECT_EQ(Text(MessagesFor(false).stateId), u"DeviantNet");
}

TEST(InterfaceTypeWord, EveryNumberHasItsWord) {
    const struct {
        std::uint32_t type;
        Text word;
    } cases[] = {
        {6, u"Ethernet"}, {71, u"Wi-Fi"}, {24, u"Loopback"}, {131, u"Tunnel"}, {23, u"PPP"},
        {243, u"Mobile broadband"}, {244, u"Mobile broadband"}, {1, u"Other"}, {0, u"Other"},
        {9, u"Other"}, {0xFFFFFFFFu, u"Other"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(InterfaceTypeWord(c.type)), c.word) << c.type;
}

TEST(OperStatusWord, EveryStateHasItsWord) {
    const struct {
        std::uint32_t status;
        Text word;
    } cases[] = {
        {1, u"Up"}, {2, u"Down"}, {3, u"Testing"}, {4, u"Unknown"}, {5, u"Dormant"},
        {6, u"Not present"}, {7, u"Lower layer down"}, {0, u"Unknown"}, {8, u"Unknown"}, {0xFFFFFFFFu, u"Unknown"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(OperStatusWord(c.status)), c.word) << c.status;
}

TEST(HardwareAddressText, UppercasePairsJoinedByDashes) {
    const std::uint8_t bytes[] = {0x02, 0xFC, 0x00, 0x1a, 0x2B, 0xff, 0x10, 0x01, 0x99};
    const struct {
        std::size_t length;
        Text text;
    } cases[] = {
        {0, u""},
        {1, u"02"},
        {6, u"02-FC-00-1A-2B-FF"},
        {8, u"02-FC-00-1A-2B-FF-10-01"},
        {9, u"02-FC-00-1A-2B-FF-10-01"},  // the platform's field holds eight
    };
    for (const auto& c : cases) EXPECT_EQ(HardwareAddressText(bytes, c.length), c.text) << c.length;
    EXPECT_EQ(HardwareAddressText(nullptr, 6), u"");
}

SocketAddressFacts V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d, std::uint32_t prefix = 0) {
    SocketAddressFacts f;
    f.family = kFamilyInet;
    f.bytes[0] = a, f.bytes[1] = b, f.bytes[2] = c, f.bytes[3] = d;
    f.prefixLength = prefix;
    return f;
}

// Eight groups as written, then the scope.
SocketAddressFacts V6(std::initializer_list<unsigned> groups, std::uint32_t scope = 0, std::uint32_t prefix = 0) {
    SocketAddressFacts f;
    f.family = kFamilyInet6;
    int i = 0;
    for (unsigned g : groups) {
        f.bytes[2 * i] = static_cast<std::uint8_t>(g >> 8);
        f.bytes[2 * i + 1] = static_cast<std::uint8_t>(g);
        ++i;
    }
    f.scopeId = scope;
    f.prefixLength = prefix;
    return f;
}

TEST(SocketAddressText, Rfc5952TextWithZone) {
    const struct {
        SocketAddressFacts address;
        Text text;
    } cases[] = {
        {V4(192, 0, 2, 1), u"192.0.2.1"},
        {V4(0, 0, 0, 0), u"0.0.0.0"},
        {V4(255, 255, 255, 255), u"255.255.255.255"},
        {V4(10, 100, 7, 250), u"10.100.7.250"},
        {V6({0, 0, 0, 0, 0, 0, 0, 0}), u"::"},
        {V6({0, 0, 0, 0, 0, 0, 0, 1}), u"::1"},
        {V6({1, 0, 0, 0, 0, 0, 0, 0}), u"1::"},
        {V6({0xfd00, 0, 0, 0, 0, 0, 0, 2}), u"fd00::2"},
        {V6({0xfe80, 0, 0, 0, 0x2fc, 0xff, 0xfe00, 0x1a}, 4), u"fe80::2fc:ff:fe00:1a%4"},
        {V6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1}), u"2001:db8::1"},
        // A single zero group is no run; the longest run wins, the first of equal ones.
        {V6({0x2001, 0xdb8, 0, 1, 1, 1, 1, 1}), u"2001:db8:0:1:1:1:1:1"},
        {V6({0x2001, 0, 0, 1, 0, 0, 0, 1}), u"2001:0:0:1::1"},
        {V6({0x2001, 0xdb8, 0, 0, 1, 0, 0, 1}), u"2001:db8::1:0:0:1"},
        {V6({0xABCD, 0x0EF0, 0x00a0, 0x000b, 1, 2, 3, 4}), u"abcd:ef0:a0:b:1:2:3:4"},
        {V6({0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff}, 4294967295u),
         u"ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff%4294967295"},
        // IPv4-mapped: the last 32 bits as IPv4.
        {V6({0, 0, 0, 0, 0, 0xffff, 0xc000, 0x0201}), u"::ffff:192.0.2.1"},
        {V6({0, 0, 0, 0, 0, 0xffff, 0, 0}), u"::ffff:0.0.0.0"},
        {V6({0, 0, 0, 0, 1, 0xffff, 0xc000, 0x0201}), u"::1:ffff:c000:201"},
        {V6({0, 0, 0, 0, 0, 0xfffe, 0xc000, 0x0201}), u"::fffe:c000:201"},
        {V6({0xfe80, 0, 0, 0, 0, 0, 0, 1}, 0), u"fe80::1"},
    };
    for (const auto& c : cases) EXPECT_EQ(SocketAddressText(c.address), c.text) << ToUtf8(c.text);

    SocketAddressFacts unknown = V4(1, 2, 3, 4);
    unknown.family = 17;
    EXPECT_EQ(SocketAddressText(unknown), u"");
    // The longest text (eight full groups and the largest zone) fits its field.
    EXPECT_LT(SocketAddressText(V6({0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff}, 4294967295u)).size(),
              kAddressTextBound);
}

TEST(MakeAdapterExRow, TakesEveryFactAndCutsTheTexts) {
    AdapterExFacts eth;
    eth.friendlyName = u"以太网";
    eth.description = u"Intel(R) Ethernet Connection I219-V";
    eth.adapterName = u"{4F2A9B10-0000-4000-8000-00000000A0B1}";
    eth.dnsSuffix = u"corp.example";
    eth.ifType = 6;
    eth.operStatus = 1;
    eth.mtu = 1400;
    eth.ifIndex = 4;
    eth.ipv6IfIndex = 4;
    eth.dhcpEnabled = true;
    eth.transmitSpeed = 1000000000ull;
    eth.receiveSpeed = 10000000000ull;
    eth.hardwareAddress = {0x02, 0xFC, 0x00, 0x00, 0x00, 0x02};
    eth.unicast = {V6({0xfd00, 0, 0, 0, 0, 0, 0, 2}, 0, 64), V6({0xfe80, 0, 0, 0, 0, 0, 0, 2}, 4, 64),
                   V4(192, 0, 2, 2, 24)};
    SocketAddressFacts strange = V4(9, 9, 9, 9);
    strange.family = 0;
    eth.gateways = {V4(192, 0, 2, 1), strange};
    eth.dnsServers = {V4(192, 0, 2, 53), V6({0xfd00, 0, 0, 0, 0, 0, 0, 0x53})};

    const AdapterExRow row = MakeAdapterExRow(eth);
    EXPECT_EQ(row.friendlyName, u"以太网");
    EXPECT_EQ(row.description, eth.description);
    EXPECT_EQ(row.adapterName, eth.adapterName);
    EXPECT_EQ(row.dnsSuffix, u"corp.example");
    EXPECT_EQ(row.typeWord, u"Ethernet");
    EXPECT_EQ(row.statusWord, u"Up");
    EXPECT_EQ(row.hardwareAddress, u"02-FC-00-00-00-02");
    EXPECT_EQ(row.ifType, 6u);
    EXPECT_EQ(row.operStatus, 1u);
    EXPECT_EQ(row.mtu, 1400u);
    EXPECT_EQ(row.ifIndex, 4u);
    EXPECT_EQ(row.ipv6IfIndex, 4u);
    EXPECT_EQ(row.dhcpEnabled, 1u);
    EXPECT_EQ(row.transmitSpeed, 1000000000ull);
    EXPECT_EQ(row.receiveSpeed, 10000000000ull);

    const struct {
        const char* list;
        const std::vector<AddressRow>& rows;
        std::vector<AddressRow> expected;
    } lists[] = {
        {"unicast", row.unicast,
         {{kFamilyInet6, 64, u"fd00::2"}, {kFamilyInet6, 64, u"fe80::2%4"}, {kFamilyInet, 24, u"192.0.2.2"}}},
        {"gateways (an unknown family left out)", row.gateways, {{kFamilyInet, 0, u"192.0.2.1"}}},
        {"DNS servers", row.dnsServers, {{kFamilyInet, 0, u"192.0.2.53"}, {kFamilyInet6, 0, u"fd00::53"}}},
    };
    for (const auto& l : lists) {
        ASSERT_EQ(l.rows.size(), l.expected.size()) << l.list;
        for (std::size_t i = 0; i < l.rows.size(); ++i) {
            EXPECT_EQ(l.rows[i].family, l.expected[i].family) << l.list << " " << i;
            EXPECT_EQ(l.rows[i].prefixLength, l.expected[i].prefixLength) << l.list << " " << i;
            EXPECT_EQ(l.rows[i].address, l.expected[i].address) << l.list << " " << i;
        }
    }

    AdapterExFacts wide;
    wide.friendlyName = Text(300, u'f');
    wide.description = Text(256, u'd');
    wide.adapterName = Text(70, u'a');
    wide.dnsSuffix = Text(255, u's');
    wide.ifType = 71;
    wide.operStatus = 9;
    const AdapterExRow cut = MakeAdapterExRow(wide);
    EXPECT_EQ(cut.friendlyName, Text(255, u'f'));
    EXPECT_EQ(cut.description, Text(255, u'd'));
    EXPECT_EQ(cut.adapterName, Text(63, u'a'));
    EXPECT_EQ(cut.dnsSuffix, Text(255, u's'));
    EXPECT_EQ(cut.typeWord, u"Wi-Fi");
    EXPECT_EQ(cut.statusWord, u"Unknown");
    EXPECT_EQ(cut.hardwareAddress, u"");
    EXPECT_EQ(cut.dhcpEnabled, 0u);
    EXPECT_TRUE(cut.unicast.empty() && cut.gateways.empty() && cut.dnsServers.empty());
}

}  // namespace
