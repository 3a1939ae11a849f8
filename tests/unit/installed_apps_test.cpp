#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "software/installed_apps.h"
#include "software/installed_apps_ex.h"

using namespace tallowick;

namespace {

TEST(ExcludedProductCodes, TwelveDistinctRegistryGuids) {
    std::set<Text> seen;
    for (const char16_t* code : kExcludedProductCodes) {
        Text c(code);
        ASSERT_EQ(c.size(), 38u) << ToUtf8(c);
        EXPECT_EQ(c.front(), u'{');
        EXPECT_EQ(c.back(), u'}');
        for (std::size_t i : {9u, 14u, 19u, 24u}) EXPECT_EQ(c[i], u'-') << ToUtf8(c);
        seen.insert(c);
    }
    EXPECT_EQ(seen.size(), kExcludedProductCodeCount);
}

TEST(IsExcludedProductCode, IgnoresLetterCaseOnly) {
    const struct {
        Text name;
        bool excluded;
    } cases[] = {
        {u"{196BB40D-1578-3D01-B289-BEFC77A11A1E}", true},
        {u"{196bb40d-1578-3d01-b289-befc77a11a1e}", true},
        {u"{196bB40d-1578-3D01-b289-BEFC77A11A1e}", true},
        {u"{0A0CADCF-78DA-33C4-A350-CD51849B9702}", true},
        {u"196BB40D-1578-3D01-B289-BEFC77A11A1E", false},  // no braces
        {u"{196BB40D-1578-3D01-B289-BEFC77A11A1E} ", false},
        {u"{196BB40D-1578-3D01-B289-BEFC77A11A1F}", false},
        {u"", false},
        {u"Mozilla Firefox", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsExcludedProductCode(c.name), c.excluded) << ToUtf8(c.name);
}

TEST(ListedApps, PairsCompareExactly) {
    ListedApps listed;
    EXPECT_TRUE(listed.Add(u"Editor", u"Maker"));
    EXPECT_FALSE(listed.Add(u"Editor", u"Maker"));
    EXPECT_TRUE(listed.Add(u"editor", u"Maker"));
    EXPECT_TRUE(listed.Add(u"Editor", u"maker"));
    EXPECT_TRUE(listed.Add(u"Editor", u""));
    // The split between name and publisher matters.
    EXPECT_TRUE(listed.Add(u"ab", u"c"));
    EXPECT_TRUE(listed.Add(u"a", u"bc"));
    EXPECT_TRUE(listed.Contains(u"a", u"bc"));
    EXPECT_FALSE(listed.Contains(u"abc", u""));
    EXPECT_EQ(listed.size(), 6u);
}

struct Node {
    int id = 0;
    Node* pNext = nullptr;
};

TEST(OtherRegistryView, EachBuildReadsTheViewItLacks) {
    struct Case {
        const char* where;
        bool x64Build, wow64;
        RegistryView other;
    } cases[] = {
        {"x86 build on 32-bit Windows", false, false, RegistryView::None},
        {"x86 build under WOW64", false, true, RegistryView::Wow64Key64},
        {"x64 build", true, false, RegistryView::Wow64Key32},
    };
    for (const Case& c : cases) EXPECT_EQ(OtherRegistryView(c.x64Build, c.wow64), c.other) << c.where;
}

TEST(AppSources, MachineViewsThenUserInPrecedenceOrder) {
    struct Case {
        const char* where;
        bool sixtyFourBitWindows;
        std::vector<std::uint32_t> scopes, views;
        std::vector<RegistryView> access;
    } cases[] = {
        {"32-bit Windows", false, {0, 1}, {32, 0}, {RegistryView::None, RegistryView::None}},
        {"64-bit Windows, either build",
         true,
         {0, 0, 1},
         {64, 32, 0},
         {RegistryView::Wow64Key64, RegistryView::Wow64Key32, RegistryView::None}},
    };
    for (const Case& c : cases) {
        std::vector<AppSource> sources = AppSources(c.sixtyFourBitWindows);
        ASSERT_EQ(sources.size(), c.scopes.size()) << c.where;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            EXPECT_EQ(sources[i].scope, c.scopes[i]) << c.where << " " << i;
            EXPECT_EQ(sources[i].view, c.views[i]) << c.where << " " << i;
            EXPECT_EQ(sources[i].access, c.access[i]) << c.where << " " << i;
        }
    }
}

TEST(ParseInstallDate, EightDigitsOfAValidDateOnly) {
    const struct {
        Text text;
        std::uint32_t value;
    } cases[] = {
        {u"20240131", 20240131u},
        {u"19991231", 19991231u},
        {u"00010101", 10101u},
        {u"99991231", 99991231u},
        {u"20240229", 20240229u},  // leap year
        {u"20000229", 20000229u},  // divisible by 400
        {u"19000229", 0},          // divisible by 100 only
        {u"20230229", 0},
        {u"20240431", 0},          // April has 30 days
        {u"20241301", 0},
        {u"20240001", 0},
        {u"20240100", 0},
        {u"00000101", 0},          // no year 0
        {u"2024013", 0},
        {u"202401311", 0},
        {u" 20240131", 0},
        {u"20240131 ", 0},
        {u"2024-01-31", 0},
        {u"1/31/2024", 0},
        {u"2024013a", 0},
        {u"\uFF12\uFF10\uFF12\uFF14\uFF10\uFF11\uFF13\uFF11", 0},  // full-width digits
        {u"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseInstallDate(c.text), c.value) << ToUtf8(c.text);
}

TEST(IsListedAppEntry, HidesNamelessSystemComponentsAndUpdates) {
    struct Case {
        const char* what;
        Text name;
        std::uint32_t systemComponent;
        bool parent;
        Text releaseType;
        bool listed;
    } cases[] = {
        {"plain program", u"Editor", 0, false, u"", true},
        {"no display name", u"", 0, false, u"", false},
        {"system component", u"Editor", 1, false, u"", false},
        {"system component, other non-zero", u"Editor", 2, false, u"", false},
        {"has a parent", u"Editor", 0, true, u"", false},
        {"update", u"Editor", 0, false, u"Update", false},
        {"hotfix, lower case", u"Editor", 0, false, u"hotfix", false},
        {"security update", u"Editor", 0, false, u"Security Update", false},
        {"service pack is listed", u"Editor", 0, false, u"ServicePack", true},
        {"update rollup is listed", u"Editor", 0, false, u"Update Rollup", true},
        {"trailing blank is another type", u"Editor", 0, false, u"Update ", true},
    };
    for (const Case& c : cases) {
        AppEntry e;
        e.displayName = c.name;
        e.systemComponent = c.systemComponent;
        e.hasParentKeyName = c.parent;
        e.releaseType = c.releaseType;
        EXPECT_EQ(IsListedAppEntry(e), c.listed) << c.what;
        EXPECT_EQ(IsHiddenAppEntry(c.name, c.systemComponent, c.parent, c.releaseType), !c.listed) << c.what;
    }
}

TEST(CompareIgnoreCase, UpperCasesTheLettersItKnows) {
    const struct {
        Text a, b;
        int sign;
    } cases[] = {
        {u"editor", u"EDITOR", 0},
        {u"Editor", u"Editor 2", -1},
        {u"a", u"B", -1},
        {u"_tool", u"Tool", 1},  // '_' (0x5F) after 'T' (0x54): ordinal, upper-cased
        {u"\u00E9diteur", u"\u00C9DITEUR", 0},  // é É
        {u"\u00FF", u"\u0178", 0},              // ÿ Ÿ
        {u"\u0101", u"\u0100", 0},              // ā Ā
        {u"\u013A", u"\u0139", 0},              // ĺ Ĺ (odd pairs)
        {u"\u017E", u"\u017D", 0},              // ž Ž
        {u"\u0131", u"I", 1},                    // dotless i stays
        {u"\u03C9\u03C2", u"\u03A9\u03A3", 0},  // ως ΩΣ
        {u"\u044F", u"\u042F", 0},              // я Я
        {u"\u0451", u"\u0401", 0},              // ё Ё
        {u"\uFF41", u"\uFF21", 0},              // ａ Ａ
        {u"\u00F7", u"\u00D7", 1},              // ÷ is no letter
        {u"", u"", 0},
        {u"", u"a", -1},
    };
    for (const auto& c : cases) {
        int r = CompareIgnoreCase(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << ToUtf8(c.a) << " vs " << ToUtf8(c.b);
        int back = CompareIgnoreCase(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << ToUtf8(c.b) << " vs " << ToUtf8(c.a);
    }
}

AppEntry Entry(std::uint32_t scope, std::uint32_t view, Text key, Text name, std::uint32_t systemComponent = 0) {
    AppEntry e;
    e.scope = scope;
    e.view = view;
    e.keyName = std::move(key);
    e.displayName = std::move(name);
    e.systemComponent = systemComponent;
    return e;
}

TEST(SelectListedApps, FirstPlaceWinsThenStableSortByName) {
    struct Case {
        const char* what;
        std::vector<AppEntry> in;
        std::vector<std::string> out;  // "name scope/view"
    } cases[] = {
        {"empty", {}, {}},
        {"sorted ignoring case",
         {Entry(0, 64, u"b", u"beta"), Entry(0, 64, u"a", u"Alpha"), Entry(1, 0, u"c", u"CHARLIE")},
         {"Alpha 0/64", "beta 0/64", "CHARLIE 1/0"}},
        {"same key and name in three places: the 64-bit view wins",
         {Entry(0, 64, u"{P}", u"Tool"), Entry(0, 32, u"{P}", u"Tool"), Entry(1, 0, u"{P}", u"Tool")},
         {"Tool 0/64"}},
        {"the 32-bit view before the user's",
         {Entry(0, 32, u"{p}", u"TOOL"), Entry(1, 0, u"{P}", u"tool")},
         {"TOOL 0/32"}},
        {"same name, other key: both, in source order",
         {Entry(0, 64, u"k1", u"Tool"), Entry(0, 32, u"k2", u"tool"), Entry(1, 0, u"k3", u"Tool")},
         {"Tool 0/64", "tool 0/32", "Tool 1/0"}},
        {"same key, other name: both",
         {Entry(0, 64, u"k", u"Tool"), Entry(1, 0, u"k", u"Tool 2")},
         {"Tool 0/64", "Tool 2 1/0"}},
        {"a hidden entry does not take the place of a shown one",
         {Entry(0, 64, u"k", u"Tool", 1), Entry(1, 0, u"k", u"Tool")},
         {"Tool 1/0"}},
        {"nameless entries are left out", {Entry(0, 64, u"k", u""), Entry(1, 0, u"j", u"Zed")}, {"Zed 1/0"}},
    };
    for (Case& c : cases) {
        std::vector<std::string> got;
        for (const AppEntry& e : SelectListedApps(c.in)) {
            got.push_back(ToUtf8(e.displayName) + " " + std::to_string(e.scope) + "/" + std::to_string(e.view));
        }
        EXPECT_EQ(got, c.out) << c.what;
    }
}

TEST(ListBuilder, AppendsInOrderAndOwnsUntilReleased) {
    ListBuilder<Node> list;
    EXPECT_EQ(list.head(), nullptr);
    for (int i = 0; i < 5; ++i) {
        NodePtr<Node> node = MakeZeroed<Node>();
        node->id = i;
        node->pNext = list.head();  // stale link: append clears it
        list.Append(std::move(node));
    }
    std::vector<int> order;
    for (Node* n = list.head(); n; n = n->pNext) order.push_back(n->id);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    Node* head = list.Release();
    EXPECT_EQ(list.head(), nullptr);
    FreeList(head);
    // A builder that is never released frees its nodes (ASan would see a leak).
    ListBuilder<Node> dropped;
    for (int i = 0; i < 3; ++i) dropped.Append(MakeZeroed<Node>());
}

}  // namespace
