// Paging-file entries and multi-string data, and the environment value rule.
#include <gtest/gtest.h>

#include "sysinfo/paging_files.h"

using namespace tallowick;

namespace {

// Multi-string data as the registry returns it: `units` units of data and a
// zero unit behind them, as the reader's buffer guarantees.
std::vector<Text> Split(const Text& data) {
    Text buffer = data;
    buffer.push_back(u'\0');
    return SplitMultiString(buffer.data(), data.size());
}

TEST(SplitMultiString, Cases) {
    using T = Text;
    const struct {
        const char* name;
        Text data;
        std::vector<Text> entries;
    } cases[] = {
        {"two entries", T(u"C:\\pagefile.sys 1536 3072\0D:\\pagefile.sys 0 0\0\0", 46),
         {u"C:\\pagefile.sys 1536 3072", u"D:\\pagefile.sys 0 0"}},
        {"single terminator after the last entry", T(u"C:\\p 1 2\0D:\\q 3 4\0", 18), {u"C:\\p 1 2", u"D:\\q 3 4"}},
        {"only the terminator", T(u"\0", 1), {u""}},
        {"no data", T(), {}},
        {"unterminated final entry", T(u"C:\\p 1 2\0D:\\q", 13), {u"C:\\p 1 2"}},
        {"unterminated only entry", T(u"C:\\p 1 2"), {}},
        {"empty entry ends the list", T(u"A\0\0B\0\0", 6), {u"A"}},
        {"leading empty entry", T(u"\0A\0\0", 4), {u"", u"A"}},
    };
    for (const auto& c : cases) {
        std::vector<Text> got = Split(c.data);
        ASSERT_EQ(got.size(), c.entries.size()) << c.name;
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(ToUtf8(got[i]), ToUtf8(c.entries[i])) << c.name;
    }
}

TEST(ParsePagingFileEntry, Cases) {
    const struct {
        const char* name;
        Text entry;
        Text drive;
        std::int64_t initial, maximum;
    } cases[] = {
        {"sizes", u"C:\\pagefile.sys 1536 3072", u"C:", 1536, 3072},
        {"zero sizes", u"D:\\pagefile.sys 0 0", u"D:", 0, 0},
        {"path only", u"E:\\pagefile.sys", u"E:", 0, 0},
        {"one blank", u"F:\\pagefile.sys 512", u"F:", 512, 512},
        {"blank in the path", u"C:\\Page Files\\pagefile.sys 100 200", u"C:", 0, 200},
        {"system managed", u"?:\\pagefile.sys", u"?:", 0, 0},
        {"empty", u"", u"", 0, 0},
        {"one unit", u"C", u"C", 0, 0},
        {"negative", u"C:\\p -5 -7", u"C:", -5, -7},
        {"plus sign and spaces", u"C:\\p  +9 \t12", u"C:", 9, 12},
        {"trailing blank", u"C:\\p 10 20 ", u"C:", 10, 0},
        {"beyond 32 bits", u"C:\\p 99999999999 -99999999999", u"C:", 2147483647, -2147483648LL},
        {"digits then text", u"C:\\p 12MB 34x", u"C:", 12, 34},
    };
    for (const auto& c : cases) {
        PagingFileEntry e = ParsePagingFileEntry(c.entry);
        EXPECT_EQ(ToUtf8(e.drive), ToUtf8(c.drive)) << c.name;
        EXPECT_EQ(e.initialSize, c.initial) << c.name;
        EXPECT_EQ(e.maximumSize, c.maximum) << c.name;
    }
}

TEST(IsListedEnvironmentValue, StringTypesWithData) {
    EXPECT_TRUE(IsListedEnvironmentValue(kRegSz, 2));
    EXPECT_TRUE(IsListedEnvironmentValue(kRegExpandSz, 40));
    EXPECT_FALSE(IsListedEnvironmentValue(kRegSz, 0));
    EXPECT_FALSE(IsListedEnvironmentValue(kRegExpandSz, 0));
    EXPECT_FALSE(IsListedEnvironmentValue(kRegMultiSz, 10));
    EXPECT_FALSE(IsListedEnvironmentValue(4, 4));   // REG_DWORD
    EXPECT_FALSE(IsListedEnvironmentValue(3, 8));   // REG_BINARY
    EXPECT_FALSE(IsListedEnvironmentValue(0, 8));   // REG_NONE
}

}  // namespace
