// The process list without the platform: walking the system's process
// snapshot, the processor shares computed from one snapshot, and the rules
// that turn plain per-process facts into the texts of a list entry (the fixed
// idle and System entries, the working-set text, the idle remainder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/text.h"

namespace tallowick {

// Fixed texts of the list.
inline constexpr char16_t kIdleProcessName[] = u"System Idle Process";
inline constexpr char16_t kSystemProcessName[] = u"System";
inline constexpr char16_t kSystemOwner[] = u"SYSTEM";

// 32-bit layout of a SYSTEM_PROCESS_INFORMATION record: the fields the
// shares use, and the bytes a record must at least hold to carry them.
inline constexpr std::size_t kSnapshotNextOffset = 0;
inline constexpr std::size_t kSnapshotUserTime = 40;
inline constexpr std::size_t kSnapshotKernelTime = 48;
inline constexpr std::size_t kSnapshotProcessId = 68;
inline constexpr std::size_t kSnapshotMinRecord = 72;

// One snapshot record reduced to what the shares need: the identifier and
// the user plus kernel time (100 ns units).
struct SnapshotRecord {
    std::uint32_t id = 0;
    std::uint64_t time = 0;
};

// Walks the chain of records in the first `length` bytes of `buffer`, from
// the start up to and including the record whose next offset is 0. Every
// record must lie wholly inside `length`; a record or a link that reaches
// past it makes the whole snapshot unusable (returns false, `out` empty).
// Reads are unaligned-safe. Negative times count as 0.
bool WalkProcessSnapshot(const unsigned char* buffer, std::size_t length, std::vector<SnapshotRecord>& out);

// own * 100 / total, truncated; 0 when the total is 0. Exact for every pair
// of 64-bit values (no overflow), clamped into the 32-bit range.
std::int32_t CpuShare(std::uint64_t own, std::uint64_t total);

// The processor times of one snapshot: every share of one check is computed
// against the same total, which leaves out the idle process (identifier 0).
class ProcessorTimes {
public:
    ProcessorTimes() = default;  // no snapshot: every share is 0
    explicit ProcessorTimes(const std::vector<SnapshotRecord>& records);

    bool valid() const { return valid_; }
    std::uint64_t total() const { return total_; }
    // Sum of the times of every record with this identifier.
    std::uint64_t own(std::uint32_t id) const;
    // The share in whole percent; 0 without a snapshot.
    std::int32_t share(std::uint32_t id) const;

private:
    bool valid_ = false;
    std::uint64_t total_ = 0;
    std::vector<SnapshotRecord> byId_;  // summed per identifier, sorted by identifier
};

// How the list treats an identifier.
enum class ProcessKind { Idle, System, Other };
ProcessKind KindOfProcess(std::uint32_t id);

// What the platform could read of one process. For the idle process nothing
// is read; for the System process only `opened` and `workingSet`.
struct ProcessFacts {
    std::uint32_t id = 0;
    bool opened = false;       // opened with query and read rights
    bool named = false;        // executable module, base name and path all read
    Text baseName;             // the executable's file name
    std::uint64_t workingSet = 0;  // bytes; 0 when the counters could not be read
    Text owner;                // account name, empty when not found
};

// The texts and share of one list entry.
struct ProcessEntry {
    Text name;
    Text owner;
    Text memory;
    std::int32_t cpuPercent = 0;
    bool filled = false;  // what FillProcessNode answers
};

// The file name at the end of an executable's full path; empty when the path
// has no folder part or ends in a separator.
Text BaseNameOfPath(TextView path);

// "%d K" of the working set in whole kilobytes (10,489,856 bytes: "10244 K").
Text WorkingSetText(std::uint64_t bytes);

// The entry of one process: the idle entry ("28 K" under the XP family,
// "16 K" otherwise, owner SYSTEM, share set later), the System entry (under
// identifier 4 or 8: "40 K" unless measured, share 0), and every other
// process with its name, owner, working set and share when it could be
// opened and named, else empty.
ProcessEntry MakeProcessEntry(const ProcessFacts& facts, std::int32_t osFamily, const ProcessorTimes& times);

// Gives the first entry named exactly "System Idle Process" (case-sensitive)
// 100 minus the sum of the shares of all entries. Returns its index, or -1
// when there is no such entry (then no entry receives a remainder).
std::ptrdiff_t ApplyIdleRemainder(std::vector<ProcessEntry>& entries);

}  // namespace tallowick
