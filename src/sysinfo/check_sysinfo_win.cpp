// Not built yet: this check hands over an empty result.
#include <new>

#include "plugin/checks.h"

namespace tallowick {

int CheckSysInfo(SysInfoResult** result, int* count) {
    SysInfoResult* record = new (std::nothrow) SysInfoResult();
    if (!record) return 1;
    *result = record;
    *count = 0;
    return 0;
}

int ReleaseSysInfo(SysInfoResult* record) {
    if (!record) return 1;
    delete record;
    return 0;
}

}  // namespace tallowick
