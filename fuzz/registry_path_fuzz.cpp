// Registry path splitting over arbitrary UTF-16 input.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/registry_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char16_t> path(size / 2 + 1, 0);
    std::memcpy(path.data(), data, (size / 2) * 2);
    tallowick::RegistryRoot root;
    char16_t key[tallowick::kRegistryPartUnits + 1];
    char16_t value[tallowick::kRegistryPartUnits + 1];
    key[tallowick::kRegistryPartUnits] = u'#';
    value[tallowick::kRegistryPartUnits] = u'#';
    if (tallowick::SplitRegistryPath(path.data(), &root, key, value) == 0) {
        // Both parts terminated inside their buffers, nothing written past them.
        if (tallowick::BoundedLength(key, tallowick::kRegistryPartUnits) >= tallowick::kRegistryPartUnits) __builtin_trap();
        if (tallowick::BoundedLength(value, tallowick::kRegistryPartUnits) >= tallowick::kRegistryPartUnits) __builtin_trap();
    }
    if (key[tallowick::kRegistryPartUnits] != u'#' || value[tallowick::kRegistryPartUnits] != u'#') __builtin_trap();
    return 0;
}
