// The bounded copy and the UTF-8/UTF-16 conversions over arbitrary input.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::size_t bound = data[0] % 32;
    std::u16string src((size - 1) / 2, u'\0');
    std::memcpy(&src[0], data + 1, src.size() * 2);
    char16_t field[40];
    for (char16_t& c : field) c = u'#';
    std::size_t n = tallowick::CopyBounded(field, bound, src);
    if (bound > 0) {
        if (n >= bound || field[n] != 0) __builtin_trap();
    }
    for (std::size_t i = bound; i < 40; ++i)
        if (field[i] != u'#') __builtin_trap();
    tallowick::AppendBounded(field, bound, src);
    std::string utf8(reinterpret_cast<const char*>(data), size);
    std::u16string wide = tallowick::FromUtf8(utf8);
    if (tallowick::FromUtf8(tallowick::ToUtf8(wide)) != wide) __builtin_trap();
    return 0;
}
