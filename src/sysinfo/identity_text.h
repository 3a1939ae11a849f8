// Text pieces of the computer identity that need no system.
#pragma once

#include "core/text.h"

namespace tallowick {

// The text with every blank (U+0020) before its first other unit removed;
// tabs and other white space count as text, trailing blanks stay.
Text TrimLeadingBlanks(TextView text);

}  // namespace tallowick
