#include <gtest/gtest.h>

#include <limits>

#include "core/registry_reader.h"
#include "core/text.h"

using namespace tallowick;

namespace {

struct CopyCase {
    const char* name;
    Text src;
    std::size_t bound;
    Text expected;
};

// Fixed byte fields of platform records (the adapter texts) hold their text
// with a terminator, or without one when it fills them.
TEST(BoundedLength, StopsAtTheTerminatorOrTheFieldEnd) {
    const char terminated[8] = {'1', '0', '.', '0', 0, 'x', 'x', 'x'};
    const char full[4] = {'a', 'b', 'c', 'd'};  // no terminator inside
    const struct {
        const char* name;
        const char* field;
        std::size_t width;
        std::size_t length;
    } cases[] = {
        {"terminated", terminated, sizeof terminated, 4},
        {"full", full, sizeof full, 4},
        {"empty", "", 4, 0},
        {"null", nullptr, 4, 0},
        {"no width", full, 0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(BoundedLength(c.field, c.width), c.length) << c.name;
}

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
        EXPECT_EQ(BoundedText(c.src, c.bound), c.expected) << c.name << ": the text a field would hold";
    }
}

TEST(CopyBounded, ZeroBoundWritesNothing) {
    char16_t dst[2] = {u'#', u'#'};
    EXPECT_EQ(CopyBounded(dst, 0, u"abc"), 0u);
    EXPECT_EQ(dst[0], u'#');
    EXPECT_EQ(BoundedText(u"abc", 0), u"");
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

// The paging-file sizes (32 bits), the drive sizes of the hardware report (64
// bits) and the defragmenter's percentage (32 bits, from bytes) are all read
// by the same rules.
TEST(LeadingInt, TakesBlanksSignAndLeadingDigitsAndStopsAtTheLimits) {
    constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
    constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
    const struct {
        Text text;
        std::int64_t as64;
        std::int32_t as32;
    } cases[] = {
        {u"0", 0, 0},
        {u"42", 42, 42},
        {u"   42", 42, 42},
        {u"\n\t 7", 7, 7},
        {u"\r\n 42", 42, 42},
        {u"-5", -5, -5},
        {u"+5", 5, 5},
        {u"12ab34", 12, 12},
        {u"", 0, 0},
        {u"-", 0, 0},
        {u"x12", 0, 0},
        {u"x1", 0, 0},
        {u"- 5", 0, 0},
        {u"2147483647", 2147483647, kMax32},
        {u"2147483648", 2147483648LL, kMax32},
        {u"-2147483648", -2147483648LL, kMin32},
        {u"9223372036854775807", kMax64, kMax32},
        {u"9223372036854775808", kMax64, kMax32},
        {u"99999999999999999999999", kMax64, kMax32},
        {u"-9223372036854775808", kMin64, kMin32},
        {u"-99999999999999999999999", kMin64, kMin32},
        {u"\u00A012", 0, 0},  // only ASCII white space is skipped
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingInt64(c.text), c.as64) << ToUtf8(c.text);
        EXPECT_EQ(LeadingInt32(c.text), c.as32) << ToUtf8(c.text);
    }
}

TEST(EqualsIgnoreCase, FoldsAsciiLettersOnly) {
    const struct {
        Text a, b;
        bool equal;
    } cases[] = {
        {u"service pack 6", u"Service Pack 6", true},
        {u"WinNT", u"WINNT", true},
        {u"Service Pack 6a", u"Service Pack 6", false},
        {u"Service Pack 6", u"Service Pack 6a", false},
        {u"[", u"{", false},  // not letters: no folding
        {u"", u"", true},
    };
    for (const auto& c : cases) EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << ToUtf8(c.a) << " / " << ToUtf8(c.b);
}

// The memory texts of the computer identity and of the hardware report.
TEST(FormatMegabytes, WholeMebibytesRoundedDown) {
    const std::pair<std::uint64_t, Text> cases[] = {
        {0, u"0 MB"},
        {(1ull << 20) - 1, u"0 MB"},
        {1048575, u"0 MB"},
        {1ull << 20, u"1 MB"},
        {(2ull << 30) - 4096 * 37, u"2047 MB"},
        {2147483647ull, u"2047 MB"},
        {2ull << 30, u"2048 MB"},
        {2147483648ull, u"2048 MB"},
        {5ull << 40, u"5242880 MB"},
        {~0ull, u"17592186044415 MB"},
        {std::numeric_limits<std::uint64_t>::max(), u"17592186044415 MB"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToUtf8(FormatMegabytes(c.first)), ToUtf8(c.second)) << c.first;
}

// Registry data read into a buffer of 8 units, with or without a type check.
TEST(RegistryBufferText, NeverReadsPastTheBufferOrTheBytesRead) {
    char16_t buf[8];
    auto fill = [&](const Text& t) {
        for (std::size_t i = 0; i < 8; ++i) buf[i] = i < t.size() ? t[i] : u'#';
    };
    const struct {
        const char* name;
        Text content;  // buffer content, '#' after it
        std::size_t bytes;
        Text expected;
    } cases[] = {
        {"terminated", Text(u"abc\0", 4), 8, u"abc"},
        {"fills the buffer without terminator", u"abcdefgh", 16, u"abcdefg"},
        {"short value over older content", u"Q未知)", 2, u"Q"},
        {"empty value", Text(u"\0", 1), 2, u""},
        {"no bytes", u"abc", 0, u""},
        {"odd byte count", u"abc", 5, u"ab"},
        {"stops at the terminator", Text(u"WinNT\0xy", 8), 16, u"WinNT"},
        {"no terminator inside the data", Text(u"WinNT\0xy", 8), 6, u"Win"},
        {"odd last byte dropped", Text(u"WinNT\0xy", 8), 7, u"Win"},
        {"no data", Text(u"WinNT\0xy", 8), 0, u""},
    };
    for (const auto& c : cases) {
        fill(c.content);
        EXPECT_EQ(RegistryBufferText(buf, 8, c.bytes), c.expected) << c.name;
    }
    EXPECT_EQ(RegistryBufferText(nullptr, 8, 16), u"");
    EXPECT_EQ(RegistryBufferText(nullptr, 8, 8), u"");
}

TEST(Utf8, RoundTripsAndReplacesInvalidInput) {
    Text t = u"A正\U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(t)), t);
    EXPECT_EQ(ToUtf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), Text(u"\uFFFD\uFFFD"));  // overlong
    EXPECT_EQ(FromUtf8("\xE4\xB8"), Text(u"\uFFFD\uFFFD"));  // cut short
}

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
