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

// The platform's answers, batch by batch.
struct FakePlatform {
    std::vector<ShareBatch> batches;
    std::size_t calls = 0;
    void operator()(ShareBatch& batch) {
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
        std::size_t calls;
    } cases[] = {
        {"one batch", {{0, {Entry(u"a", 0), Entry(u"C$", 0x80000000u), Entry(u"b", 0)}}}, {u"a", u"b"}, 1},
        {"three batches",
         {{234, {Entry(u"a", 0), Entry(u"IPC$", 0x80000003u)}},
          {234, {Entry(u"p", 1), Entry(u"b", 0)}},
          {0, {Entry(u"c", 0)}}},
         {u"a", u"b", u"c"},
         3},
        {"first call fails", {{5, {Entry(u"a", 0)}}}, {}, 1},
        {"failure after a batch keeps the batch before",
         {{234, {Entry(u"a", 0)}}, {2, {Entry(u"b", 0)}}},
         {u"a"},
         2},
        {"more data with nothing read ends the walk", {{234, {}}, {0, {Entry(u"never", 0)}}}, {}, 1},
        {"empty list", {{0, {}}}, {}, 1},
    };
    for (const auto& c : cases) {
        FakePlatform platform{c.batches};
        EXPECT_EQ(Collect(platform), c.expected) << c.name;
        EXPECT_EQ(platform.calls, c.calls) << c.name;
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
