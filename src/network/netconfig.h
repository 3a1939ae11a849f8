// Adapter list: the interface-type labels and the texts of one adapter node,
// independent of the IP Helper records they come from.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text.h"

namespace tallowick {

// One adapter record as Windows writes it: 648 bytes for a 32-bit process,
// 704 for a 64-bit one. The first buffer offered to the platform holds one
// record (chosen by architecture in the Windows layer). The compiler's own
// record may be smaller (a 32-bit time_t), so this is never taken from sizeof.
constexpr std::size_t kAdapterRecordBytes = 648;
constexpr std::size_t kAdapterRecordBytes64 = 704;

// Every text of a NetConfigNode is bounded to 260 units with the terminator.
constexpr std::size_t kNetConfigTextBound = 260;

// Label of an adapter's interface type number; "unknown" for any number not
// in the table (wireless adapters, 71, among them).
const char16_t* AdapterTypeLabel(std::uint32_t type);

// What the check takes from one adapter, its texts already in UTF-16.
struct AdapterFacts {
    Text description;
    std::uint32_t type = 0;
    Text ipAddress;  // first entry of the address list
    Text ipMask;     // mask of that same entry
};

// The four texts of one node, each cut to fit its field.
struct NetConfigRow {
    Text description;
    Text type;
    Text ipAddress;
    Text subnetMask;
};

NetConfigRow MakeNetConfigRow(const AdapterFacts& adapter);

}  // namespace tallowick
