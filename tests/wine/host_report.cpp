// The host's report writers on made-up section documents: the HTML page's
// labels and figures, its views, escaping, the memory text parser and the
// JSON writer's escapes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "host.h"

namespace {

using host::Json;

std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
    return n;
}

// The host converts texts itself, as any host would; it must give what the
// library's own conversion gives, broken input included.
TEST(HostReport, Utf8ConversionMatchesTheLibrarys) {
    const std::wstring wide[] = {
        L"", L"plain", L"\u4E2D\u6587", L"\U0001F600", std::wstring(1, wchar_t(0xD800)),
        std::wstring(1, wchar_t(0xDC00)) + L"x", std::wstring{wchar_t(0xD83D), L'a', wchar_t(0xDE00)},
        std::wstring{L'a', wchar_t(0xDBFF)}, L"\u00E9\u20AC",
    };
    for (const std::wstring& w : wide) {
        EXPECT_EQ(host::Utf8(w), tallowick::ToUtf8(tallowick::TextView(reinterpret_cast<const char16_t*>(w.c_str()), w.size())))
            << "UTF-16 input of " << w.size() << " units";
    }
    const std::string narrow[] = {
        "", "plain", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xE2\x82" "A", "\xC0\xAF", "\xED\xA0\x80",
        "\xF4\x90\x80\x80", "\x80\xBF", "\xFF", "a\xF0\x9F\x98", "\xE0\x80\xAF",
    };
    for (const std::string& n : narrow) {
        const tallowick::Text expected = tallowick::FromUtf8(n);
        EXPECT_EQ(host::Wide(n), std::wstring(expected.begin(), expected.end())) << "UTF-8 input " << n;
    }
}

// The numbers the reports read from formatted texts; -1 for a text not of the form.
TEST(HostReport, NumbersOfFormattedTexts) {
    constexpr long long KiB = 1024, MiB = KiB << 10, GiB = MiB << 10;
    struct Case {
        long long (*parse)(const std::string&);
        const char* text;
        long long value;
    } cases[] = {
        // Process memory, "%d K".
        {host::ParseKilobytes, "10244 K", 10244 * KiB}, {host::ParseKilobytes, "0 K", 0},
        {host::ParseKilobytes, "1,024 K", 1024 * KiB},  {host::ParseKilobytes, " 7 K", 7 * KiB},
        {host::ParseKilobytes, "12K", 12 * KiB},        {host::ParseKilobytes, "", -1},
        {host::ParseKilobytes, "K", -1},                {host::ParseKilobytes, "12 MB", -1},
        {host::ParseKilobytes, "abc", -1},              {host::ParseKilobytes, "-5 K", -1},
        {host::ParseKilobytes, "99999999999999999999 K", -1},
        // Physical memory, whole mebibytes.
        {host::ParseMegabytes, "24105 MB", 24105 * MiB}, {host::ParseMegabytes, "0 MB", 0},
        {host::ParseMegabytes, "2048MB", -1},            {host::ParseMegabytes, "2048 MB ", -1},
        {host::ParseMegabytes, "", -1},                  {host::ParseMegabytes, "12 K", -1},
        {host::ParseMegabytes, "9999999999999999 MB", -1},
        // A disk drive: GB of 2^30 bytes with three decimals, the interface after it.
        {host::ParseGigabytes, "76.604GB IDE", (76604 * GiB + 500) / 1000},
        {host::ParseGigabytes, "149.051GB SCSI", (149051 * GiB + 500) / 1000},
        {host::ParseGigabytes, "1.5GB", GiB + GiB / 2},  {host::ParseGigabytes, "0.000GB IDE", 0},
        {host::ParseGigabytes, "2GB", 2 * GiB},          {host::ParseGigabytes, "1.0001GB", -1},
        {host::ParseGigabytes, "76.604 GB", -1},         {host::ParseGigabytes, ".5GB", -1},
        {host::ParseGigabytes, "", -1},                  {host::ParseGigabytes, "未安装驱动程序", -1},
        {host::ParseGigabytes, "9000000.000GB", -1},
        // Fragmentation, "%d%碎片".
        {host::ParsePercent, "12%\xE7\xA2\x8E\xE7\x89\x87", 12}, {host::ParsePercent, "0%", 0},
        {host::ParsePercent, "100%", 100},               {host::ParsePercent, "", -1},
        {host::ParsePercent, "%", -1},                   {host::ParsePercent, "12", -1},
        // Share connections: a count alone.
        {host::ParseCount, "3", 3},   {host::ParseCount, "0", 0},   {host::ParseCount, "", -1},
        {host::ParseCount, "3 ", -1}, {host::ParseCount, "-1", -1}, {host::ParseCount, "1234567890123456", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.parse(c.text), c.value) << c.text;
    EXPECT_EQ(host::NumberOrNull(-1).dump(), "null");
    EXPECT_EQ(host::NumberOrNull(0).dump(), "0");
}

TEST(HostReport, ReachableBesideTheVerdict) {
    const std::string yes = "\xE6\x97\xA0\xE6\x95\x85\xE9\x9A\x9C", no = "\xE6\x9C\x89\xE6\x95\x85\xE9\x9A\x9C";
    struct Case {
        std::string verdict;
        const char* json;
    } cases[] = {
        {yes, "true"}, {no, "false"}, {"NoFault", "true"}, {"HaveFault", "false"}, {"", "null"}, {"other", "null"},
    };
    for (const Case& c : cases) EXPECT_EQ(host::ReachableFromVerdict(c.verdict, yes, no).dump(), c.json) << c.verdict;
    // Without a catalogue the texts are the ids themselves.
    EXPECT_EQ(host::ReachableFromVerdict("NoFault", "NoFault", "HaveFault").dump(), "true");
}

TEST(HostReport, IsoDateTimeWithZone) {
    struct Case {
        SYSTEMTIME time;
        int offsetMinutes;
        const char* text;
    } cases[] = {
        {{2026, 12, 2, 8, 22, 15, 3, 0}, 0, "2026-12-08T22:15:03Z"},
        {{2026, 12, 2, 8, 23, 15, 3, 999}, 60, "2026-12-08T23:15:03+01:00"},
        {{2026, 12, 2, 9, 3, 45, 3, 0}, 330, "2026-12-09T03:45:03+05:30"},
        {{2026, 12, 2, 8, 17, 15, 3, 0}, -300, "2026-12-08T17:15:03-05:00"},
        {{2026, 12, 2, 8, 12, 0, 0, 0}, -570, "2026-12-08T12:00:00-09:30"},
        {{2027, 1, 5, 1, 0, 0, 0, 0}, 840, "2027-01-01T00:00:00+14:00"},
        {{1999, 3, 0, 7, 9, 8, 7, 0}, -720, "1999-03-07T09:08:07-12:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(host::IsoDateTime(c.time, c.offsetMinutes), c.text) << c.text;
    // Now: UTC ends in Z; the local time carries an offset of whole minutes (or Z).
    EXPECT_EQ(host::UtcNowIso().size(), 20u);
    EXPECT_EQ(host::UtcNowIso().back(), 'Z');
    const std::string local = host::LocalNowIso();
    EXPECT_TRUE(local.size() == 20 || (local.size() == 25 && (local[19] == '+' || local[19] == '-'))) << local;
}

Json Rec(std::initializer_list<std::pair<const char*, Json>> fields) {
    Json r = Json::Object();
    for (const auto& f : fields) r.set(f.first, f.second);
    return r;
}

Json List(std::initializer_list<Json> items) {
    Json l = Json::Array();
    for (const Json& i : items) l.push(i);
    return l;
}

Json S(const char* text) { return Json::Str(text); }
Json I(long long v) { return Json::Int(v); }

Json Drive(const char* root, long long total, long long free) {
    return Rec({{"szRootPath", S(root)}, {"szVolumeLabel", S("")}, {"ullTotalBytes", I(total)},
                {"ullFreeBytes", I(free)}, {"szFragmentation", S("")}, {"szAdvice", S("")}, {"dwReserved", I(0)}});
}

Json Process(const std::string& name, const char* memory) {
    return Rec({{"szName", S(name.c_str())}, {"szOwner", S("user")}, {"nCpuPercent", I(7)}, {"szMemory", S(memory)}});
}

// The page's text outside tags (the entities left as they are).
std::string Visible(const std::string& page) {
    std::string out;
    bool tag = false;
    for (char c : page.substr(page.find("<body"))) {
        if (c == '<' || c == '>') tag = c == '<', out += '\n';
        else if (!tag) out += c;
    }
    return out;
}

void Keys(const Json& v, std::vector<std::string>& keys) {
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v.isObject()) keys.push_back(v.keys()[i]);
        Keys(v.items()[i], keys);
    }
}

// Figures and texts the real host's run does not show, each in order on the
// page, and no record field name of the document anywhere in it.
// The device lists of the hardware field, as the text and the HTML report
// both split them.
TEST(HostReport, SplitDevices) {
    const struct {
        const char* text;
        std::vector<std::string> devices;
    } cases[] = {
        {"", {""}},           {"A", {"A"}},       {"A; B", {"A", "B"}}, {"; A", {"", "A"}},
        {"A; ", {"A", ""}},   {"A;B", {"A;B"}},   {"A;  B", {"A", " B"}},
    };
    for (const auto& c : cases) EXPECT_EQ(host::SplitDevices(c.text), c.devices) << c.text;
}

TEST(HostReport, FiguresInWordsAndNoFieldNames) {
    struct Case {
        const char* name;
        Json doc;
        std::vector<const char*> seen;
    } cases[] = {
        {"hardware", Rec({{"szProcessor", S("")}, {"szMemory", S("24105 MB")}, {"szDiskDrive", S("A; B")}}),
         {"23.5 GiB", "(24105 MB)", "A\n\nB"}},
        {"hdd", Rec({{"drives", List({Drive("C:\\", 1LL << 30, 1LL << 29)})}}), {"1.0 GiB", "512.0 MiB", "-", "-"}},
        {"process", Rec({{"count", I(1)}, {"items", List({Process("a.exe", "10240 K")})}}),
         {"a.exe", "user", "7", "10.0 MiB", "1 processes"}},
        {"shares",
         Rec({{"notShared", List({S("GONE")})}, {"repaired", Json::Bool(true)},
              {"removals", List({Rec({{"szShareName", S("X")}, {"nRemoveResult", I(0)}}),
                                 Rec({{"szShareName", S("Y")}, {"nRemoveResult", I(5)}})})},
              {"shares", List({Rec({{"szShareName", S("X")}, {"szType", S("Disk")}, {"nSelected", I(1)}})})}}),
         {"GONE: not shared, nothing to remove", "Removal", "removed", "failed, error 5 (access denied)",
          "Shares as listed before the removal:", "Kind", "Disk"}},
        {"apps", Rec({{"programs", List({Rec({{"szDisplayName", S("Ed")}, {"szPublisher", S("Acme")}})})}}),
         {"Program", "Publisher", "Ed", "Acme"}},
        {"adapters",
         Rec({{"count", I(1)},
              {"adapters",
               List({Rec({{"szFriendlyName", S("Wi-Fi 2")}, {"szDescription", S("Radio")}, {"szAdapterName", S("{G}")},
                          {"nIfType", I(71)}, {"szType", S("Wi-Fi")}, {"nOperStatus", I(7)},
                          {"szOperStatus", S("Lower layer down")}, {"szPhysicalAddress", S("")}, {"nMtu", I(1500)},
                          {"ullTransmitSpeed", I(866700000)}, {"ullReceiveSpeed", I(0)}, {"nDhcpEnabled", I(1)},
                          {"szDnsSuffix", S("home")},
                          {"pUnicastAddresses",
                           List({Rec({{"nFamily", I(23)}, {"nPrefixLength", I(64)}, {"szAddress", S("fe80::1%9")}}),
                                 Rec({{"nFamily", I(2)}, {"nPrefixLength", I(24)}, {"szAddress", S("10.0.0.7")}})})},
                          {"pGateways", List({})},
                          {"pDnsServers", List({Rec({{"nFamily", I(2)}, {"nPrefixLength", I(0)}, {"szAddress", S("10.0.0.1")}})})}})})}}),
         {"Wi-Fi 2", "Radio", "{G}", "Wi-Fi (71)", "Lower layer down (7)", "Hardware address", "-", "1500",
          "866.7 Mbit/s / -", "enabled", "home", "fe80::1%9/64", "10.0.0.7/24", "Gateways", "-", "10.0.0.1"}},
        {"appsex",
         Rec({{"programs",
               List({Rec({{"szDisplayName", S("Ed")}, {"szPublisher", S("")}, {"szDisplayVersion", S("2.1")},
                          {"szInstallDate", S("20240131")}, {"nInstallDate", I(20240131)},
                          {"nEstimatedSizeKiB", I(2048)}, {"nScope", I(0)}, {"nView", I(32)},
                          {"szKeyName", S("{K}")}, {"szUninstallString", S("un.exe /x")}}),
                     Rec({{"szDisplayName", S("Tool")}, {"szInstallDate", S("1/2/2024")}, {"nInstallDate", I(0)},
                          {"nEstimatedSizeKiB", I(0)}, {"nScope", I(1)}, {"nView", I(0)}})})}}),
         {"Program", "Publisher", "Version", "Installed", "Size", "Place", "Ed", "-", "2.1", "2024-01-31", "2.0 MiB",
          "machine, 32-bit", "{K}", "un.exe /x", "Tool", "1/2/2024", "user"}},
    };
    for (const Case& c : cases) {
        std::string page = host::RenderHtmlReport({{c.name, "Title", 0, &c.doc}}, "now");
        std::string text = Visible(page);
        std::size_t at = 0;
        for (const char* s : c.seen) {
            at = text.find(s, at);
            ASSERT_NE(at, std::string::npos) << c.name << ": " << s << " in\n" << text;
        }
        std::vector<std::string> keys;
        Keys(c.doc, keys);
        for (const std::string& k : keys)
            if (k.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos)
                EXPECT_EQ(page.find(k), std::string::npos) << c.name << ": " << k;
        EXPECT_EQ(text.find("eserved"), std::string::npos) << c.name;
    }
}

TEST(HostReport, LinkSpeedText) {
    const struct {
        unsigned long long bits;
        const char* text;
    } cases[] = {
        {0, "-"},
        {1, "1 bit/s"},
        {999, "999 bit/s"},
        {1000, "1 kbit/s"},
        {54000000, "54 Mbit/s"},
        {866700000, "866.7 Mbit/s"},
        {1000000000, "1 Gbit/s"},
        {2500000000ull, "2.5 Gbit/s"},
        {10000000000ull, "10 Gbit/s"},
        {18446744073709551615ull, "18446744073.7 Gbit/s"},
    };
    for (const auto& c : cases) EXPECT_EQ(host::LinkSpeedText(c.bits), c.text) << c.bits;
}

TEST(HostReport, FailedCheckAndMissingResultStillGetASection) {
    Json empty = Rec({{"programs", Json::Array()}});
    std::string page =
        host::RenderHtmlReport({{"apps", "Programs", 1, &empty}, {"shares", "Shares", 0, nullptr}}, "now");
    EXPECT_NE(page.find("The check returned 1."), std::string::npos);
    EXPECT_NE(page.find("(no installed program listed)"), std::string::npos);
    EXPECT_NE(page.find("(no result)"), std::string::npos);
    EXPECT_NE(page.find("data-check=\"shares\""), std::string::npos);
}

// Written largest working set first (so with scripts off too), texts that are
// no memory figure last; the cells carry the bytes the script sorts by.
TEST(HostReport, ProcessTableLargestFirst) {
    Json proc = Rec({{"items", List({Process("small.exe", "100 K"), Process("odd.exe", "n/a"),
                                     Process("big.exe", "2,048 K"), Process("mid.exe", "1000 K")})}});
    std::string page = host::RenderHtmlReport({{"process", "Processes", 0, &proc}}, "now");
    std::size_t sortable = page.find("<table class=\"list sortable\"");
    ASSERT_NE(sortable, std::string::npos);
    std::string table = page.substr(sortable);
    EXPECT_LT(table.find("big.exe"), table.find("mid.exe"));
    EXPECT_LT(table.find("mid.exe"), table.find("small.exe"));
    EXPECT_LT(table.find("small.exe"), table.find("odd.exe"));
    EXPECT_NE(table.find("aria-sort=\"descending\">Memory"), std::string::npos);
    EXPECT_NE(table.find("data-value=\"2097152\" title=\"2,048 K\">2.0 MiB"), std::string::npos);
}

TEST(HostReport, DriveBarsShowTheUsedShare) {
    Json hdd = Rec({{"drives", List({Drive("C:\\", 1000, 250), Drive("D:\\", 1000, 50),
                                     Drive("E:\\", 0, 0),            // an empty volume: no division by zero
                                     Drive("F:\\", 100, 500)})}});  // more free than total: clamped
    std::string page = host::RenderHtmlReport({{"hdd", "Drives", 0, &hdd}}, "now");
    EXPECT_NE(page.find("Drive usage"), std::string::npos);
    EXPECT_NE(page.find("style=\"width:75.0%\""), std::string::npos);
    EXPECT_NE(page.find("fill high\" style=\"width:95.0%\""), std::string::npos);
    EXPECT_NE(page.find("style=\"width:0.0%\""), std::string::npos);
    EXPECT_EQ(Count(page, "class=\"bar-row\""), 4u);
}

TEST(HostReport, LargestProcessesFirstAtMostTen) {
    Json list = List({Process("small.exe", "100 K"), Process("big.exe", "204800 K"),
                      Process("odd.exe", "n/a")});  // not a memory text: left out of the chart
    for (int i = 0; i < 12; ++i) list.push(Process("p" + std::to_string(i) + ".exe", "1000 K"));
    Json proc = Rec({{"items", std::move(list)}});
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
    Json sys = Rec({{"szOsName", S("<script>alert(1)</script> & \"x\"\x01")}});
    Json net = Rec({{"count", I(1)}, {"szVerdict", S("无故障")}, {"szNetworkState", S("网络正常")}});
    std::string page =
        host::RenderHtmlReport({{"sysinfo", "System", 0, &sys}, {"network", "Internet", 1, &net}}, "<now>");
    std::size_t verdict = page.find("id=\"verdict\"");
    ASSERT_NE(verdict, std::string::npos);
    EXPECT_LT(verdict, page.find("<section"));
    EXPECT_NE(page.find("无故障"), std::string::npos);
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;x&quot;\xEF\xBF\xBD"), std::string::npos);
    EXPECT_NE(page.find("&lt;now&gt;"), std::string::npos);
    EXPECT_EQ(Count(page, "<section class=\"check\""), 2u);
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
