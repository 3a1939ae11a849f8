// Placeholder until the version classification lands: the family is unknown.
#include "sysinfo/os_family.h"

namespace tallowick {

std::int32_t GetOsFamily() { return OsUnknown; }

}  // namespace tallowick
