// The host's report writers on made-up section documents: the HTML views
// keyed on record fields, escaping, the memory text parser and the JSON
// writer's escapes.
#include <gtest/gtest.h>

#include <string>

#include "host.h"

namespace {

using host::Json;

std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
    return n;
}

TEST(HostReport, ParseKilobytes) {
    struct Case {
        const char* text;
        long long bytes;
    } cases[] = {
        {"10244 K", 10244LL * 1024}, {"0 K", 0},          {"1,024 K", 1024LL * 1024}, {" 7 K", 7 * 1024},
        {"12K", 12 * 1024},          {"", -1},            {"K", -1},                  {"12 MB", -1},
        {"abc", -1},                 {"-5 K", -1},        {"99999999999999999999 K", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(host::ParseKilobytes(c.text), c.bytes) << c.text;
}

Json Drive(const char* root, long long total, long long free) {
    Json d = Json::Object();
    d.set("szRootPath", Json::Str(root));
    d.set("szVolumeLabel", Json::Str(""));
    d.set("ullTotalBytes", Json::Int(total));
    d.set("ullFreeBytes", Json::Int(free));
    return d;
}

Json Process(const char* name, const char* memory) {
    Json p = Json::Object();
    p.set("szName", Json::Str(name));
    p.set("szOwner", Json::Str("user"));
    p.set("nCpuPercent", Json::Int(0));
    p.set("szMemory", Json::Str(memory));
    return p;
}

TEST(HostReport, DriveBarsShowTheUsedShare) {
    Json hdd = Json::Object();
    Json drives = Json::Array();
    drives.push(Drive("C:\\", 1000, 250));
    drives.push(Drive("D:\\", 1000, 50));
    drives.push(Drive("E:\\", 0, 0));        // an empty volume: no division by zero
    drives.push(Drive("F:\\", 100, 500));    // more free than total: clamped
    hdd.set("items", std::move(drives));
    std::string page = host::RenderHtmlReport({{"hdd", "Drives", 0, &hdd}}, "now");
    EXPECT_NE(page.find("Drive usage"), std::string::npos);
    EXPECT_NE(page.find("style=\"width:75.0%\""), std::string::npos);
    EXPECT_NE(page.find("fill high\" style=\"width:95.0%\""), std::string::npos);
    EXPECT_NE(page.find("style=\"width:0.0%\""), std::string::npos);
    EXPECT_EQ(Count(page, "class=\"bar-row\""), 4u);
    // The raw figure and the human one side by side in the generic table.
    EXPECT_NE(page.find("1000 <span class=\"human\">(1000 B)</span>"), std::string::npos);
}

TEST(HostReport, LargestProcessesFirstAtMostTen) {
    Json proc = Json::Object();
    Json list = Json::Array();
    list.push(Process("small.exe", "100 K"));
    list.push(Process("big.exe", "204800 K"));
    list.push(Process("odd.exe", "n/a"));  // not a memory text: left out of the chart
    for (int i = 0; i < 12; ++i) list.push(Process(("p" + std::to_string(i) + ".exe").c_str(), "1000 K"));
    proc.set("items", std::move(list));
    std::string page = host::RenderHtmlReport({{"process", "Processes", 0, &proc}}, "now");
    std::size_t chart = page.find("Largest processes by memory");
    ASSERT_NE(chart, std::string::npos);
    std::string view = page.substr(chart, page.find("</div></div>", page.rfind("bar-row")) - chart);
    EXPECT_EQ(Count(view, "class=\"bar-row\""), 10u);
    EXPECT_LT(view.find("big.exe"), view.find("p0.exe"));
    EXPECT_NE(view.find("200.0 MiB"), std::string::npos);
    EXPECT_NE(view.find("style=\"width:100.0%\""), std::string::npos);
    EXPECT_EQ(view.find("small.exe"), std::string::npos);
    EXPECT_EQ(view.find("odd.exe"), std::string::npos);
}

TEST(HostReport, VerdictOnTopAndTextsEscaped) {
    Json sys = Json::Object();
    sys.set("szOsName", Json::Str("<script>alert(1)</script> & \"x\""));
    Json net = Json::Object();
    net.set("count", Json::Int(1));
    net.set("szVerdict", Json::Str("无故障"));
    net.set("szNetworkState", Json::Str("网络正常"));
    std::string page =
        host::RenderHtmlReport({{"sysinfo", "System", 0, &sys}, {"network", "Internet", 1, &net}}, "<now>");
    std::size_t verdict = page.find("id=\"verdict\"");
    ASSERT_NE(verdict, std::string::npos);
    EXPECT_LT(verdict, page.find("<section"));
    EXPECT_NE(page.find("无故障"), std::string::npos);
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;x&quot;"), std::string::npos);
    EXPECT_NE(page.find("&lt;now&gt;"), std::string::npos);
    EXPECT_EQ(Count(page, "<section class=\"check\""), 2u);
}

TEST(HostReport, FailedCheckAndMissingResultStillGetASection) {
    Json empty = Json::Object();
    empty.set("items", Json::Array());
    std::string page = host::RenderHtmlReport({{"apps", "Programs", 1, &empty}, {"shares", "Shares", 0, nullptr}},
                                              "now");
    EXPECT_NE(page.find("The check returned 1."), std::string::npos);
    EXPECT_NE(page.find("(none)"), std::string::npos);
    EXPECT_NE(page.find("(no result)"), std::string::npos);
    EXPECT_NE(page.find("data-check=\"shares\""), std::string::npos);
}

TEST(HostReport, NestedListsAndRecordTables) {
    Json sys = Json::Object();
    Json env = Json::Array();
    Json var = Json::Object();
    var.set("szName", Json::Str("PATH"));
    var.set("pszValue", Json::Str("%SystemRoot%"));
    env.push(std::move(var));
    Json other = Json::Object();
    other.set("szName", Json::Str("TEMP"));
    other.set("extra", Json::Int(5));  // a field only some records carry gets its own column
    env.push(std::move(other));
    sys.set("pEnvironment", std::move(env));
    std::string page = host::RenderHtmlReport({{"sysinfo", "System", 0, &sys}}, "now");
    EXPECT_NE(page.find("<th>szName</th><th>pszValue</th><th>extra</th>"), std::string::npos);
    EXPECT_NE(page.find("%SystemRoot%"), std::string::npos);
    EXPECT_NE(page.find("pEnvironment <span class=\"count\">(2)</span>"), std::string::npos);
}

TEST(HostReport, JsonEscapesControlCharactersAndKeepsUtf8) {
    Json j = Json::Object();
    j.set("a\"b", Json::Str(std::string("line\n\ttab\x01 \\ 碎片")));
    j.set("n", Json::Int(-9007199254740993LL));
    j.set("big", Json::Int(static_cast<long long>(18446744073709551615ULL >> 1)));
    EXPECT_EQ(j.dump(), "{\"a\\\"b\":\"line\\n\\ttab\\u0001 \\\\ 碎片\",\"n\":-9007199254740993,"
                        "\"big\":9223372036854775807}");
    EXPECT_EQ(j.find("n")->asInt(), -9007199254740993LL);
    EXPECT_EQ(j.find("missing"), nullptr);
}

TEST(HostReport, Utf8OfLoneSurrogateIsStillValid) {
    const wchar_t text[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
    std::string s = host::Utf8(text);
    // No byte sequence for a surrogate code point (ED A0..BF ..) may appear.
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        EXPECT_FALSE(static_cast<unsigned char>(s[i]) == 0xED && static_cast<unsigned char>(s[i + 1]) >= 0xA0) << i;
    EXPECT_EQ(s.front(), 'a');
    EXPECT_EQ(s.back(), 'b');
}

}  // namespace
