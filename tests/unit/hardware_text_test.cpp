#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "hardware/hardware_text.h"

using namespace tallowick;

namespace {

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

// A report field with a guard zone behind it, to catch writes past the bound.
struct GuardedField {
    static constexpr std::size_t kWidth = kHardwareFieldBound + 1;
    static constexpr std::size_t kGuard = 16;
    char16_t units[kWidth + kGuard];
    GuardedField() { std::fill(std::begin(units), std::end(units), u'#'); }
    Text text() const { return Text(units); }
    bool guardIntact() const {
        // The bound counts the terminator: the unit at index 1024 and the
        // guard behind the field are never written.
        return std::all_of(units + kHardwareFieldBound, std::end(units), [](char16_t c) { return c == u'#'; });
    }
};

Text Join(const std::vector<Text>& texts) {
    GuardedField f;
    InstanceJoiner joiner(f.units, kHardwareFieldBound);
    for (const Text& t : texts) joiner.Add(t);
    EXPECT_TRUE(f.guardIntact());
    return f.text();
}

TEST(InstanceJoiner, SeparatesInstancesWithSemicolonAndSpace) {
    struct Case {
        const char* name;
        std::vector<Text> texts;
        Text expected;
    };
    const Case cases[] = {
        {"three", {u"X", u"Y", u"Z"}, u"X; Y; Z"},
        {"empty name between two", {u"X", u"", u"Z"}, u"X; ; Z"},
        {"single instance", {u"Radeon"}, u"Radeon"},
        {"none", {}, u""},
        {"one empty name", {u""}, u""},
        {"two empty names", {u"", u""}, u"; "},
        {"chinese names", {u"声卡", u"网卡"}, u"声卡; 网卡"},
        {"embedded terminator ends a name", {Text(u"ab\0cd", 5), u"Z"}, u"ab; Z"},
    };
    for (const Case& c : cases) EXPECT_EQ(Join(c.texts), c.expected) << c.name;
}

TEST(InstanceJoiner, EmptiesTheFieldFirst) {
    GuardedField f;
    std::fill(f.units, f.units + 10, u'x');
    InstanceJoiner joiner(f.units, kHardwareFieldBound);
    EXPECT_EQ(f.text(), u"");
}

TEST(InstanceJoiner, CutsALongJoinAtTheBoundAndNeverPastIt) {
    // 40 names of 30 characters: 40 * 30 + 39 * 2 = 1278 characters.
    std::vector<Text> names;
    Text expected;
    for (int i = 0; i < 40; ++i) {
        Text name(30, static_cast<char16_t>(u'A' + i % 26));
        if (i) expected += u"; ";
        expected += name;
        names.push_back(name);
    }
    GuardedField f;
    InstanceJoiner joiner(f.units, kHardwareFieldBound);
    for (const Text& n : names) joiner.Add(n);
    EXPECT_TRUE(f.guardIntact());
    EXPECT_EQ(f.text().size(), kHardwareFieldBound - 1);
    EXPECT_EQ(f.text(), expected.substr(0, kHardwareFieldBound - 1));
    EXPECT_TRUE(joiner.full());
    EXPECT_EQ(joiner.instances(), 40u);
}

TEST(InstanceJoiner, NothingFollowsACutText) {
    // The first name fills all but one unit; a surrogate pair that does not
    // fit is left out whole, and the next separator is not squeezed in.
    GuardedField f;
    InstanceJoiner joiner(f.units, kHardwareFieldBound);
    joiner.Add(Text(kHardwareFieldBound - 2, u'a') + u"\U0001F600");
    joiner.Add(u"Z");
    EXPECT_TRUE(f.guardIntact());
    EXPECT_EQ(f.text(), Text(kHardwareFieldBound - 2, u'a'));
}

TEST(InstanceJoiner, TextThatExactlyFillsTheFieldIsKept) {
    GuardedField f;
    InstanceJoiner joiner(f.units, kHardwareFieldBound);
    joiner.Add(Text(kHardwareFieldBound - 1, u'n'));
    EXPECT_FALSE(joiner.full());
    joiner.Add(u"more");
    EXPECT_TRUE(f.guardIntact());
    EXPECT_EQ(f.text(), Text(kHardwareFieldBound - 1, u'n'));
}

TEST(DiskInstanceText, FormatsSizeInUnitsOfTwoToTheThirty) {
    struct Case {
        Text size, type, expected;
    };
    const Case cases[] = {
        {u"85899345920", u"IDE", u"80.000GB IDE"},          // 80 * 2^30
        {u"1", u"IDE", u"0.000GB IDE"},
        {u"", u"IDE", u"0.000GB IDE"},                      // no digits
        {u"unknown", u"SCSI", u"0.000GB SCSI"},
        {u"160041885696", u"IDE", u"149.051GB IDE"},
        {u"80026361856", u"SCSI", u"74.530GB SCSI"},
        {u"82252800000", u"IDE", u"76.604GB IDE"},          // Wine's drive
        {u"  \t+1073741824xyz", u"", u"1.000GB "},          // blanks, sign, trailing text
        {u"1073741824", u"", u"1.000GB "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DiskInstanceText(c.size, c.type), c.expected) << ToUtf8(c.size);
}

TEST(FormatDiskSize, RoundsTheExactValue) {
    const std::pair<std::int64_t, Text> cases[] = {
        {0, u"0.000GB "},
        {kGiB / 16, u"0.062GB "},         // 0.0625: a tie goes to the even digit
        {3 * kGiB / 16, u"0.188GB "},     // 0.1875
        {kGiB / 2000 + 1, u"0.001GB "},   // just above 0.0005
        {kGiB - 1, u"1.000GB "},          // carries into the whole part
        {80000000000, u"74.506GB "},      // a disk sold as 80 GB of 10^9 bytes: units of 2^30
        {-kGiB, u"-1.000GB "},
        {-1, u"-0.000GB "},
        {std::numeric_limits<std::int64_t>::max(), u"8589934592.000GB "},
        {std::numeric_limits<std::int64_t>::min(), u"-8589934592.000GB "},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDiskSize(c.first), c.second) << c.first;
}

#if !defined(_WIN32)
// The C library's "%.3f" is correctly rounded here: the formatter must agree
// with it on every kind of value. (The Windows runtime's own printf is not
// the reference; the formatter is what makes both platforms agree.)
TEST(FormatDiskSize, AgreesWithCorrectlyRoundedPrintf) {
    std::vector<std::int64_t> values = {1, 2, 1000, 123456789, 82252800000, 160041885696,
                                        (std::int64_t{1} << 53) + 1, (std::int64_t{1} << 62) + 12345};
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 2000; ++i) {  // fixed pseudo-random spread over all magnitudes
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        values.push_back(static_cast<std::int64_t>(x >> (x % 60)));
    }
    for (int j = 0; j < 64; ++j) values.push_back(kGiB / 16 * j);  // every tie below 4 GiB
    for (std::int64_t v : values) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.3fGB ", static_cast<double>(v) * 9.313225746154785e-10);
        EXPECT_EQ(ToUtf8(FormatDiskSize(v)), buf) << v;
    }
}
#endif

TEST(NeedsNoDriverText, OnlyEmptyDeviceClassFields) {
    for (int i = 0; i < kHardwareFieldCount; ++i) {
        const bool deviceClass = i >= kVideoControllerField;
        EXPECT_EQ(NeedsNoDriverText(i, u""), deviceClass) << i;
        EXPECT_FALSE(NeedsNoDriverText(i, u"Name")) << i;
        EXPECT_FALSE(NeedsNoDriverText(i, u"; ")) << i;  // two unnamed devices
    }
    EXPECT_FALSE(NeedsNoDriverText(-1, u""));
    EXPECT_FALSE(NeedsNoDriverText(kHardwareFieldCount, u""));
    EXPECT_FALSE(NeedsNoDriverText(kSoundDeviceField, nullptr));
}

}  // namespace
