#include <gtest/gtest.h>

#include "core/text.h"

using namespace tallowick;

namespace {

struct CopyCase {
    const char* name;
    Text src;
    std::size_t bound;
    Text expected;
};

TEST(CopyBounded, BoundsCountTheTerminator) {
    const CopyCase cases[] = {
        {"fits", u"abc", 10, u"abc"},
        {"exactly fills", u"abc", 4, u"abc"},
        {"cut", u"abcdef", 4, u"abc"},
        {"bound one gives empty", u"abc", 1, u""},
        {"empty source", u"", 5, u""},
        {"stops at embedded terminator", Text(u"ab\0cd", 5), 10, u"ab"},
        {"never splits a surrogate pair", u"ab\U0001F600", 4, u"ab"},
        {"keeps a whole pair", u"ab\U0001F600", 5, u"ab\U0001F600"},
        {"chinese text", u"正在分析", 3, u"正在"},
    };
    for (const CopyCase& c : cases) {
        char16_t dst[16];
        std::fill(std::begin(dst), std::end(dst), u'#');
        std::size_t n = CopyBounded(dst, c.bound, c.src);
        EXPECT_EQ(Text(dst), c.expected) << c.name;
        EXPECT_EQ(n, c.expected.size()) << c.name;
        EXPECT_EQ(dst[c.bound], u'#') << c.name << ": wrote past the bound";
    }
}

TEST(CopyBounded, ZeroBoundWritesNothing) {
    char16_t dst[2] = {u'#', u'#'};
    EXPECT_EQ(CopyBounded(dst, 0, u"abc"), 0u);
    EXPECT_EQ(dst[0], u'#');
}

TEST(AppendBounded, AppendsWithinTheBound) {
    char16_t dst[8] = u"ab";
    AppendBounded(dst, 6, u"cdef");
    EXPECT_EQ(Text(dst), u"abcde");
    AppendBounded(dst, 6, u"x");
    EXPECT_EQ(Text(dst), u"abcde");
}

TEST(AppendBounded, TerminatesAnUnterminatedField) {
    char16_t dst[4] = {u'a', u'b', u'c', u'd'};
    AppendBounded(dst, 4, u"x");
    EXPECT_EQ(Text(dst), u"abc");
}

TEST(FormatInt, MatchesPrintfDecimal) {
    const std::pair<std::int64_t, Text> cases[] = {
        {0, u"0"}, {7, u"7"}, {-7, u"-7"}, {2047, u"2047"},
        {INT64_MAX, u"9223372036854775807"}, {INT64_MIN, u"-9223372036854775808"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatInt(c.first), c.second);
}

TEST(Utf8, RoundTripsAndReplacesInvalidInput) {
    Text t = u"A正\U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(t)), t);
    EXPECT_EQ(ToUtf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), Text(u"\uFFFD\uFFFD"));  // overlong
    EXPECT_EQ(FromUtf8("\xE4\xB8"), Text(u"\uFFFD\uFFFD"));  // cut short
}

}  // namespace
