// Parsing of the configured paging files and the rule for which system
// environment values are listed; nothing here asks the system.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace tallowick {

// Registry value types the report looks at.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegMultiSz = 7;

// One paging-file entry: "path initial maximum", sizes in megabytes.
struct PagingFileEntry {
    Text drive;  // the entry's first two units (fewer when the entry is shorter)
    std::int64_t initialSize = 0;
    std::int64_t maximumSize = 0;
};

// An entry's drive and sizes: the initial size follows the first blank, the
// maximum size the last blank, each read by LeadingInt32 (core/text.h); both
// 0 when the entry has no blank.
PagingFileEntry ParsePagingFileEntry(TextView entry);

// The entries of multi-string data of `units` units. `data[units]` must be
// readable and zero: a final entry is taken only when a zero unit ends it,
// and two zero units end the list. No data gives no entry.
std::vector<Text> SplitMultiString(const char16_t* data, std::size_t units);

// Whether a system environment value of this type and data length is listed:
// string types with data only.
bool IsListedEnvironmentValue(std::uint32_t type, std::uint32_t dataBytes);

}  // namespace tallowick
