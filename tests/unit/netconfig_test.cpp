#include <gtest/gtest.h>

#include "network/connectivity.h"
#include "network/netconfig.h"

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

}  // namespace
