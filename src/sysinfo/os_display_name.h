// The English display name of the running Windows system, such as
// "Microsoft Windows XP Professional Service Pack 2 (Build 2600) ".
#pragma once

namespace tallowick {

// Capacity of the caller's buffer in UTF-16 units, terminator included.
constexpr int kOsDisplayNameUnits = 256;

// Writes the name into `text` (at least 256 units). Returns 1 when the name
// was built to its end, 0 when it stopped early; `text` always holds what was
// built so far, terminated.
int GetOsDisplayName(char16_t* text);

}  // namespace tallowick
