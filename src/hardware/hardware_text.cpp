#include "hardware/hardware_text.h"

#include <limits>

namespace tallowick {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

constexpr int kFractionBits = 30;  // sizes are shown in units of 2^30 bytes
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << kFractionBits) - 1;

}  // namespace

std::int64_t ParseDecimalInt64(TextView text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // The magnitude may reach 2^63 for the most negative value.
    const std::uint64_t limit = negative
        ? static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1
        : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        unsigned digit = static_cast<unsigned>(text[i] - u'0');
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

Text FormatDiskSize(std::int64_t bytes) {
    const bool negative = bytes < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    // The byte count as a double (rounded to 53 significant bits, as the
    // conversion does) is an integer M of at most 2^63; times 2^-30 is exact,
    // so the value shown is exactly M / 2^30.
    const std::uint64_t m = static_cast<std::uint64_t>(static_cast<double>(magnitude));
    std::uint64_t whole = m >> kFractionBits;
    const std::uint64_t scaled = (m & kFractionMask) * 1000;  // below 2^40
    std::uint64_t thousandths = scaled >> kFractionBits;
    const std::uint64_t rest = scaled & kFractionMask;
    const std::uint64_t half = std::uint64_t{1} << (kFractionBits - 1);
    if (rest > half || (rest == half && (thousandths & 1) != 0)) ++thousandths;
    if (thousandths == 1000) {
        thousandths = 0;
        ++whole;
    }
    Text out;
    if (negative) out += u'-';  // printf keeps the sign of a negative value, "-0.000" too
    out += FormatInt(static_cast<std::int64_t>(whole));
    out += u'.';
    out += static_cast<char16_t>(u'0' + thousandths / 100);
    out += static_cast<char16_t>(u'0' + thousandths / 10 % 10);
    out += static_cast<char16_t>(u'0' + thousandths % 10);
    out += u"GB ";
    return out;
}

Text DiskInstanceText(TextView sizeText, TextView interfaceType) {
    Text out = FormatDiskSize(ParseDecimalInt64(sizeText));
    out.append(interfaceType.data(), interfaceType.size());
    return out;
}

Text FormatMemoryText(std::uint64_t totalBytes) {
    return FormatInt(static_cast<std::int64_t>(totalBytes >> 20)) + u" MB";
}

bool NeedsNoDriverText(int fieldIndex, const char16_t* field) {
    return fieldIndex >= kVideoControllerField && fieldIndex <= kPointingDeviceField && field &&
           field[0] == 0;
}

InstanceJoiner::InstanceJoiner(char16_t* field, std::size_t bound) : field_(field), bound_(bound) {
    if (!field_ || bound_ == 0) {
        full_ = true;
        return;
    }
    field_[0] = 0;
}

void InstanceJoiner::Add(TextView text) {
    if (instances_ != 0) Append(kInstanceSeparator);
    Append(text);
    ++instances_;
}

void InstanceJoiner::Append(TextView text) {
    if (full_) return;
    // A field holds one text: an embedded terminator ends it.
    std::size_t wanted = 0;
    while (wanted < text.size() && text[wanted] != 0) ++wanted;
    const std::size_t copied = CopyBounded(field_ + length_, bound_ - length_, text.substr(0, wanted));
    length_ += copied;
    if (copied < wanted) full_ = true;  // cut: nothing more goes behind a cut text
}

}  // namespace tallowick
