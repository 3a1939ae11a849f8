// Not built yet: this check hands over an empty result.
#include <new>

#include "plugin/checks.h"

namespace tallowick {

int CheckProcess(ProcessNode** result, int* count) {
    *result = nullptr;
    *count = 0;
    return 0;
}

int ReleaseProcess(ProcessNode* list) {
    FreeList(list);
    return 0;
}

}  // namespace tallowick
