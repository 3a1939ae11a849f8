#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "network/shares.h"

using namespace tallowick;

namespace {

ShareEntry Entry(const char16_t* name, std::uint32_t type, std::uint32_t uses = 0) {
    ShareEntry e;
    e.name = name;
    e.type = type;
    e.currentUses = uses;
    e.path = Text(u"C:\\") + name;
    return e;
}

TEST(IsListedShare, OnlyPlainDiskFolders) {
    const struct {
        std::uint32_t type;
        bool listed;
    } cases[] = {
        {0, true},            {1, false},           {2, false},           {3, false},
        {0x80000000u, false}, {0x80000003u, false}, {0x40000000u, false}, {0xC0000000u, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsListedShare(c.type), c.listed) << std::hex << c.type;
}

TEST(ShareRemovalResult, GoneCountsAsRemoved) {
    EXPECT_EQ(ShareRemovalResult(0), 0);
    EXPECT_EQ(ShareRemovalResult(2310), 0);
    EXPECT_EQ(ShareRemovalResult(5), 5);
    EXPECT_EQ(ShareRemovalResult(2311), 2311);
    EXPECT_EQ(ShareRemovalResult(53), 53);
}

TEST(MakeShareRow, FillsEveryTextOfTheNode) {
    ShareEntry e = Entry(u"docs", 0, 4);
    e.remark = u"文档";
    ShareRow row = MakeShareRow(e);
    EXPECT_EQ(row.name, u"docs");
    EXPECT_EQ(row.path, u"C:\\docs");
    EXPECT_EQ(row.kind, u"Windows");
    EXPECT_EQ(row.connections, u"4");
    EXPECT_EQ(row.remark, u"文档");
    EXPECT_EQ(MakeShareRow(Entry(u"x", 0, 0xFFFFFFFFu)).connections, u"-1");  // "%d"
    ShareEntry longOne = Entry(u"n", 0);
    longOne.name = Text(400, u'n');
    EXPECT_EQ(MakeShareRow(longOne).name, Text(259, u'n'));
}

// The names level reads no path and no count: both texts stay empty.
TEST(MakeShareRow, NamesLevelLeavesPathAndConnectionsEmpty) {
    ShareEntry e;
    e.name = u"docs";
    e.remark = u"team";
    e.detailed = false;
    ShareRow row = MakeShareRow(e);
    EXPECT_EQ(row.name, u"docs");
    EXPECT_EQ(row.path, u"");
    EXPECT_EQ(row.kind, u"Windows");
    EXPECT_EQ(row.connections, u"");
    EXPECT_EQ(row.remark, u"team");
}

// The platform's answers, batch by batch, whatever the level; the levels
// asked for are recorded.
struct FakePlatform {
    std::vector<ShareBatch> batches;
    std::size_t calls = 0;
    std::vector<std::uint32_t> levels;
    void operator()(ShareLevel level, ShareBatch& batch) {
        levels.push_back(static_cast<std::uint32_t>(level));
        if (calls < batches.size()) batch = batches[calls];
        else batch.status = 87;
        ++calls;
    }
};

std::vector<Text> Collect(FakePlatform& platform) {
    std::vector<Text> names;
    CollectShares(platform, [&](const ShareEntry& e) { names.push_back(e.name); });
    return names;
}

TEST(CollectShares, FollowsTheBatchesAndKeepsOrder) {
    const struct {
        const char* name;
        std::vector<ShareBatch> batches;
        std::vector<Text> expected;
        std::vector<std::uint32_t> levels;  // one per call
    } cases[] = {
        {"one batch", {{0, {Entry(u"a", 0), Entry(u"C$", 0x80000000u), Entry(u"b", 0)}}}, {u"a", u"b"}, {502}},
        {"three batches",
         {{234, {Entry(u"a", 0), Entry(u"IPC$", 0x80000003u)}},
          {234, {Entry(u"p", 1), Entry(u"b", 0)}},
          {0, {Entry(u"c", 0)}}},
         {u"a", u"b", u"c"},
         {502, 502, 502}},
        {"first call fails", {{53, {Entry(u"a", 0)}}}, {}, {502}},
        {"failure after a batch keeps the batch before",
         {{234, {Entry(u"a", 0)}}, {2, {Entry(u"b", 0)}}},
         {u"a"},
         {502, 502}},
        {"more data with nothing read ends the walk", {{234, {}}, {0, {Entry(u"never", 0)}}}, {}, {502}},
        {"empty list", {{0, {}}}, {}, {502}},
        // A caller without administrator rights.
        {"refused detail: the names level lists the same rules",
         {{5, {Entry(u"never", 0)}},
          {234, {Entry(u"a", 0), Entry(u"ADMIN$", 0x80000000u)}},
          {0, {Entry(u"p", 1), Entry(u"b", 0)}}},
         {u"a", u"b"},
         {502, 1, 1}},
        {"refused at both levels", {{5, {}}, {5, {Entry(u"never", 0)}}}, {}, {502, 1}},
        {"names level failing midway keeps the batch before",
         {{5, {}}, {234, {Entry(u"a", 0)}}, {8, {Entry(u"b", 0)}}},
         {u"a"},
         {502, 1, 1}},
        {"refusal after a detailed batch ends the list",
         {{234, {Entry(u"a", 0)}}, {5, {Entry(u"b", 0)}}},
         {u"a"},
         {502, 502}},
    };
    for (const auto& c : cases) {
        FakePlatform platform{c.batches};
        EXPECT_EQ(Collect(platform), c.expected) << c.name;
        EXPECT_EQ(platform.calls, c.levels.size()) << c.name;
        EXPECT_EQ(platform.levels, c.levels) << c.name;
    }
}

struct Node {
    std::u16string name;
    std::int32_t nSelected = 0;
    std::int32_t nRemoveResult = 0;
    Node* pNext = nullptr;
};

TEST(RemoveSelectedShares, HandlesOnlySelectedNodesAndStopsWhenAsked) {
    const struct {
        const char* name;
        std::vector<int> selected;
        std::vector<std::uint32_t> statuses;  // per node, for the removal
        int stopAtCall;                       // 0: never
        std::vector<std::size_t> removed;     // node indexes, in order
        std::vector<std::int32_t> results;
    } cases[] = {
        {"none selected", {0, 0, 0}, {0, 0, 0}, 0, {}, {0, 0, 0}},
        {"selected between unselected", {0, 1, 0, 1}, {9, 0, 9, 2310}, 0, {1, 3}, {0, 0, 0, 0}},
        {"errors are stored, the walk goes on", {1, 1, 1}, {5, 2310, 0}, 0, {0, 1, 2}, {5, 0, 0}},
        {"stop at the first answer", {1, 1, 1}, {0, 0, 0}, 1, {0}, {0, 0, 0}},
        {"stop at the second", {1, 0, 1, 1}, {0, 0, 5, 0}, 2, {0, 2}, {0, 0, 5, 0}},
        {"any non-zero selection counts", {-1, 7, 0}, {5, 5, 5}, 0, {0, 1}, {5, 5, 0}},
    };
    for (const auto& c : cases) {
        std::vector<Node> nodes(c.selected.size());
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            nodes[i].nSelected = c.selected[i];
            if (i + 1 < nodes.size()) nodes[i].pNext = &nodes[i + 1];
        }
        std::vector<std::size_t> removed, notified;
        int calls = 0;
        RemoveSelectedShares(
            &nodes[0],
            [&](Node& n) {
                std::size_t i = static_cast<std::size_t>(&n - &nodes[0]);
                removed.push_back(i);
                return c.statuses[i];
            },
            [&](Node& n) {
                notified.push_back(static_cast<std::size_t>(&n - &nodes[0]));
                return ++calls == c.stopAtCall ? 1 : 0;
            });
        EXPECT_EQ(removed, c.removed) << c.name;
        EXPECT_EQ(notified, c.removed) << c.name << ": one callback per removal";
        std::vector<std::int32_t> results;
        for (const Node& n : nodes) results.push_back(n.nRemoveResult);
        EXPECT_EQ(results, c.results) << c.name;
    }
}

TEST(RemoveSelectedShares, NullListDoesNothing) {
    int calls = 0;
    RemoveSelectedShares(static_cast<Node*>(nullptr), [&](Node&) { ++calls; return 0u; },
                         [&](Node&) { ++calls; return 0; });
    EXPECT_EQ(calls, 0);
}

}  // namespace
