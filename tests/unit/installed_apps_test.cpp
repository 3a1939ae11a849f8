#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "software/installed_apps.h"

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
