#include "process/process_list.h"

#include "core/os_family.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tallowick {
namespace {

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return a > kMax64 - b ? kMax64 : a + b; }

template <typename T>
T ReadAt(const unsigned char* buffer, std::size_t offset) {
    T value;
    std::memcpy(&value, buffer + offset, sizeof value);
    return value;
}

std::uint64_t NonNegative(std::int64_t time) { return time < 0 ? 0 : static_cast<std::uint64_t>(time); }

std::int32_t Clamp32(std::int64_t v) {
    if (v > kMax32) return kMax32;
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace

namespace {

// The image name of the record at `record` (offset `pos` in the buffer), when
// its address and length lie inside the buffer.
Text ReadImageName(const unsigned char* buffer, std::size_t length, std::size_t pos, const SnapshotLayout& layout,
                   std::uint64_t address) {
    const unsigned char* record = buffer + pos;
    const auto bytes = ReadAt<std::uint16_t>(record, layout.imageNameLength);
    const std::uint64_t at = layout.pointerBytes == 8 ? ReadAt<std::uint64_t>(record, layout.imageNameBuffer)
                                                      : ReadAt<std::uint32_t>(record, layout.imageNameBuffer);
    if (bytes == 0 || bytes % 2 != 0 || at < address) return Text();
    const std::uint64_t offset = at - address;
    if (offset > length || length - offset < bytes) return Text();
    Text name(bytes / 2, u'\0');
    std::memcpy(&name[0], buffer + offset, bytes);
    const std::size_t end = name.find(u'\0');
    if (end != Text::npos) name.resize(end);
    return name.find_first_of(u"\\/") == Text::npos ? name : BaseNameOfPath(name);
}

}  // namespace

bool WalkProcessSnapshot(const unsigned char* buffer, std::size_t length, std::vector<SnapshotRecord>& out,
                         const SnapshotLayout& layout) {
    return WalkProcessSnapshot(buffer, length, out, layout, reinterpret_cast<std::uintptr_t>(buffer));
}

bool WalkProcessSnapshot(const unsigned char* buffer, std::size_t length, std::vector<SnapshotRecord>& out,
                         const SnapshotLayout& layout, std::uint64_t address) {
    out.clear();
    if (!buffer) return false;
    std::size_t pos = 0;
    for (;;) {
        if (pos > length || length - pos < layout.minRecord) break;  // record runs past the end
        const unsigned char* record = buffer + pos;
        const auto next = ReadAt<std::uint32_t>(record, layout.nextOffset);
        const auto user = NonNegative(ReadAt<std::int64_t>(record, layout.userTime));
        const auto kernel = NonNegative(ReadAt<std::int64_t>(record, layout.kernelTime));
        SnapshotRecord r;
        // Identifiers are multiples of 4 below 2^32 on both layouts; the
        // 64-bit field is little-endian, so its low half comes first.
        r.id = ReadAt<std::uint32_t>(record, layout.processId);
        r.time = SaturatingAdd(user, kernel);
        // The record's own bytes: up to the next one, or to the end.
        const std::size_t extent = next != 0 && next <= length - pos ? next : length - pos;
        if (extent >= SnapshotDetailBytes(layout)) {
            r.detailed = true;
            r.imageName = ReadImageName(buffer, length, pos, layout, address);
            r.workingSet = layout.pointerBytes == 8 ? ReadAt<std::uint64_t>(record, layout.workingSet)
                                                    : ReadAt<std::uint32_t>(record, layout.workingSet);
        }
        out.push_back(std::move(r));
        if (next == 0) return true;
        // A record cannot be shorter than the fields it carries, and the link
        // must stay inside the buffer.
        if (next < layout.minRecord || next > length - pos) break;
        pos += next;
    }
    out.clear();
    return false;
}

std::int32_t CpuShare(std::uint64_t own, std::uint64_t total) {
    if (total == 0) return 0;
    const std::uint64_t whole = own / total;
    if (whole > static_cast<std::uint64_t>(kMax32 / 100)) return kMax32;
    const std::uint64_t rest = own % total;  // rest < total
    std::uint64_t part;
    if (rest <= kMax64 / 100) {
        part = rest * 100 / total;
    } else {
        // rest * 100 does not fit: add rest a hundred times modulo total.
        part = 0;
        std::uint64_t acc = 0;  // always < total
        for (int i = 0; i < 100; ++i) {
            if (acc >= total - rest) {
                acc -= total - rest;
                ++part;
            } else {
                acc += rest;
            }
        }
    }
    return Clamp32(static_cast<std::int64_t>(whole * 100 + part));
}

ProcessorTimes::ProcessorTimes(const std::vector<SnapshotRecord>& records) : valid_(true) {
    byId_ = records;
    std::stable_sort(byId_.begin(), byId_.end(),
                     [](const SnapshotRecord& a, const SnapshotRecord& b) { return a.id < b.id; });
    std::vector<SnapshotRecord> merged;
    merged.reserve(byId_.size());
    for (const SnapshotRecord& r : byId_) {
        if (r.id != 0) total_ = SaturatingAdd(total_, r.time);  // the idle process stays out
        if (!merged.empty() && merged.back().id == r.id) {
            merged.back().time = SaturatingAdd(merged.back().time, r.time);
        } else {
            merged.push_back(r);
        }
    }
    byId_.swap(merged);
}

std::uint64_t ProcessorTimes::own(std::uint32_t id) const {
    auto it = std::lower_bound(byId_.begin(), byId_.end(), id,
                               [](const SnapshotRecord& r, std::uint32_t v) { return r.id < v; });
    return it != byId_.end() && it->id == id ? it->time : 0;
}

const SnapshotRecord* ProcessorTimes::find(std::uint32_t id) const {
    auto it = std::lower_bound(byId_.begin(), byId_.end(), id,
                               [](const SnapshotRecord& r, std::uint32_t v) { return r.id < v; });
    return it != byId_.end() && it->id == id ? &*it : nullptr;
}

std::int32_t ProcessorTimes::share(std::uint32_t id) const {
    if (!valid_) return 0;
    return CpuShare(own(id), total_);
}

ProcessKind KindOfProcess(std::uint32_t id) {
    if (id == 0) return ProcessKind::Idle;
    if (id == 4 || id == 8) return ProcessKind::System;
    return ProcessKind::Other;
}

Text BaseNameOfPath(TextView path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    if (slash == TextView::npos || slash + 1 >= path.size()) return Text();
    return Text(path.substr(slash + 1));
}

Text WorkingSetText(std::uint64_t bytes) {
    const std::uint64_t kb = bytes / 1024;
    const std::int64_t shown = kb > static_cast<std::uint64_t>(kMax32) ? kMax32 : static_cast<std::int64_t>(kb);
    return FormatInt(shown) + u" K";
}

ProcessEntry MakeProcessEntry(const ProcessFacts& facts, std::int32_t osFamily, const ProcessorTimes& times) {
    ProcessEntry e;
    switch (KindOfProcess(facts.id)) {
    case ProcessKind::Idle:
        e.name = kIdleProcessName;
        // Fixed figures, not measured: kept on purpose for hosts.
        e.memory = osFamily == OsWinXp ? u"28 K" : u"16 K";
        e.owner = kSystemOwner;
        e.filled = true;
        return e;
    case ProcessKind::System:
        e.name = kSystemProcessName;
        e.owner = kSystemOwner;
        e.memory = u"40 K";
        if (facts.opened) {
            e.memory = WorkingSetText(facts.workingSet);
            e.filled = true;
        }
        return e;
    case ProcessKind::Other:
        break;
    }
    // Listed and counted, but empty (ended meanwhile, or not even in the
    // snapshot): kept on purpose for hosts.
    if (!facts.named) return e;
    e.name = facts.baseName;
    e.memory = WorkingSetText(facts.workingSet);
    e.owner = facts.owner;
    e.cpuPercent = times.share(facts.id);
    e.filled = true;
    return e;
}

bool FillFactsFromSnapshot(const ProcessorTimes& snapshot, ProcessFacts& facts) {
    const SnapshotRecord* record = snapshot.find(facts.id);
    if (!record || record->imageName.empty()) return false;
    facts.named = true;
    facts.baseName = record->imageName;
    if (facts.workingSet == 0) facts.workingSet = record->workingSet;
    return true;
}

std::ptrdiff_t ApplyIdleRemainder(std::vector<ProcessEntry>& entries) {
    std::int64_t sum = 0;
    for (const ProcessEntry& e : entries) sum += e.cpuPercent;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].name == kIdleProcessName) {
            entries[i].cpuPercent = Clamp32(100 - sum);
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

}  // namespace tallowick
