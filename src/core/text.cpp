#include "core/text.h"

#include <limits>

namespace tallowick {

namespace {

template <typename Char>
std::size_t BoundedLengthOf(const Char* text, std::size_t limit) {
    if (!text) return 0;
    std::size_t n = 0;
    while (n < limit && text[n] != 0) ++n;
    return n;
}

}  // namespace

std::size_t BoundedLength(const char16_t* text, std::size_t limit) { return BoundedLengthOf(text, limit); }
std::size_t BoundedLength(const char* text, std::size_t limit) { return BoundedLengthOf(text, limit); }

std::size_t CopyBounded(char16_t* dst, std::size_t bound, TextView src) {
    if (!dst || bound == 0) return 0;
    std::size_t n = src.size();
    // Stop at an embedded terminator: the field holds one text.
    for (std::size_t i = 0; i < n; ++i) {
        if (src[i] == 0) { n = i; break; }
    }
    if (n > bound - 1) {
        n = bound - 1;
        // Do not leave a lone high surrogate at the cut.
        if (n > 0 && src[n - 1] >= 0xD800 && src[n - 1] <= 0xDBFF) --n;
    }
    for (std::size_t i = 0; i < n; ++i) dst[i] = src[i];
    dst[n] = 0;
    return n;
}

std::size_t AppendBounded(char16_t* dst, std::size_t bound, TextView src) {
    if (!dst || bound == 0) return 0;
    std::size_t have = BoundedLength(dst, bound);
    if (have >= bound) {  // not terminated inside the bound: terminate it
        have = bound - 1;
        dst[have] = 0;
    }
    return have + CopyBounded(dst + have, bound - have, src);
}

Text BoundedText(TextView src, std::size_t bound) {
    if (bound == 0) return Text();
    Text field(bound, u'\0');
    field.resize(CopyBounded(&field[0], bound, src));
    return field;
}

namespace {

template <typename Char>
std::int64_t LeadingInt64Of(std::basic_string_view<Char> text) {
    std::size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) {
        negative = text[i] == Char('-');
        ++i;
    }
    // The magnitude may reach 2^63 for the most negative value.
    const std::uint64_t limit = negative
        ? static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1
        : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    for (; i < text.size() && IsAsciiDigit(text[i]); ++i) {
        unsigned digit = static_cast<unsigned>(text[i] - Char('0'));
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;  // out of range: the nearest limit
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) return static_cast<std::int64_t>(magnitude);
    if (magnitude == limit) return std::numeric_limits<std::int64_t>::min();
    return -static_cast<std::int64_t>(magnitude);
}

std::int32_t ClampToInt32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

std::int64_t LeadingInt64(TextView text) { return LeadingInt64Of(text); }
std::int64_t LeadingInt64(std::string_view text) { return LeadingInt64Of(text); }
std::int32_t LeadingInt32(TextView text) { return ClampToInt32(LeadingInt64Of(text)); }
std::int32_t LeadingInt32(std::string_view text) { return ClampToInt32(LeadingInt64Of(text)); }

bool EqualsIgnoreCase(TextView a, TextView b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

Text FormatInt(std::int64_t value) {
    char16_t buf[24];
    int i = 24;
    std::uint64_t mag = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                  : static_cast<std::uint64_t>(value);
    do {
        buf[--i] = static_cast<char16_t>(u'0' + mag % 10);
        mag /= 10;
    } while (mag != 0);
    if (value < 0) buf[--i] = u'-';
    return Text(buf + i, buf + 24);
}

Text FormatMegabytes(std::uint64_t totalBytes) {
    return FormatInt(static_cast<std::int64_t>(totalBytes >> 20)) + u" MB";
}

std::string ToUtf8(TextView text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

Text FromUtf8(std::string_view s) {
    Text out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > s.size()) {
                len = 1;
            } else {
                cp = c & (0x7F >> len);
                bool ok = true;
                for (std::size_t k = 1; k < len; ++k) {
                    unsigned char cc = static_cast<unsigned char>(s[i + k]);
                    if ((cc & 0xC0) != 0x80) { ok = false; break; }
                    cp = (cp << 6) | (cc & 0x3F);
                }
                static const std::uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
                if (!ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                    cp = 0xFFFD;
                    len = 1;
                }
            }
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

Text TrimLeadingBlanks(TextView text) {
    std::size_t first = text.find_first_not_of(u' ');
    return first == TextView::npos ? Text() : Text(text.substr(first));
}

}  // namespace tallowick
