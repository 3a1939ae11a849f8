// Portable text helpers shared by every check: one bounded copy used wherever
// a text enters a fixed field, the decimal reading and the ASCII case rules of
// the C library's "C" locale, and small formatters that give the same text
// natively and on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tallowick {

using Text = std::u16string;
using TextView = std::u16string_view;

// Length of a zero-terminated text, reading at most `limit` units (bytes for
// 8-bit text, such as the fixed byte fields of platform records, which lack
// a terminator when the text fills them). Null has length 0.
std::size_t BoundedLength(const char16_t* text, std::size_t limit);
std::size_t BoundedLength(const char* text, std::size_t limit);

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

// The text as a field of `bound` units would hold it after CopyBounded: cut
// at the first terminator and to bound - 1 units, never inside a surrogate
// pair (bound 0 gives the empty text).
Text BoundedText(TextView src, std::size_t bound);

// White space as isspace() has it in the "C" locale: the blank and the
// controls tab to carriage return. Any other unit, U+00A0 among them, is not.
template <typename Char>
constexpr bool IsAsciiSpace(Char c) {
    return c == Char(' ') || (c >= Char('\t') && c <= Char('\r'));
}
template <typename Char>
constexpr bool IsAsciiDigit(Char c) {
    return c >= Char('0') && c <= Char('9');
}

// The number that starts a text, read as strtoll reads it: leading white
// space skipped, an optional sign, then decimal digits up to the first other
// unit; 0 when no digit follows. A value beyond the 64-bit range gives the
// nearest limit. Bytes (a report file's raw text) are read like units.
std::int64_t LeadingInt64(TextView text);
std::int64_t LeadingInt64(std::string_view text);
// The same number clamped into the signed 32-bit range (strtol where long
// has 32 bits).
std::int32_t LeadingInt32(TextView text);
std::int32_t LeadingInt32(std::string_view text);

// Equality with the ASCII letters a-z and A-Z folded together; every other
// unit compares as it is.
bool EqualsIgnoreCase(TextView a, TextView b);

// Decimal text of a signed 64-bit integer ("%I64d" / "%d").
Text FormatInt(std::int64_t value);

// "%I64d MB" of the whole mebibytes in `totalBytes`, rounded down: the
// memory texts of the computer identity and of the hardware report.
Text FormatMegabytes(std::uint64_t totalBytes);

// UTF-8 <-> UTF-16 (invalid input gives U+FFFD), for hosts and tests.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);

// The text with every blank (U+0020) before its first other unit removed;
// tabs and other white space count as text, trailing blanks stay.
Text TrimLeadingBlanks(TextView text);

}  // namespace tallowick
