// The joining of device instance texts into a bounded report field, and the
// size and number texts taken from what the device queries answered.
#include <cstdint>
#include <cstring>
#include <vector>

#include "hardware/hardware_text.h"

using namespace tallowick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // First byte: the bound (small bounds reach the cut often); then texts
    // separated by a zero unit.
    const std::size_t bound = 1 + data[0] % 40 + (data[1] & 1 ? kHardwareFieldBound - 40 : 0);
    std::vector<char16_t> field(bound + 8, u'#');
    const std::size_t units = (size - 2) / 2;
    std::vector<char16_t> input(units);
    if (units) std::memcpy(input.data(), data + 2, units * 2);
    {
        InstanceJoiner joiner(field.data(), bound);
        Text current;
        Text whole;  // the join without a bound
        std::size_t added = 0;
        auto add = [&](const Text& t) {
            joiner.Add(t);
            if (added++ > 0) whole += kInstanceSeparator;
            whole += t;
        };
        for (char16_t unit : input) {
            if (unit == 0) {
                add(current);
                current.clear();
            } else {
                current.push_back(unit);
            }
        }
        add(current);
        std::size_t length = 0;
        while (length < bound && field[length] != 0) ++length;
        if (length >= bound || length != joiner.length()) __builtin_trap();  // terminated inside the bound
        // The field holds the start of the whole join; a cut never splits a
        // surrogate pair.
        if (whole.compare(0, length, field.data(), length) != 0) __builtin_trap();
        if (length < whole.size() && length > 0 && (field[length - 1] & 0xFC00) == 0xD800 &&
            (whole[length] & 0xFC00) == 0xDC00)
            __builtin_trap();
        for (std::size_t i = bound; i < field.size(); ++i)
            if (field[i] != u'#') __builtin_trap();  // nothing written past the bound
    }
    Text text(input.begin(), input.end());
    std::int64_t bytes = LeadingInt64(text);
    Text sizeText = FormatDiskSize(bytes);
    if (sizeText.size() < 7 || sizeText.compare(sizeText.size() - 3, 3, u"GB ") != 0) __builtin_trap();
    (void)DiskInstanceText(sizeText, text);
    (void)FormatMegabytes(static_cast<std::uint64_t>(bytes));
    return 0;
}
