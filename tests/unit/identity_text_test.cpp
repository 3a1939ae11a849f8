#include <gtest/gtest.h>

#include "core/text.h"

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

}  // namespace
