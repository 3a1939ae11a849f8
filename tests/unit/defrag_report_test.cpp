#include <gtest/gtest.h>

#include <string>

#include "disk/defrag_report.h"
#include "core/os_family.h"

using namespace tallowick;

namespace {

struct ParseCase {
    const char* name;
    std::string report;
    std::int32_t family;
    bool found;
    std::int32_t percent;
    std::int32_t recommend;
};

const std::string kXpReport =
    "Analysis Report\r\n    Volume size = 40 GB\r\n    Free space = 20 GB\r\n    Percent free space = 50%\r\n\r\n"
    "Volume fragmentation\r\n    Total fragmentation = 15%\r\n    File fragmentation = 31%\r\n";
const std::string kVistaReport =
    "Analysis report for volume C:\r\n    Volume size = 40 GB\r\n    Free space = 20 GB\r\n"
    "    Total fragmented space = 12 %\r\n    Largest free space size = 3 GB\r\n";

TEST(ParseDefragReportText, FollowsTheLayoutOfEachFamily) {
    const ParseCase cases[] = {
        // Layout of version 6.0: number two places before the first sign.
        {"vista blank digit blank", "x = 2 %", OsVista, true, 2, 0},
        {"vista two digits", "x = 12 %", OsVista, true, 12, 1},
        {"vista report", kVistaReport, OsVista, true, 12, 1},
        {"vista digit directly before sign is not used", "x = 15%", OsVista, true, 1, 0},
        {"vista one sign is enough", "only = 40 % here", OsVista, true, 40, 1},
        {"vista 100", "x = 100 %", OsVista, true, 100, 1},
        {"vista 1000 reads the whole run", "x = 1000 %", OsVista, true, 1000, 1},
        {"vista sign kept", "x = -5 %", OsVista, true, -5, 0},
        {"vista no digits counts as found", "abc %", OsVista, true, 0, 0},
        {"vista sign at the very start", "%abc", OsVista, true, 0, 0},
        {"vista sign one place in", "7%", OsVista, true, 0, 0},
        {"vista sign two places in", "7 %", OsVista, true, 7, 0},
        // Every other layout: the second sign.
        {"xp blank then 6", "free = 50%, total = 6%", OsWinXp, true, 6, 0},
        {"xp 15", "free = 50%, total = 15%", OsWinXp, true, 15, 1},
        {"xp report", kXpReport, OsWinXp, true, 15, 1},
        {"xp 10 does not recommend", "a 1% b 10%", OsWinXp, true, 10, 0},
        {"xp 11 recommends", "a 1% b 11%", OsWinXp, true, 11, 1},
        {"xp 100", "free = 50%, total = 100%", OsWinXp, true, 100, 1},
        {"xp digit then blank", "a 1% b = 5 %", OsWinXp, true, 5, 0},
        {"xp two digits then blank read whole", "a 1% b = 25 %", OsWinXp, true, 25, 1},
        {"xp letter before sign", "a 1% bx%", OsWinXp, true, 0, 0},
        {"xp sign is not a digit", "a 1% b -5%", OsWinXp, true, 5, 0},
        {"xp only one sign fails", "total = 15%", OsWinXp, false, 0, 0},
        {"xp adjacent signs", "%%", OsWinXp, true, 0, 0},
        {"unknown family reads like xp", "a 50% b 42%", OsUnknown, true, 42, 1},
        {"unknown family 100", "a 50% b 100%", OsUnknown, true, 100, 1},
        {"family 5 reads like xp", "a 50% b 3%", OsNtWorkstation, true, 3, 0},
        {"huge number is clamped", "a 1% b 99999999999999999999%", OsWinXp, true, 2147483647, 1},
        // No usable sign.
        {"no sign", "Volume C: analysed, nothing to report", OsWinXp, false, 0, 0},
        {"no sign vista", "Volume C: analysed", OsVista, false, 0, 0},
        {"empty", "", OsWinXp, false, 0, 0},
        {"stops at the first zero byte", std::string("a 1% b\0 7%", 10), OsWinXp, false, 0, 0},
        {"zero byte first", std::string("\0 = 2 %", 7), OsVista, false, 0, 0},
    };
    for (const ParseCase& c : cases) {
        DefragFigures figures;
        figures.percent = -77;
        figures.recommend = -77;
        bool found = ParseDefragReportText(c.report, c.family, figures);
        EXPECT_EQ(found, c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(figures.percent, c.percent) << c.name;
            EXPECT_EQ(figures.recommend, c.recommend) << c.name;
        } else {
            EXPECT_EQ(figures.percent, -77) << c.name << ": failure leaves the outputs alone";
            EXPECT_EQ(figures.recommend, -77) << c.name;
        }
    }
}

TEST(ParseDefragReportText, OnlyTheFirst1024BytesCount) {
    struct Case {
        const char* name;
        std::size_t padding;
        std::string tail;
        std::int32_t family;
        bool found;
        std::int32_t percent;
    };
    const Case cases[] = {
        {"sign beyond the limit", 1024, " = 2 %", OsVista, false, 0},
        {"sign the last byte inside", 1019, "= 2 %", OsVista, true, 2},
        {"sign one past the limit", 1020, "= 23 %", OsVista, false, 0},
        {"second sign one past the limit", 1015, "a 1% b 33%", OsWinXp, false, 0},
        {"second sign the last byte inside", 1014, "a 1% b 33%", OsWinXp, true, 33},
        {"second sign inside", 990, "a 1% b 33%", OsWinXp, true, 33},
    };
    for (const Case& c : cases) {
        std::string report = std::string(c.padding, 'x') + c.tail + std::string(4000, 'y') + " 9%% 9%%";
        DefragFigures figures;
        EXPECT_EQ(ParseDefragReportText(report, c.family, figures), c.found) << c.name;
        if (c.found) EXPECT_EQ(figures.percent, c.percent) << c.name;
    }
}

TEST(BuildDefragCommand, NamesTheDefragmenterAndAppendsToTheQuotedReport) {
    struct Case {
        Text defrag, root, report, expected;
    };
    const Case cases[] = {
        {u"C:\\WINDOWS\\system32\\defrag.exe", u"C:\\", u"D:\\Tools\\defrag.txt",
         u"C:\\WINDOWS\\system32\\defrag.exe C:\\ -a >>\"D:\\Tools\\defrag.txt\""},
        {u"C:\\My Windows\\system32\\defrag.exe", u"Z:\\", u"D:\\A B\\defrag.txt",
         u"\"C:\\My Windows\\system32\\defrag.exe\" Z:\\ -a >>\"D:\\A B\\defrag.txt\""},
        {u"C:\\Win&dows\\defrag.exe", u"C:\\", u"r.txt", u"\"C:\\Win&dows\\defrag.exe\" C:\\ -a >>\"r.txt\""},
        {u"C:\\WINDOWS\\system32\\defrag.exe", u"C:\\", u"C:\\Programme\\Müller-été\\defrag.txt",
         u"C:\\WINDOWS\\system32\\defrag.exe C:\\ -a >>\"C:\\Programme\\Müller-été\\defrag.txt\""},
        // A percent sign is written twice, wherever it stands.
        {u"C:\\W%in%\\defrag.exe", u"C:\\", u"D:\\50% off\\%PATH%\\defrag.txt",
         u"C:\\W%%in%%\\defrag.exe C:\\ -a >>\"D:\\50%% off\\%%PATH%%\\defrag.txt\""},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildDefragCommand(c.defrag, c.root, c.report), c.expected);
}

// Code pages as the platform converts: one that holds ASCII and a few
// letters (as 437 and 850 hold "ü" and "é" at 0x81 and 0x82), one that maps
// what it lacks to a look-alike without saying so, UTF-8, and two that fail.
CodePage SingleByte(bool bestFit) {
    const std::u16string letters = u"üé";
    CodePage page;
    page.encode = [=](TextView text, std::string& out) {
        for (char16_t c : text) {
            std::size_t at = letters.find(c);
            if (c < 0x80) out += static_cast<char>(c);
            else if (at != std::u16string::npos) out += static_cast<char>(0x81 + at);
            else if (bestFit && c == u'è') out += 'e';
            else if (bestFit) continue;  // dropped without a word
            else { out += '?'; return false; }
        }
        return true;
    };
    page.decode = [=](std::string_view bytes) {
        Text out;
        for (char b : bytes) {
            unsigned char u = static_cast<unsigned char>(b);
            out += u >= 0x81 && u < 0x81 + letters.size() ? letters[u - 0x81] : static_cast<char16_t>(u);
        }
        return out;
    };
    return page;
}

CodePage Utf8Page() {
    CodePage page;
    page.encode = [](TextView text, std::string& out) { out = ToUtf8(text); return true; };
    page.decode = [](std::string_view bytes) { return FromUtf8(bytes); };
    return page;
}

CodePage FailingPage(bool emptySuccess) {
    CodePage page;
    page.encode = [=](TextView, std::string& out) { out.clear(); return emptySuccess; };
    page.decode = [](std::string_view) { return Text(); };
    return page;
}

TEST(EncodeBatchLine, CarriesOnlyWhatReadsBackExactly) {
    const Text ascii = u"defrag.exe C:\\ -a >>\"C:\\Tools\\defrag.txt\"";
    const Text mueller = u"defrag.exe C:\\ -a >>\"C:\\Müller-été\\defrag.txt\"";
    const Text greek = u"defrag.exe C:\\ -a >>\"C:\\Müller-Ω\\defrag.txt\"";
    const Text accent = u"defrag.exe C:\\ -a >>\"C:\\Crème\\defrag.txt\"";
    const Text lone = Text(u"defrag.exe C:\\ -a >>\"C:\\x") + char16_t(0xD800) + u"\\defrag.txt\"";
    struct Case {
        const char* name;
        Text line;
        CodePage page;
        bool carried;
        std::string bytes;
    };
    const Case cases[] = {
        {"ascii", ascii, SingleByte(false), true, "defrag.exe C:\\ -a >>\"C:\\Tools\\defrag.txt\""},
        {"letters the code page holds", mueller, SingleByte(false), true,
         "defrag.exe C:\\ -a >>\"C:\\M\x81ller-\x82t\x82\\defrag.txt\""},
        {"a letter it lacks", greek, SingleByte(false), false, ""},
        {"a look-alike put in silently", accent, SingleByte(true), false, ""},
        {"a letter dropped silently", greek, SingleByte(true), false, ""},
        {"utf-8 carries every letter", greek, Utf8Page(), true, ToUtf8(greek)},
        {"utf-8 and a lone surrogate", lone, Utf8Page(), false, ""},
        {"the conversion fails", ascii, FailingPage(false), false, ""},
        {"the conversion gives nothing", ascii, FailingPage(true), false, ""},
        {"an empty line", u"", SingleByte(false), false, ""},
        {"the longest line", Text(kBatchLineBound, u'x'), SingleByte(false), true, std::string(kBatchLineBound, 'x')},
        {"one byte too long", Text(kBatchLineBound + 1, u'x'), SingleByte(false), false, ""},
        {"too long in bytes only", Text(kBatchLineBound - 1, u'x') + u"é", Utf8Page(), false, ""},
    };
    for (const Case& c : cases) {
        std::string bytes = "stale";
        EXPECT_EQ(EncodeBatchLine(c.line, c.page, bytes), c.carried) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
}

TEST(DiskTexts, ProgressFragmentationAndAdvice) {
    EXPECT_EQ(ProgressText(u"C:\\"), u"正在分析: C:\\ ...");
    EXPECT_EQ(ProgressText(Text(400, u'x')).size(), kProgressBound - 1);
    EXPECT_EQ(FragmentationText(7), u"7%碎片");
    EXPECT_EQ(FragmentationText(100), u"100%碎片");
    EXPECT_EQ(FragmentationText(-5), u"-5%碎片");
    EXPECT_EQ(Text(AdviceText(true)), u"建议进行碎片整理");
    EXPECT_EQ(Text(AdviceText(false)), u"不需碎片整理");
}

TEST(SiblingPath, ReplacesTheFileName) {
    EXPECT_EQ(SiblingPath(u"D:\\Tools\\host.exe", u"defrag.txt"), u"D:\\Tools\\defrag.txt");
    EXPECT_EQ(SiblingPath(u"C:\\host.exe", u"defrag.bat"), u"C:\\defrag.bat");
    EXPECT_EQ(SiblingPath(u"host.exe", u"defrag.bat"), u"defrag.bat");
}

}  // namespace
