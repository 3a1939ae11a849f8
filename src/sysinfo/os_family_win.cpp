#include "sysinfo/os_family.h"

#include "sysinfo/os_version_reader.h"

namespace tallowick {

std::int32_t GetOsFamily() { return ClassifyOsFamily(ReadVersionFacts(VersionPurpose::Family)); }

}  // namespace tallowick
