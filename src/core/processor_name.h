// The name of the computer's first processor, as the system describes it.
#pragma once

#include <cstddef>

namespace tallowick {

// Units of the processor name fields (the computer identity's and the
// hardware report's read through it).
constexpr std::size_t kProcessorNameUnits = 256;

// Name of the first processor, leading blanks removed, into a field of
// kProcessorNameUnits units. Returns 1 on success, 0 on failure (the field
// untouched).
int ReadProcessorName(char16_t* field);

}  // namespace tallowick
