#include <gtest/gtest.h>

#include "sysinfo/identity_text.h"

using namespace tallowick;

namespace {

TEST(TrimLeadingBlanks, DropsOnlyLeadingBlanks) {
    const std::pair<Text, Text> cases[] = {
        {u"Intel(R) Core(TM) i5", u"Intel(R) Core(TM) i5"},
        {u"          Intel(R) Pentium(R) 4 CPU 2.80GHz", u"Intel(R) Pentium(R) 4 CPU 2.80GHz"},
        {u"  AMD  Athlon  ", u"AMD  Athlon  "},
        {u"\t CPU", u"\t CPU"},
        {u" \tCPU", u"\tCPU"},
        {u"     ", u""},
        {u"", u""},
        {u" \u00a0x", u"\u00a0x"},  // only U+0020 is a blank
    };
    for (const auto& c : cases) EXPECT_EQ(ToUtf8(TrimLeadingBlanks(c.first)), ToUtf8(c.second));
}

TEST(FormatMegabytes, WholeMebibytesRoundedDown) {
    const std::pair<std::uint64_t, Text> cases[] = {
        {0, u"0 MB"},
        {(1ull << 20) - 1, u"0 MB"},
        {1ull << 20, u"1 MB"},
        {(2ull << 30) - 4096 * 37, u"2047 MB"},
        {2ull << 30, u"2048 MB"},
        {5ull << 40, u"5242880 MB"},
        {~0ull, u"17592186044415 MB"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToUtf8(FormatMegabytes(c.first)), ToUtf8(c.second)) << c.first;
}

}  // namespace
