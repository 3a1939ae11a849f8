#include "plugin/registry_reader.h"
#include "plugin/win_util.h"

namespace tallowick {

int ReadRegistryString(const char16_t* path, char16_t* destination) {
    char16_t keyPath[kRegistryPartUnits] = {};
    char16_t valueName[kRegistryPartUnits] = {};
    RegistryRoot root = RegistryRoot::None;
    if (SplitRegistryPath(path, &root, keyPath, valueName) != kRegistryOk) return kRegistryBadRoot;

    UniqueRegKey key;
    HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<std::uint32_t>(root)));
    if (RegOpenKeyExW(rootKey, W(keyPath), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return kRegistryNoKey;
    }
    DWORD type = 0;
    DWORD size = kRegistryValueBytes;
    if (!destination ||
        RegQueryValueExW(key.get(), W(valueName), nullptr, &type,
                         reinterpret_cast<BYTE*>(destination), &size) != ERROR_SUCCESS) {
        return kRegistryNoValue;
    }
    return type == REG_SZ ? kRegistryOk : kRegistryNotString;
}

}  // namespace tallowick
