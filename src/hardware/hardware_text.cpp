#include "hardware/hardware_text.h"

namespace tallowick {
namespace {

constexpr int kFractionBits = 30;  // sizes are shown in units of 2^30 bytes
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << kFractionBits) - 1;

}  // namespace

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
    Text out = FormatDiskSize(LeadingInt64(sizeText));
    out.append(interfaceType.data(), interfaceType.size());
    return out;
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
