#include "core/os_family.h"

#include "core/os_version_reader.h"

namespace tallowick {

std::int32_t GetOsFamily() { return ClassifyOsFamily(ReadVersionFacts(VersionPurpose::Family)); }

}  // namespace tallowick
