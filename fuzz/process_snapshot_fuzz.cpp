// Walking a process snapshot buffer of any content and length, and the
// processor shares computed from what the walk gave.
#include <cstdint>
#include <cstring>
#include <vector>

#include "process/process_list.h"

using namespace tallowick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy, so a read past `size` is caught by the sanitizer.
    std::vector<unsigned char> buffer(data, data + size);
    std::vector<SnapshotRecord> records;
    // Both layouts over the same bytes; the shares below use the 32-bit walk.
    std::vector<SnapshotRecord> records64;
    bool ok64 = WalkProcessSnapshot(buffer.data(), buffer.size(), records64, kSnapshotLayout64);
    if (!ok64 && !records64.empty()) __builtin_trap();
    if (ok64 && records64.size() > size / kSnapshotLayout64.minRecord) __builtin_trap();
    bool ok = WalkProcessSnapshot(buffer.data(), buffer.size(), records, kSnapshotLayout32);
    if (!ok && !records.empty()) __builtin_trap();
    if (ok && records.size() > size / kSnapshotMinRecord) __builtin_trap();
    ProcessorTimes times(records);
    for (const SnapshotRecord& r : records) {
        std::int32_t share = times.share(r.id);
        if (share < 0) __builtin_trap();
        if (r.id != 0 && share > 100) __builtin_trap();
    }
    if (size >= 16) {
        std::uint64_t own, total;
        std::memcpy(&own, data, 8);
        std::memcpy(&total, data + 8, 8);
        std::int32_t share = CpuShare(own, total);
        if (own <= total && (share < 0 || share > 100)) __builtin_trap();
    }
    Text path;
    for (std::size_t i = 0; i + 1 < size; i += 2) path.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    Text base = BaseNameOfPath(path);
    if (base.size() > path.size()) __builtin_trap();
    return 0;
}
