// Portable text helpers shared by every check: one bounded copy used wherever
// a text enters a fixed field, and small formatters that give the same text
// natively and on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tallowick {

using Text = std::u16string;
using TextView = std::u16string_view;

// Length of a zero-terminated text, reading at most `limit` units.
std::size_t BoundedLength(const char16_t* text, std::size_t limit);

// Copies `src` into `dst`, writing at most `bound` units including the
// terminator (bound 0 writes nothing). The text is always terminated and a
// surrogate pair is never split. Returns the number of units copied.
std::size_t CopyBounded(char16_t* dst, std::size_t bound, TextView src);

// Appends `src` behind the text already in `dst`, the whole bounded as above.
std::size_t AppendBounded(char16_t* dst, std::size_t bound, TextView src);

// Fixed-array convenience: bound defaults to the array's width.
template <std::size_t N>
std::size_t CopyField(char16_t (&dst)[N], TextView src, std::size_t bound = N) {
    return CopyBounded(dst, bound < N ? bound : N, src);
}

// Decimal text of a signed 64-bit integer ("%I64d" / "%d").
Text FormatInt(std::int64_t value);

// Widens 7-bit text (format literals, digits); other bytes map to U+FFFD.
Text Widen(std::string_view ascii);

// UTF-8 <-> UTF-16 (invalid input gives U+FFFD), for hosts and tests.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);

}  // namespace tallowick
