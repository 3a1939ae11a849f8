#include "core/processor_name.h"

#include "core/registry_reader.h"
#include "core/text.h"
#include "core/win_util.h"

namespace tallowick {
namespace {

constexpr DWORD kProcessorNameBytes = 256;  // 127 characters and the terminator

}  // namespace

int ReadProcessorName(char16_t* field) {
    if (!field) return 0;
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                      KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return 0;
    }
    char16_t scratch[kProcessorNameUnits] = {};
    DWORD length = kProcessorNameBytes;
    if (RegQueryValueExW(key.get(), L"ProcessorNameString", nullptr, nullptr, reinterpret_cast<BYTE*>(scratch),
                         &length) != ERROR_SUCCESS ||
        length > kProcessorNameBytes) {
        return 0;
    }
    key.reset();
    CopyBounded(field, kProcessorNameUnits,
                TrimLeadingBlanks(RegistryBufferText(scratch, kProcessorNameUnits, length)));
    return 1;
}

}  // namespace tallowick
