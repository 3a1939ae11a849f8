// The process list without the platform: walking the system's process
// snapshot, the processor shares computed from one snapshot, and the rules
// that turn plain per-process facts into the texts of a list entry (the fixed
// idle and System entries, the working-set text, the idle remainder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/text.h"

namespace tallowick {

// Fixed texts of the list.
inline constexpr char16_t kIdleProcessName[] = u"System Idle Process";
inline constexpr char16_t kSystemProcessName[] = u"System";
inline constexpr char16_t kSystemOwner[] = u"SYSTEM";

// Where a SYSTEM_PROCESS_INFORMATION record keeps the fields the list uses,
// and the bytes a record must at least hold to carry the chain, the times and
// the identifier. The layout depends on the bitness of the process that asks:
// the identifier, the image name's buffer and the working set are
// pointer-sized. Each build checks its own layout against the SDK's
// declaration (process/check_process_win.cpp); the other one cannot be
// compiled against there, so its figures stand here as measured.
struct SnapshotLayout {
    std::size_t nextOffset;   // 32-bit offset of the next record, 0 for the last
    std::size_t userTime;     // 64-bit, 100 ns units
    std::size_t kernelTime;   // 64-bit, 100 ns units
    std::size_t processId;
    std::size_t processIdBytes;  // 4 or 8; only the low 32 bits are kept
    std::size_t minRecord;
    std::size_t imageNameLength;  // 16-bit length in bytes of the image name
    std::size_t imageNameBuffer;  // address of the name's UTF-16 units, inside the snapshot
    std::size_t pointerBytes;     // 4 or 8: the name's address and the working set
    std::size_t workingSet;       // bytes
};

inline constexpr SnapshotLayout kSnapshotLayout32{0, 40, 48, 68, 4, 72, 56, 60, 4, 104};
inline constexpr SnapshotLayout kSnapshotLayout64{0, 40, 48, 80, 8, 88, 56, 64, 8, 144};
// The layout the system writes for this build's own processes.
inline constexpr const SnapshotLayout& kNativeSnapshotLayout =
    sizeof(void*) == 8 ? kSnapshotLayout64 : kSnapshotLayout32;

// The bytes a record must hold for its image name and working set to be read.
constexpr std::size_t SnapshotDetailBytes(const SnapshotLayout& layout) {
    return layout.workingSet + layout.pointerBytes;
}

// The 32-bit layout's fields by name.
inline constexpr std::size_t kSnapshotNextOffset = kSnapshotLayout32.nextOffset;
inline constexpr std::size_t kSnapshotUserTime = kSnapshotLayout32.userTime;
inline constexpr std::size_t kSnapshotKernelTime = kSnapshotLayout32.kernelTime;
inline constexpr std::size_t kSnapshotProcessId = kSnapshotLayout32.processId;
inline constexpr std::size_t kSnapshotMinRecord = kSnapshotLayout32.minRecord;

// One snapshot record reduced to what the list needs: the identifier, the
// user plus kernel time (100 ns units), and, where the record carries them,
// the image name and the working set, which the system gives without opening
// the process.
struct SnapshotRecord {
    std::uint32_t id = 0;
    std::uint64_t time = 0;
    bool detailed = false;      // the record was long enough for name and working set
    Text imageName;             // the executable's file name; empty when not given
    std::uint64_t workingSet = 0;
};

// Walks the chain of records in the first `length` bytes of `buffer`, from
// the start up to and including the record whose next offset is 0. Every
// record must lie wholly inside `length`; a record or a link that reaches
// past it makes the whole snapshot unusable (returns false, `out` empty).
// Reads are unaligned-safe. Negative times count as 0. `layout` says where
// the fields are (kSnapshotLayout32 or kSnapshotLayout64).
// The image name is read only from inside the first `length` bytes: the
// record gives it as an address, and `address` is where the buffer was when
// the system wrote it (its own address unless given). A name outside, of odd
// length, or in a record too short for it is left empty, as is the working
// set of a record too short for it; neither makes the snapshot unusable. A
// name with a folder part is cut to its file name.
bool WalkProcessSnapshot(const unsigned char* buffer, std::size_t length, std::vector<SnapshotRecord>& out,
                         const SnapshotLayout& layout, std::uint64_t address);
bool WalkProcessSnapshot(const unsigned char* buffer, std::size_t length, std::vector<SnapshotRecord>& out,
                         const SnapshotLayout& layout);

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
    // The first record of this identifier (its image name and working set),
    // null when the snapshot holds none.
    const SnapshotRecord* find(std::uint32_t id) const;

private:
    bool valid_ = false;
    std::uint64_t total_ = 0;
    std::vector<SnapshotRecord> byId_;  // times summed per identifier, sorted by identifier
};

// How the list treats an identifier.
enum class ProcessKind { Idle, System, Other };
ProcessKind KindOfProcess(std::uint32_t id);

// What the platform could read of one process. For the idle process nothing
// is read; for the System process only `opened` and `workingSet`. Any other
// process is listed with its facts once it is named: opened with the full
// rights, or, where those are refused, with the limited query right, or from
// the system's snapshot alone.
struct ProcessFacts {
    std::uint32_t id = 0;
    bool opened = false;       // opened with query and read rights
    bool named = false;        // base name read (from the executable module, the image path or the snapshot)
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
    bool filled = false;  // the node is filled: the process could be read (idle: always)
};

// The file name at the end of an executable's full path; empty when the path
// has no folder part or ends in a separator.
Text BaseNameOfPath(TextView path);

// "%d K" of the working set in whole kilobytes (10,489,856 bytes: "10244 K").
Text WorkingSetText(std::uint64_t bytes);

// The entry of one process: the idle entry ("28 K" under the XP family,
// "16 K" otherwise, owner SYSTEM, share set later), the System entry (under
// identifier 4 or 8: "40 K" unless opened with the full rights, share 0), and
// every other process with its name, owner, working set and share when it
// could be named, else empty.
ProcessEntry MakeProcessEntry(const ProcessFacts& facts, std::int32_t osFamily, const ProcessorTimes& times);

// Fills the name and the working set of a process that could not be read
// otherwise from its snapshot record: the working set only when none was read
// (0), the name only when the record gives one. False when the snapshot has
// no record of the process or no name for it (the facts are then unchanged).
bool FillFactsFromSnapshot(const ProcessorTimes& snapshot, ProcessFacts& facts);

// Gives the first entry named exactly "System Idle Process" (case-sensitive)
// 100 minus the sum of the shares of all entries. Returns its index, or -1
// when there is no such entry (then no entry receives a remainder).
std::ptrdiff_t ApplyIdleRemainder(std::vector<ProcessEntry>& entries);

}  // namespace tallowick
