#include "core/registry_reader.h"
#include "core/win_util.h"

namespace tallowick {
namespace {

// The system's predefined key of a root. They are sign-extended handles on
// 64-bit Windows (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 there), so they
// are never built from the 32-bit values.
HKEY PredefinedKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users: return HKEY_USERS;
        case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
        case RegistryRoot::DynData: return HKEY_DYN_DATA;
        case RegistryRoot::None: break;
    }
    return nullptr;
}

}  // namespace

int ReadRegistryString(const char16_t* path, char16_t* destination) {
    char16_t keyPath[kRegistryPartUnits] = {};
    char16_t valueName[kRegistryPartUnits] = {};
    RegistryRoot root = RegistryRoot::None;
    if (SplitRegistryPath(path, &root, keyPath, valueName) != kRegistryOk) return kRegistryBadRoot;

    UniqueRegKey key;
    HKEY rootKey = PredefinedKey(root);
    if (!rootKey) return kRegistryBadRoot;
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
