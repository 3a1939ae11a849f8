#include "sysinfo/os_display_name.h"

#include "core/os_version_reader.h"

namespace tallowick {

int GetOsDisplayName(char16_t* text) {
    if (!text) return 0;
    text[0] = u'\0';
    Text name;
    int built = BuildOsDisplayName(ReadVersionFacts(VersionPurpose::DisplayName), name);
    CopyBounded(text, kOsDisplayNameUnits, name);
    return built;
}

}  // namespace tallowick
