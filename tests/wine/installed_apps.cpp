// Check_InstalledApps against uninstall entries the tests create under
// HKEY_LOCAL_MACHINE and remove again. Only the entries of the test are looked
// at (their display names start with "TW "); Wine's own uninstall key is
// empty, but a prefix may hold more.
// ctest-lock: uninstall_key
// ctest-labels: bitness
#include <gtest/gtest.h>

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

}  // namespace
