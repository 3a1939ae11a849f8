#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "process/process_list.h"
#include "core/os_family.h"

using namespace tallowick;

namespace {

// ---- snapshot buffers -----------------------------------------------------------

struct FakeRecord {
    std::uint32_t id;
    std::int64_t user;
    std::int64_t kernel;
    std::uint32_t size;  // bytes from this record to the next
};

template <typename T>
void Put(std::vector<unsigned char>& buf, std::size_t at, T v) {
    std::memcpy(buf.data() + at, &v, sizeof v);
}

// Lays the records out one after another; the last one links to nothing.
std::vector<unsigned char> MakeSnapshot(const std::vector<FakeRecord>& records, std::size_t trailing = 0,
                                        const SnapshotLayout& layout = kSnapshotLayout32) {
    std::size_t total = trailing;
    for (const FakeRecord& r : records) total += r.size;
    std::vector<unsigned char> buf(total, 0xCD);
    std::size_t at = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const FakeRecord& r = records[i];
        Put<std::uint32_t>(buf, at + layout.nextOffset, i + 1 == records.size() ? 0 : r.size);
        Put<std::int64_t>(buf, at + layout.userTime, r.user);
        Put<std::int64_t>(buf, at + layout.kernelTime, r.kernel);
        if (layout.processIdBytes == 8) {
            Put<std::uint64_t>(buf, at + layout.processId, r.id);
        } else {
            Put<std::uint32_t>(buf, at + layout.processId, r.id);
        }
        at += r.size;
    }
    return buf;
}

std::vector<SnapshotRecord> Walk(const std::vector<unsigned char>& buf, std::size_t length, bool* ok = nullptr,
                                 const SnapshotLayout& layout = kSnapshotLayout32) {
    std::vector<SnapshotRecord> out;
    const bool walked = WalkProcessSnapshot(buf.data(), length, out, layout);
    if (ok) *ok = walked;
    return out;
}

TEST(WalkProcessSnapshot, FollowsOddOffsetsToTheLastRecord) {
    // Odd sizes put every later record on an unaligned address.
    auto buf = MakeSnapshot({{0, 100, 200, 185}, {4, 1, 2, 73}, {1234, 7, 0, 201}, {5678, 0, 9, 72}});
    bool ok = false;
    auto recs = Walk(buf, buf.size(), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[0].id, 0u);
    EXPECT_EQ(recs[0].time, 300u);
    EXPECT_EQ(recs[1].id, 4u);
    EXPECT_EQ(recs[2].id, 1234u);
    EXPECT_EQ(recs[2].time, 7u);
    EXPECT_EQ(recs[3].id, 5678u);
    EXPECT_EQ(recs[3].time, 9u);
}

TEST(WalkProcessSnapshot, SingleRecordWithZeroLink) {
    auto buf = MakeSnapshot({{42, 5, 6, 184}});
    bool ok = false;
    auto recs = Walk(buf, buf.size(), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].time, 11u);
}

TEST(WalkProcessSnapshot, RejectsMalformedBuffers) {
    auto good = MakeSnapshot({{0, 1, 1, 184}, {12, 2, 2, 184}, {16, 3, 3, 184}});
    struct Case {
        const char* what;
        std::vector<unsigned char> buf;
        std::size_t length;
    };
    auto linkPastEnd = good;
    Put<std::uint32_t>(linkPastEnd, 184, 0x7FFFFFF0u);
    auto hugeLink = good;
    Put<std::uint32_t>(hugeLink, 0, 0xFFFFFFFFu);
    auto shortLink = good;
    Put<std::uint32_t>(shortLink, 0, 1);  // records cannot overlap their own fields
    const Case cases[] = {
        {"empty", {}, 0},
        {"shorter than one record", good, kSnapshotMinRecord - 1},
        {"cut inside the last record", good, good.size() - 184 + 40},
        {"cut before the last record", good, 2 * 184},
        {"link past the end", linkPastEnd, linkPastEnd.size()},
        {"link at the 32-bit maximum", hugeLink, hugeLink.size()},
        {"link shorter than a record", shortLink, shortLink.size()},
    };
    for (const Case& c : cases) {
        bool ok = true;
        auto recs = Walk(c.buf, c.length, &ok);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_TRUE(recs.empty()) << c.what;
    }
}

TEST(WalkProcessSnapshot, LastRecordMayEndExactlyAtTheLength) {
    auto buf = MakeSnapshot({{0, 1, 1, 184}, {12, 2, 2, 72}});
    bool ok = false;
    EXPECT_EQ(Walk(buf, buf.size(), &ok).size(), 2u);
    EXPECT_TRUE(ok);
    // One byte less and the last record no longer fits.
    EXPECT_TRUE(Walk(buf, buf.size() - 1, &ok).empty());
    EXPECT_FALSE(ok);
}

TEST(WalkProcessSnapshot, NullBufferIsRejected) {
    std::vector<SnapshotRecord> out{{1, 1}};
    EXPECT_FALSE(WalkProcessSnapshot(nullptr, 1000, out, kSnapshotLayout32));
    EXPECT_TRUE(out.empty());
}

TEST(WalkProcessSnapshot, NegativeTimesCountAsZero) {
    auto buf = MakeSnapshot({{7, -50, 20, 184}});
    auto recs = Walk(buf, buf.size());
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].time, 20u);
}

// Both layouts: the same chains walked with the layout the system wrote, and
// with the other one (what a 64-bit build reading 32-bit offsets would see).
TEST(WalkProcessSnapshot, EachArchitectureReadsItsOwnLayout) {
    struct Arch {
        const char* name;
        const SnapshotLayout& layout;
        std::size_t idOffset, minRecord;
    };
    const Arch arches[] = {{"x86", kSnapshotLayout32, 68, 72}, {"x64", kSnapshotLayout64, 80, 88}};
    for (const Arch& a : arches) {
        SCOPED_TRACE(a.name);
        EXPECT_EQ(a.layout.processId, a.idOffset);
        EXPECT_EQ(a.layout.minRecord, a.minRecord);
        EXPECT_EQ(a.layout.userTime, 40u);
        EXPECT_EQ(a.layout.kernelTime, 48u);
        const std::uint32_t m = static_cast<std::uint32_t>(a.minRecord);
        auto buf = MakeSnapshot({{0, 100, 200, 185}, {4, 1, 2, m + 1}, {1234, 7, 0, 201}, {5678, 0, 9, m}}, 0,
                                a.layout);
        bool ok = false;
        auto recs = Walk(buf, buf.size(), &ok, a.layout);
        ASSERT_TRUE(ok);
        ASSERT_EQ(recs.size(), 4u);
        EXPECT_EQ(recs[2].id, 1234u);
        EXPECT_EQ(recs[2].time, 7u);
        EXPECT_EQ(recs[3].id, 5678u);
        // The last record may end exactly at the length, not one byte short.
        EXPECT_FALSE(Walk(buf, buf.size() - 1, &ok, a.layout).size());
        EXPECT_FALSE(ok);
        EXPECT_TRUE(Walk(buf, a.minRecord - 1, &ok, a.layout).empty());
    }
    // A 64-bit snapshot read with 32-bit offsets loses every identifier.
    auto wide = MakeSnapshot({{1234, 1, 1, 184}, {5678, 1, 1, 184}}, 0, kSnapshotLayout64);
    for (const SnapshotRecord& r : Walk(wide, wide.size(), nullptr, kSnapshotLayout32)) EXPECT_EQ(r.id, 0xCDCDCDCDu);
    EXPECT_EQ(&kNativeSnapshotLayout, sizeof(void*) == 8 ? &kSnapshotLayout64 : &kSnapshotLayout32);
}

// The image name and the working set, which the system gives for processes
// the host cannot open, per layout. The name is an address: `kAddress` stands
// for where the buffer was when the system wrote it.
TEST(WalkProcessSnapshot, ReadsNameAndWorkingSetOfEachLayout) {
    constexpr std::uint64_t kAddress = 0x10000;
    struct Name {
        const char16_t* text;   // written at `at` in the buffer
        std::uint16_t bytes;    // the length field
        std::uint64_t address;  // the buffer field
    };
    struct Case {
        const char* name;
        Name given;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"file name", {u"svchost.exe", 22, kAddress + 600}, u"svchost.exe"},
        {"a path is cut to its file name", {u"C:\\windows\\explorer.exe", 46, kAddress + 600}, u"explorer.exe"},
        {"no name (the idle process)", {u"", 0, 0}, u""},
        {"odd length", {u"svchost.exe", 21, kAddress + 600}, u""},
        {"before the buffer", {u"svchost.exe", 22, kAddress - 2}, u""},
        {"runs past the end", {u"svchost.exe", 22, kAddress + 790}, u""},
        {"stops at a terminator", {u"a.exe\0junk", 20, kAddress + 600}, u"a.exe"},
    };
    for (const SnapshotLayout* layout : {&kSnapshotLayout32, &kSnapshotLayout64}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const std::uint32_t size = 300;
            auto buf = MakeSnapshot({{12, 1, 2, size}, {16, 3, 4, size}}, 200, *layout);
            const Text text(c.given.text, c.given.bytes / 2);
            std::memcpy(buf.data() + 600, text.data(), std::min<std::size_t>(text.size() * 2, 200));
            for (std::size_t at : {std::size_t(0), std::size_t(size)}) {
                Put<std::uint16_t>(buf, at + layout->imageNameLength, c.given.bytes);
                if (layout->pointerBytes == 8) {
                    Put<std::uint64_t>(buf, at + layout->imageNameBuffer, c.given.address);
                    Put<std::uint64_t>(buf, at + layout->workingSet, 0x123456789ull);
                } else {
                    Put<std::uint32_t>(buf, at + layout->imageNameBuffer, std::uint32_t(c.given.address));
                    Put<std::uint32_t>(buf, at + layout->workingSet, 0x12345678u);
                }
            }
            std::vector<SnapshotRecord> out;
            ASSERT_TRUE(WalkProcessSnapshot(buf.data(), buf.size(), out, *layout, kAddress));
            ASSERT_EQ(out.size(), 2u);
            for (const SnapshotRecord& r : out) {
                EXPECT_TRUE(r.detailed);
                EXPECT_EQ(r.imageName, Text(c.expected));
                EXPECT_EQ(r.workingSet, layout->pointerBytes == 8 ? 0x123456789ull : 0x12345678u);
            }
            EXPECT_EQ(out[1].time, 7u);
        }
    }
}

// Records too short for the name and working set still give their times.
TEST(WalkProcessSnapshot, ShortRecordsGiveNoDetails) {
    for (const SnapshotLayout* layout : {&kSnapshotLayout32, &kSnapshotLayout64}) {
        const std::uint32_t full = static_cast<std::uint32_t>(SnapshotDetailBytes(*layout));
        auto buf = MakeSnapshot({{12, 1, 2, full - 1}, {16, 3, 4, full}, {20, 5, 6, full - 1}}, 0, *layout);
        std::vector<SnapshotRecord> out;
        ASSERT_TRUE(WalkProcessSnapshot(buf.data(), buf.size(), out, *layout, 0));
        ASSERT_EQ(out.size(), 3u);
        EXPECT_FALSE(out[0].detailed);
        EXPECT_TRUE(out[1].detailed);
        EXPECT_FALSE(out[2].detailed);  // the last record ends at the length
        EXPECT_EQ(out[0].workingSet, 0u);
        EXPECT_EQ(out[2].time, 11u);
    }
}

// A process the host may not open: named from the snapshot, with its working
// set, and listed with its share like any other.
TEST(FillFactsFromSnapshot, NamesAProcessFromItsRecord) {
    SnapshotRecord named{12, 25};
    named.detailed = true;
    named.imageName = u"lsass.exe";
    named.workingSet = 10489856;
    SnapshotRecord nameless{16, 75};
    nameless.detailed = true;
    nameless.workingSet = 4096;
    ProcessorTimes times({named, nameless, {0, 900}});
    ASSERT_NE(times.find(12), nullptr);
    EXPECT_EQ(times.find(12)->imageName, u"lsass.exe");
    EXPECT_EQ(times.find(44), nullptr);

    ProcessFacts facts;
    facts.id = 12;
    ASSERT_TRUE(FillFactsFromSnapshot(times, facts));
    EXPECT_FALSE(facts.opened);
    facts.owner = u"SYSTEM";
    ProcessEntry e = MakeProcessEntry(facts, OsNtWorkstation, times);
    EXPECT_EQ(e.name, u"lsass.exe");
    EXPECT_EQ(e.memory, u"10244 K");
    EXPECT_EQ(e.owner, u"SYSTEM");
    EXPECT_EQ(e.cpuPercent, 25);
    EXPECT_TRUE(e.filled);

    ProcessFacts measured;  // a working set read through the limited right wins
    measured.id = 12;
    measured.workingSet = 2048;
    ASSERT_TRUE(FillFactsFromSnapshot(times, measured));
    EXPECT_EQ(measured.workingSet, 2048u);

    for (std::uint32_t id : {16u, 44u}) {  // no name, or not in the snapshot: stays empty
        ProcessFacts missing;
        missing.id = id;
        EXPECT_FALSE(FillFactsFromSnapshot(times, missing));
        EXPECT_FALSE(missing.named);
        EXPECT_EQ(missing.workingSet, 0u);
        EXPECT_FALSE(MakeProcessEntry(missing, OsNtWorkstation, times).filled);
    }
    ProcessFacts noSnapshot;
    noSnapshot.id = 12;
    EXPECT_FALSE(FillFactsFromSnapshot(ProcessorTimes(), noSnapshot));
}

// ---- shares -----------------------------------------------------------------------

TEST(CpuShare, TruncatesOwnTimesHundredOverTotal) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    struct Case {
        std::uint64_t own, total;
        std::int32_t share;
    };
    const Case cases[] = {
        {0, 0, 0},          {5, 0, 0},          {0, 10, 0},      {1, 3, 33},   {2, 3, 66},
        {199, 1000, 19},    {999, 1000, 99},    {1000, 1000, 100}, {1, 101, 0},
        {kMax / 2, kMax, 49}, {kMax - 1, kMax, 99}, {kMax, kMax, 100},
        {kMax / 3, kMax / 3 * 2 + 5, 49},
    };
    for (const Case& c : cases) EXPECT_EQ(CpuShare(c.own, c.total), c.share) << c.own << " / " << c.total;
}

TEST(ProcessorTimes, IdleIsLeftOutOfTheTotal) {
    ProcessorTimes times({{0, 1000}, {4, 50}, {100, 30}, {200, 20}});
    EXPECT_TRUE(times.valid());
    EXPECT_EQ(times.total(), 100u);
    EXPECT_EQ(times.share(4), 50);
    EXPECT_EQ(times.share(100), 30);
    EXPECT_EQ(times.share(200), 20);
    EXPECT_EQ(times.share(300), 0);  // not in the snapshot
}

TEST(ProcessorTimes, RecordsOfOneIdentifierAddUp) {
    ProcessorTimes times({{9, 10}, {3, 60}, {9, 30}});
    EXPECT_EQ(times.own(9), 40u);
    EXPECT_EQ(times.share(9), 40);
    EXPECT_EQ(times.share(3), 60);
}

TEST(ProcessorTimes, SharesOfOneSnapshotAddUpToAtMostHundred) {
    std::vector<SnapshotRecord> records;
    for (std::uint32_t id = 1; id <= 300; ++id) records.push_back({id * 4, id * 7919ull % 1013});
    ProcessorTimes times(records);
    std::int64_t sum = 0;
    for (const SnapshotRecord& r : records) sum += times.share(r.id);
    EXPECT_LE(sum, 100);
    EXPECT_GE(sum, 0);
}

TEST(ProcessorTimes, WithoutSnapshotEveryShareIsZero) {
    ProcessorTimes none;
    EXPECT_FALSE(none.valid());
    EXPECT_EQ(none.share(100), 0);
    ProcessorTimes idleOnly({{0, 500}});
    EXPECT_EQ(idleOnly.total(), 0u);
    EXPECT_EQ(idleOnly.share(0), 0);  // total 0: no division
}

TEST(ProcessorTimes, SaturatesInsteadOfWrapping) {
    constexpr std::uint64_t kBig = std::numeric_limits<std::uint64_t>::max() - 10;
    ProcessorTimes times({{1, kBig}, {2, kBig}});
    EXPECT_EQ(times.total(), std::numeric_limits<std::uint64_t>::max());
    // Only absurd times reach this; each share still stays within 0..100.
    EXPECT_EQ(times.share(1), 99);
    EXPECT_EQ(times.share(2), 99);
}

// ---- entries ----------------------------------------------------------------------

TEST(WorkingSetText, WholeKilobytesTruncated) {
    struct Case {
        std::uint64_t bytes;
        const char16_t* text;
    };
    const Case cases[] = {
        {10489856, u"10244 K"}, {0, u"0 K"}, {1023, u"0 K"}, {1024, u"1 K"}, {2047, u"1 K"},
        {4294967295ull, u"4194303 K"},
        {1ull << 60, u"2147483647 K"},
    };
    for (const Case& c : cases) EXPECT_EQ(WorkingSetText(c.bytes), Text(c.text)) << c.bytes;
}

ProcessFacts Opened(std::uint32_t id, const char16_t* name, std::uint64_t ws, const char16_t* owner) {
    ProcessFacts f;
    f.id = id;
    f.opened = true;
    f.named = true;
    f.baseName = name;
    f.workingSet = ws;
    f.owner = owner;
    return f;
}

TEST(MakeProcessEntry, IdleEntryPerFamily) {
    struct Case {
        std::int32_t family;
        const char16_t* memory;
    };
    const Case cases[] = {{OsWinXp, u"28 K"},         {OsUnknown, u"16 K"},    {OsWin9x, u"16 K"},
                          {OsNtWorkstation, u"16 K"}, {OsServer2003, u"16 K"}, {OsVista, u"16 K"}};
    ProcessorTimes times({{0, 900}, {12, 100}});
    for (const Case& c : cases) {
        ProcessFacts idle;  // identifier 0: nothing is read
        ProcessEntry e = MakeProcessEntry(idle, c.family, times);
        EXPECT_EQ(e.name, u"System Idle Process") << c.family;
        EXPECT_EQ(e.memory, Text(c.memory)) << c.family;
        EXPECT_EQ(e.owner, u"SYSTEM");
        EXPECT_EQ(e.cpuPercent, 0);  // set later from the remainder
        EXPECT_TRUE(e.filled);
    }
}

TEST(MakeProcessEntry, SystemUnderFourOrEight) {
    ProcessorTimes times({{4, 50}, {8, 50}, {12, 50}});
    for (std::uint32_t id : {4u, 8u}) {
        for (std::int32_t family : {OsWinXp, OsNtWorkstation, OsUnknown}) {
            ProcessFacts closed;
            closed.id = id;
            ProcessEntry e = MakeProcessEntry(closed, family, times);
            EXPECT_EQ(e.name, u"System");
            EXPECT_EQ(e.owner, u"SYSTEM");
            EXPECT_EQ(e.memory, u"40 K");
            EXPECT_EQ(e.cpuPercent, 0);
            EXPECT_FALSE(e.filled) << id;

            ProcessFacts opened;
            opened.id = id;
            opened.opened = true;
            opened.workingSet = 245760;
            e = MakeProcessEntry(opened, family, times);
            EXPECT_EQ(e.name, u"System");
            EXPECT_EQ(e.owner, u"SYSTEM");
            EXPECT_EQ(e.memory, u"240 K");
            EXPECT_EQ(e.cpuPercent, 0);  // its time only feeds the idle remainder
            EXPECT_TRUE(e.filled) << id;
        }
    }
}

TEST(MakeProcessEntry, ProcessThatCannotBeReadStaysEmpty) {
    ProcessorTimes times({{12, 100}});
    ProcessFacts notOpened;
    notOpened.id = 12;
    ProcessFacts notNamed = Opened(12, u"x.exe", 4096, u"alice");
    notNamed.named = false;
    for (const ProcessFacts& f : {notOpened, notNamed}) {
        ProcessEntry e = MakeProcessEntry(f, 5, times);
        EXPECT_TRUE(e.name.empty());
        EXPECT_TRUE(e.owner.empty());
        EXPECT_TRUE(e.memory.empty());
        EXPECT_EQ(e.cpuPercent, 0);
        EXPECT_FALSE(e.filled);
    }
}

TEST(MakeProcessEntry, OrdinaryProcessCarriesItsFacts) {
    ProcessorTimes times({{0, 10000}, {12, 25}, {16, 75}});
    ProcessEntry e = MakeProcessEntry(Opened(12, u"notepad.exe", 10489856, u"alice"), 5, times);
    EXPECT_EQ(e.name, u"notepad.exe");
    EXPECT_EQ(e.owner, u"alice");
    EXPECT_EQ(e.memory, u"10244 K");
    EXPECT_EQ(e.cpuPercent, 25);
    EXPECT_TRUE(e.filled);
}

// Builds entries the way the list does, one per identifier.
std::vector<ProcessEntry> BuildEntries(const std::vector<ProcessFacts>& facts, std::int32_t family,
                                       const ProcessorTimes& times) {
    std::vector<ProcessEntry> entries;
    for (const ProcessFacts& f : facts) entries.push_back(MakeProcessEntry(f, family, times));
    ApplyIdleRemainder(entries);
    return entries;
}

TEST(ApplyIdleRemainder, IdleGetsWhatTheOthersLeave) {
    // System (4) and an unreadable process (20) have time but no share of
    // their own: it ends in the remainder, with the truncation losses.
    ProcessorTimes times({{0, 99999}, {4, 100}, {12, 333}, {16, 334}, {20, 233}});
    ProcessFacts idle, system, unreadable;
    system.id = 4;
    system.opened = true;
    unreadable.id = 20;
    auto entries = BuildEntries({idle, system, Opened(12, u"a.exe", 0, u"u"), Opened(16, u"b.exe", 0, u"u"),
                                 unreadable},
                                7, times);
    ASSERT_EQ(entries.size(), 5u);  // every identifier stays listed
    EXPECT_EQ(entries[2].cpuPercent, 33);
    EXPECT_EQ(entries[3].cpuPercent, 33);
    EXPECT_EQ(entries[0].cpuPercent, 34);
    std::int64_t sum = 0;
    for (const ProcessEntry& e : entries) sum += e.cpuPercent;
    EXPECT_EQ(sum, 100);
}

TEST(ApplyIdleRemainder, NoIdleEntryMeansNoRemainder) {
    ProcessorTimes times({{12, 10}, {16, 30}});
    auto entries = BuildEntries({Opened(12, u"a.exe", 0, u"u"), Opened(16, u"b.exe", 0, u"u")}, 5, times);
    EXPECT_EQ(entries[0].cpuPercent, 25);
    EXPECT_EQ(entries[1].cpuPercent, 75);
    std::vector<ProcessEntry> copy = entries;
    EXPECT_EQ(ApplyIdleRemainder(copy), -1);
    EXPECT_EQ(copy[0].cpuPercent, 25);
    EXPECT_EQ(copy[1].cpuPercent, 75);
}

TEST(ApplyIdleRemainder, FirstExactNameOnly) {
    std::vector<ProcessEntry> entries(4);
    entries[0].name = u"system idle process";  // the match is case-sensitive
    entries[0].cpuPercent = 10;
    entries[1].name = u"System Idle Process";
    entries[2].name = u"System Idle Process";
    entries[3].name = u"x.exe";
    entries[3].cpuPercent = 15;
    EXPECT_EQ(ApplyIdleRemainder(entries), 1);
    EXPECT_EQ(entries[1].cpuPercent, 75);
    EXPECT_EQ(entries[2].cpuPercent, 0);
}

TEST(BaseNameOfPath, TakesTheLastComponent) {
    struct Case {
        const char16_t* path;
        const char16_t* base;
    };
    const Case cases[] = {
        {u"C:\\windows\\system32\\services.exe", u"services.exe"},
        {u"\\??\\C:\\Program Files\\x\\app.exe", u"app.exe"},
        {u"Z:/work/build/it.exe", u"it.exe"},
        {u"C:\\a.b\\noext", u"noext"},
        {u"app.exe", u""},
        {u"C:\\dir\\", u""},
        {u"", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(BaseNameOfPath(c.path), Text(c.base));
}

TEST(KindOfProcess, FixedIdentifiers) {
    EXPECT_EQ(KindOfProcess(0), ProcessKind::Idle);
    EXPECT_EQ(KindOfProcess(4), ProcessKind::System);
    EXPECT_EQ(KindOfProcess(8), ProcessKind::System);
    EXPECT_EQ(KindOfProcess(12), ProcessKind::Other);
    EXPECT_EQ(KindOfProcess(2), ProcessKind::Other);
}

}  // namespace
