// Check_InstalledApps and Check_InstalledAppsEx against uninstall entries the
// tests create under HKEY_LOCAL_MACHINE (both views) and HKEY_CURRENT_USER and
// remove again. Only the entries of the test are looked at (their display
// names start with "TW "); Wine's own uninstall key is empty, but a prefix
// may hold more.
// ctest-lock: uninstall_key
// ctest-labels: bitness
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "software/installed_apps.h"
#include "software/installed_apps_list.h"
#include "test_support.h"

namespace {

const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t* const kNone = nullptr;  // value not created

struct Entry {
    std::wstring key;
    const wchar_t* displayName;
    const wchar_t* publisher;
    REGSAM view = 0;  // 0: the program's own registry view
};

using Pair = std::pair<std::wstring, std::wstring>;

// Creates the entries; they are removed when the returned keys go.
std::vector<std::unique_ptr<tw::ScopedRegKey>> Create(const std::vector<Entry>& entries) {
    std::vector<std::unique_ptr<tw::ScopedRegKey>> keys;
    for (const Entry& e : entries) {
        keys.push_back(std::make_unique<tw::ScopedRegKey>(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + e.key, e.view));
        EXPECT_TRUE(keys.back()->ok()) << tw::ToUtf8(e.key);
        if (e.displayName) keys.back()->setString(L"DisplayName", e.displayName);
        if (e.publisher) keys.back()->setString(L"Publisher", e.publisher);
    }
    return keys;
}

std::vector<Pair> Ours(const InstalledAppNode* list) {
    std::vector<Pair> out;
    for (const InstalledAppNode* n = list; n; n = n->pNext) {
        if (std::wstring(n->szDisplayName).rfind(L"TW ", 0) == 0) out.emplace_back(n->szDisplayName, n->szPublisher);
    }
    return out;
}

int Length(const InstalledAppNode* list) {
    int n = 0;
    for (; list; list = list->pNext) ++n;
    return n;
}

std::vector<Pair> RunCheck(tw::Library& lib, int* countOut = nullptr) {
    InstalledAppNode* list = reinterpret_cast<InstalledAppNode*>(1);
    int count = -1;
    EXPECT_EQ(lib.Check_InstalledApps_(&list, nullptr, &count, 0), 0);
    EXPECT_EQ(count, Length(list));
    if (countOut) *countOut = count;
    std::vector<Pair> ours = Ours(list);
    EXPECT_EQ(lib.Release_InstalledApps_(list), 0);
    return ours;
}

// On 64-bit Windows the uninstall key has two views, and both builds read
// both: their own first, then the other (the 64-bit view from the 32-bit
// build under WOW64, the 32-bit view from the x64 build).
TEST(InstalledApps, BothRegistryViewsOwnViewFirst) {
    const REGSAM other = tw::OtherRegistryView();
    if (other == 0) GTEST_SKIP() << "32-bit Windows has one registry view";
    const std::wstring excluded(reinterpret_cast<const wchar_t*>(tallowick::kExcludedProductCodes[0]));
    auto keys = Create({
        {L"TwView1", L"TW Own view", L"Maker A"},
        {L"TwView2", L"TW Both views", L"Maker A"},
        {L"TwView0", L"TW Other view", L"Maker B", other},     // sorts first, listed after the own view
        {L"TwView2", L"TW Both views", L"Maker A", other},     // the same program: listed once
        {L"TwView3", L"TW Both views", L"Maker C", other},     // other publisher: listed
        {excluded, L"TW Excluded", L"Maker A", other},         // excluded code in the other view
        {L"TwView4", L"", L"Maker A", other},                  // empty name in the other view
        {L"TwView5", kNone, L"Maker A", other},                // no name in the other view
    });
    // Each view holds what the test put there (the views are really apart).
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kUninstall + L"\\TwView0").c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    std::vector<Pair> expected = {
        {L"TW Own view", L"Maker A"},
        {L"TW Both views", L"Maker A"},
        {L"TW Other view", L"Maker B"},
        {L"TW Both views", L"Maker C"},
    };
    EXPECT_EQ(RunCheck(lib), expected);
}

TEST(InstalledApps, DuplicatesCollapseByExactNameAndPublisher) {
    auto keys = Create({
        {L"TwApp01", L"TW Editor", L"Maker A"},
        {L"TwApp02", L"TW Editor", L"Maker A"},   // same pair: left out
        {L"TwApp03", L"TW Editor", L"Maker B"},   // other publisher: listed
        {L"TwApp04", L"TW editor", L"Maker A"},   // other letter case: listed
        {L"TwApp05", L"TW Viewer", kNone},        // no publisher: "(未知)"
        {L"TwApp06", L"TW Viewer", kNone},        // same again: left out
        {L"TwApp07", L"TW Viewer", L""},          // empty publisher stays empty
        {L"TwApp08", L"", L"Maker A"},            // empty name: left out
        {L"TwApp09", kNone, L"Maker A"},          // no name: left out
    });
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    std::vector<Pair> expected = {
        {L"TW Editor", L"Maker A"}, {L"TW Editor", L"Maker B"}, {L"TW editor", L"Maker A"},
        {L"TW Viewer", L"(未知)"},  {L"TW Viewer", L""},
    };
    EXPECT_EQ(RunCheck(lib), expected);
}

TEST(InstalledApps, ExcludedProductCodesAreLeftOutInAnyLetterCase) {
    auto keys = Create({
        {L"{196bb40d-1578-3d01-b289-befc77a11a1e}", L"TW Runtime lower", L"Maker"},
        {L"{F0C3E5D1-1ADE-321E-8167-68EF0DE699A5}", L"TW Runtime upper", L"Maker"},
        {L"{3c3901C5-3455-3E0A-a214-0B093A5070A6}", L"TW Runtime mixed", L"Maker"},
        {L"{00000000-1111-2222-3333-444444444444}", L"TW Listed product", L"Maker"},
    });
    tw::Library lib;
    std::vector<Pair> expected = {{L"TW Listed product", L"Maker"}};
    EXPECT_EQ(RunCheck(lib), expected);
}

TEST(InstalledApps, ValuesWithoutTerminatorStayInsideTheirBuffers) {
    auto keys = Create({{L"TwFull", kNone, kNone}, {L"TwShort", L"TW Short publisher", kNone},
                        {L"TwLong", L"TW Long publisher", kNone}});
    // Wine's RegSetValueExW stores a terminator that follows the given bytes
    // in memory, so the sources below are followed by something else.
    // A display name of exactly 512 bytes: 256 units and no terminator.
    std::wstring full = L"TW " + std::wstring(253, L'x');
    std::wstring source = full + L"!";
    keys[0]->setBytes(L"DisplayName", REG_SZ, source.data(), 512);
    keys[0]->setBytes(L"Publisher", REG_SZ, source.data(), 512);
    // A one-unit publisher stored without terminator, over the preset text.
    const wchar_t q[] = {L'Q', L'!', 0};
    keys[1]->setBytes(L"Publisher", REG_SZ, q, 2);
    // A publisher too long for its buffer.
    keys[2]->setString(L"Publisher", std::wstring(300, L'p'));
    tw::Library lib;
    std::vector<Pair> expected = {
        {full.substr(0, 255), full.substr(0, 255)},
        {L"TW Long publisher", L"(未知)"},
        {L"TW Short publisher", L"Q"},
    };
    EXPECT_EQ(RunCheck(lib), expected);
}

TEST(InstalledApps, NullCountIsNeverWritten) {
    auto keys = Create({{L"TwApp01", L"TW Tool", L"Maker"}});
    tw::Library lib;
    InstalledAppNode* list = nullptr;
    EXPECT_EQ(lib.Check_InstalledApps_(&list, nullptr, nullptr, 0), 0);
    std::vector<Pair> expected = {{L"TW Tool", L"Maker"}};
    EXPECT_EQ(Ours(list), expected);
    EXPECT_EQ(lib.Release_InstalledApps_(list), 0);
    // The internal list builder takes no count either.
    InstalledAppNode* again = tallowick::ListInstalledApps(nullptr);
    EXPECT_EQ(Ours(again), expected);
    tallowick::ReleaseInstalledApps(again);
}

TEST(InstalledApps, IsDuplicateAppComparesExactly) {
    auto keys = Create({{L"TwApp01", L"TW Tool", L"Maker"}, {L"TwApp02", L"TW Other", kNone}});
    int count = 0;
    InstalledAppNode* list = tallowick::ListInstalledApps(&count);
    EXPECT_EQ(count, Length(list));
    EXPECT_TRUE(tw::IsDuplicateApp(list, L"TW Tool", L"Maker"));
    EXPECT_TRUE(tw::IsDuplicateApp(list, L"TW Other", L"(未知)"));
    EXPECT_FALSE(tw::IsDuplicateApp(list, L"TW tool", L"Maker"));
    EXPECT_FALSE(tw::IsDuplicateApp(list, L"TW Tool", L"maker"));
    EXPECT_FALSE(tw::IsDuplicateApp(list, L"TW Tool", L""));
    EXPECT_FALSE(tw::IsDuplicateApp(nullptr, L"TW Tool", L"Maker"));
    tallowick::ReleaseInstalledApps(list);
}

TEST(InstalledApps, EntriesComeInRegistryOrder) {
    auto keys = Create({{L"TwOrder3", L"TW Third", L"M"}, {L"TwOrder1", L"TW First", L"M"},
                        {L"TwOrder2", L"TW Second", L"M"}});
    tw::Library lib;
    std::vector<Pair> expected = {{L"TW First", L"M"}, {L"TW Second", L"M"}, {L"TW Third", L"M"}};
    EXPECT_EQ(RunCheck(lib), expected);
}

// ---- Check_InstalledAppsEx ----------------------------------------------

// Where an entry is created: the machine's 64-bit view (not on 32-bit
// Windows, whose rows leave it out), its 32-bit view (the only one on 32-bit
// Windows), the user's key.
enum Place { M64, M32, User };

bool SixtyFourBitWindows() { return sizeof(void*) == 8 || tw::OtherRegistryView() != 0; }

struct ExValue {
    std::wstring name;
    DWORD type;
    std::wstring text;
    DWORD number = 0;
};
ExValue Sz(const std::wstring& name, const std::wstring& text) { return {name, REG_SZ, text}; }
ExValue Expand(const std::wstring& name, const std::wstring& text) { return {name, REG_EXPAND_SZ, text}; }
ExValue Dw(const std::wstring& name, DWORD number) { return {name, REG_DWORD, L"", number}; }

struct ExEntry {
    Place place;
    std::wstring key;
    std::vector<ExValue> values;
};

// Creates the entries of the places this Windows has; removed when the keys go.
std::vector<std::unique_ptr<tw::ScopedRegKey>> CreateEx(const std::vector<ExEntry>& entries) {
    std::vector<std::unique_ptr<tw::ScopedRegKey>> keys;
    const bool wide = SixtyFourBitWindows();
    for (const ExEntry& e : entries) {
        if (e.place == M64 && !wide) continue;
        HKEY root = e.place == User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        REGSAM view = e.place == User || !wide ? 0 : (e.place == M64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
        keys.push_back(std::make_unique<tw::ScopedRegKey>(root, kUninstall + L"\\" + e.key, view));
        EXPECT_TRUE(keys.back()->ok()) << tw::ToUtf8(e.key);
        for (const ExValue& v : e.values) {
            LONG rc = v.type == REG_DWORD ? keys.back()->setDword(v.name, v.number)
                                          : keys.back()->setString(v.name, v.text, v.type);
            EXPECT_EQ(rc, ERROR_SUCCESS) << tw::ToUtf8(e.key) << " " << tw::ToUtf8(v.name);
        }
    }
    return keys;
}

// "name @place key" of each node of the test, in list order; the place as
// the node gives it: m64, m32 or user.
std::string Describe(const InstalledAppExNode* n) {
    std::string place = n->nScope == TALLOWICK_APP_SCOPE_USER ? "user" : "m" + std::to_string(n->nView);
    return tw::ToUtf8(n->szDisplayName) + " @" + place + " " + tw::ToUtf8(n->szKeyName);
}

template <typename F>
void ForOurs(const InstalledAppExNode* list, F&& f) {
    for (const InstalledAppExNode* n = list; n; n = n->pNext) {
        if (std::wstring(n->szDisplayName).rfind(L"TW ", 0) == 0) f(*n);
    }
}

std::vector<std::string> RunCheckEx(tw::Library& lib) {
    InstalledAppExNode* list = reinterpret_cast<InstalledAppExNode*>(1);
    int count = -1;
    EXPECT_EQ(lib.Check_InstalledAppsEx_(&list, nullptr, &count, 0), 0);
    int length = 0;
    for (const InstalledAppExNode* n = list; n; n = n->pNext, ++length) {
        EXPECT_EQ(n->cbSize, sizeof(InstalledAppExNode));
    }
    EXPECT_EQ(count, length);
    std::vector<std::string> ours;
    ForOurs(list, [&](const InstalledAppExNode& n) { ours.push_back(Describe(&n)); });
    EXPECT_EQ(lib.Release_InstalledAppsEx_(list), 0);
    return ours;
}

const std::wstring kOne = L"1";
const std::wstring kLegacyExcluded = L"{196BB40D-1578-3D01-B289-BEFC77A11A1E}";

// One row per registry state: what the list shows on 64-bit Windows (either
// build) and on 32-bit Windows (one machine view, 32; the M64 entries are
// not created there).
struct ExCase {
    const char* what;
    std::vector<ExEntry> entries;
    std::vector<std::string> wide, narrow;
};

TEST(InstalledAppsEx, ListingRulesDedupeAndOrderInEveryPlace) {
    const ExCase cases[] = {
        {"the listing rules, in each place",
         {
             {M64, L"TwRule01", {Sz(L"DisplayName", L"TW Shown m64")}},
             {M32, L"TwRule02", {Sz(L"DisplayName", L"TW Shown m32")}},
             {User, L"TwRule03", {Sz(L"DisplayName", L"TW Shown user")}},
             {M64, L"TwRule04", {Sz(L"Publisher", L"No name")}},
             {M32, L"TwRule05", {Sz(L"DisplayName", L"")}},
             {User, L"TwRule06", {Dw(L"DisplayName", 7)}},  // a name that is no text
             {M64, L"TwRule07", {Sz(L"DisplayName", L"TW Component"), Dw(L"SystemComponent", 1)}},
             {M32, L"TwRule08", {Sz(L"DisplayName", L"TW Component 0"), Dw(L"SystemComponent", 0)}},
             {User, L"TwRule09", {Sz(L"DisplayName", L"TW Component user"), Dw(L"SystemComponent", 1)}},
             {M64, L"TwRule10", {Sz(L"DisplayName", L"TW Child"), Sz(L"ParentKeyName", L"TwRule01")}},
             {User, L"TwRule11", {Sz(L"DisplayName", L"TW Child empty"), Sz(L"ParentKeyName", L"")}},
             {M32, L"TwRule12", {Sz(L"DisplayName", L"TW Update"), Sz(L"ReleaseType", L"Update")}},
             {M32, L"TwRule13", {Sz(L"DisplayName", L"TW Hotfix"), Sz(L"ReleaseType", L"hotfix")}},
             {User, L"TwRule14", {Sz(L"DisplayName", L"TW Security"), Sz(L"ReleaseType", L"Security Update")}},
             {M32, L"TwRule15", {Sz(L"DisplayName", L"TW Pack"), Sz(L"ReleaseType", L"ServicePack")}},
             {M32, kLegacyExcluded, {Sz(L"DisplayName", L"TW Runtime")}},  // no code is excluded
             {User, L"TwRule16", {Expand(L"DisplayName", L"TW Expand %WINDIR%")}},
         },
         {"TW Component 0 @m32 TwRule08", "TW Expand %WINDIR% @user TwRule16", "TW Pack @m32 TwRule15",
          "TW Runtime @m32 " + tw::ToUtf8(kLegacyExcluded), "TW Shown m32 @m32 TwRule02", "TW Shown m64 @m64 TwRule01",
          "TW Shown user @user TwRule03"},
         {"TW Component 0 @m32 TwRule08", "TW Expand %WINDIR% @user TwRule16", "TW Pack @m32 TwRule15",
          "TW Runtime @m32 " + tw::ToUtf8(kLegacyExcluded), "TW Shown m32 @m32 TwRule02",
          "TW Shown user @user TwRule03"}},
        {"one entry in several places: the 64-bit view, then the 32-bit view, then the user's",
         {
             {User, L"TwDup1", {Sz(L"DisplayName", L"TW Everywhere")}},
             {M32, L"TwDup1", {Sz(L"DisplayName", L"TW Everywhere")}},
             {M64, L"twdup1", {Sz(L"DisplayName", L"TW EVERYWHERE")}},
             {User, L"TwDup2", {Sz(L"DisplayName", L"TW MACHINE AND USER")}},
             {M32, L"TwDup2", {Sz(L"DisplayName", L"TW machine and user")}},
             {M64, L"TwDup3", {Sz(L"DisplayName", L"TW Other name")}},
             {User, L"TwDup3", {Sz(L"DisplayName", L"TW Other name 2")}},
             {M64, L"TwDup4", {Sz(L"DisplayName", L"TW Same name")}},
             {User, L"TwDup5", {Sz(L"DisplayName", L"TW Same name")}},
         },
         {"TW EVERYWHERE @m64 twdup1", "TW machine and user @m32 TwDup2", "TW Other name @m64 TwDup3",
          "TW Other name 2 @user TwDup3", "TW Same name @m64 TwDup4", "TW Same name @user TwDup5"},
         {"TW Everywhere @m32 TwDup1", "TW machine and user @m32 TwDup2", "TW Other name 2 @user TwDup3",
          "TW Same name @user TwDup5"}},
        {"sorted by name in any letter case across places, equal names in place order",
         {
             {User, L"TwSort1", {Sz(L"DisplayName", L"TW b")}},
             {M32, L"TwSort2", {Sz(L"DisplayName", L"TW A")}},
             {M64, L"TwSort3", {Sz(L"DisplayName", L"TW c")}},
             {User, L"TwSort4", {Sz(L"DisplayName", L"TW B")}},
             {M32, L"TwSort5", {Sz(L"DisplayName", L"TW \u00c4")}},  // Ä after Z: ordinal
             {M64, L"TwSort6", {Sz(L"DisplayName", L"TW Z")}},
             {M32, L"TwSort7", {Sz(L"DisplayName", L"TW _")}},       // '_' after the capitals
         },
         {"TW A @m32 TwSort2", "TW b @user TwSort1", "TW B @user TwSort4", "TW c @m64 TwSort3", "TW Z @m64 TwSort6",
          "TW _ @m32 TwSort7", "TW \xc3\x84 @m32 TwSort5"},
         {"TW A @m32 TwSort2", "TW b @user TwSort1", "TW B @user TwSort4", "TW _ @m32 TwSort7",
          "TW \xc3\x84 @m32 TwSort5"}},
    };
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    const bool wide = SixtyFourBitWindows();
    for (const ExCase& c : cases) {
        auto keys = CreateEx(c.entries);
        EXPECT_EQ(RunCheckEx(lib), wide ? c.wide : c.narrow) << c.what;
    }
}

TEST(InstalledAppsEx, ValuesAsStoredDatesParsedTextsCut) {
    const std::wstring longCommand = L"\"C:\\Program Files\\TW\\uninstall.exe\" " + std::wstring(3000, L'a');
    struct Row {
        const char* what;
        Place place;
        std::vector<ExValue> values;
        // expected
        std::wstring version, date;
        std::uint32_t dateNumber, sizeKiB;
        std::wstring location, uninstall, quiet, publisher;
    } rows[] = {
        {"every value", M32,
         {Sz(L"Publisher", L"Maker"), Sz(L"DisplayVersion", L"1.2.3"), Sz(L"InstallDate", L"20240131"),
          Dw(L"EstimatedSize", 123456), Sz(L"InstallLocation", L"C:\\TW"),
          Sz(L"UninstallString", L"C:\\TW\\un.exe"), Sz(L"QuietUninstallString", L"C:\\TW\\un.exe /S")},
         L"1.2.3", L"20240131", 20240131u, 123456u, L"C:\\TW", L"C:\\TW\\un.exe", L"C:\\TW\\un.exe /S", L"Maker"},
        {"nothing but the name", User, {}, L"", L"", 0, 0, L"", L"", L"", L""},
        {"a date that is no date, a size that is text", M32,
         {Sz(L"InstallDate", L"20230229"), Sz(L"EstimatedSize", L"100")}, L"", L"20230229", 0, 0, L"", L"", L"", L""},
        {"a date in another form stays as stored", User, {Sz(L"InstallDate", L"1/31/2024")}, L"", L"1/31/2024", 0, 0,
         L"", L"", L"", L""},
        {"a leap day, the largest size", M64, {Sz(L"InstallDate", L"20000229"), Dw(L"EstimatedSize", 0xFFFFFFFFu)},
         L"", L"20000229", 20000229u, 0xFFFFFFFFu, L"", L"", L"", L""},
        {"expandable texts are not expanded", User,
         {Expand(L"InstallLocation", L"%ProgramFiles%\\TW"), Expand(L"UninstallString", L"%SystemRoot%\\un.exe")},
         L"", L"", 0, 0, L"%ProgramFiles%\\TW", L"%SystemRoot%\\un.exe", L"", L""},
        {"long commands cut to their fields", M32,
         {Sz(L"UninstallString", longCommand), Sz(L"QuietUninstallString", longCommand),
          Sz(L"Publisher", std::wstring(300, L'p'))},
         L"", L"", 0, 0, L"", longCommand.substr(0, 1023), longCommand.substr(0, 1023), std::wstring(259, L'p')},
    };
    const bool wide = SixtyFourBitWindows();
    std::vector<ExEntry> entries;
    for (std::size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
        ExEntry e{rows[i].place, L"TwValues" + std::to_wstring(i), rows[i].values};
        e.values.push_back(Sz(L"DisplayName", L"TW Values " + std::to_wstring(i)));
        entries.push_back(e);
    }
    auto keys = CreateEx(entries);
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    InstalledAppExNode* list = nullptr;
    int count = 0;
    ASSERT_EQ(lib.Check_InstalledAppsEx_(&list, nullptr, &count, 0), 0);
    std::size_t seen = 0;
    for (std::size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
        const Row& r = rows[i];
        if (r.place == M64 && !wide) continue;
        const InstalledAppExNode* found = nullptr;
        ForOurs(list, [&](const InstalledAppExNode& n) {
            if (std::wstring(n.szKeyName) == L"TwValues" + std::to_wstring(i)) found = &n;
        });
        ASSERT_NE(found, nullptr) << r.what;
        ++seen;
        EXPECT_EQ(found->nScope, r.place == User ? 1u : 0u) << r.what;
        EXPECT_EQ(found->nView, r.place == User ? 0u : (r.place == M64 ? 64u : 32u)) << r.what;
        EXPECT_EQ(std::wstring(found->szDisplayVersion), r.version) << r.what;
        EXPECT_EQ(std::wstring(found->szInstallDate), r.date) << r.what;
        EXPECT_EQ(found->nInstallDate, r.dateNumber) << r.what;
        EXPECT_EQ(found->nEstimatedSizeKiB, r.sizeKiB) << r.what;
        EXPECT_EQ(std::wstring(found->szInstallLocation), r.location) << r.what;
        EXPECT_EQ(std::wstring(found->szUninstallString), r.uninstall) << r.what;
        EXPECT_EQ(std::wstring(found->szQuietUninstallString), r.quiet) << r.what;
        EXPECT_EQ(std::wstring(found->szPublisher), r.publisher) << r.what;
    }
    EXPECT_EQ(seen, wide ? 7u : 6u);
    EXPECT_EQ(lib.Release_InstalledAppsEx_(list), 0);
}

TEST(InstalledAppsEx, NullCountAndTheLegacyCheckUnchanged) {
    auto keys = CreateEx({{User, L"TwUserOnly", {Sz(L"DisplayName", L"TW User only")}},
                          {M32, L"TwBoth", {Sz(L"DisplayName", L"TW Both checks"), Sz(L"Publisher", L"M")}},
                          {M32, L"TwHidden", {Sz(L"DisplayName", L"TW Hidden"), Dw(L"SystemComponent", 1)}}});
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    InstalledAppExNode* list = nullptr;
    EXPECT_EQ(lib.Check_InstalledAppsEx_(&list, nullptr, nullptr, 0), 0);
    std::vector<std::string> ours;
    ForOurs(list, [&](const InstalledAppExNode& n) { ours.push_back(tw::ToUtf8(n.szDisplayName)); });
    EXPECT_EQ(ours, (std::vector<std::string>{"TW Both checks", "TW User only"}));
    EXPECT_EQ(lib.Release_InstalledAppsEx_(list), 0);
    // The legacy check reads the machine alone, system components included.
    std::vector<Pair> legacy = RunCheck(lib);
    std::sort(legacy.begin(), legacy.end());
    std::vector<Pair> expected = {{L"TW Both checks", L"M"}, {L"TW Hidden", L"(未知)"}};
    EXPECT_EQ(legacy, expected);
}

}  // namespace
