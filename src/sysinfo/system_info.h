// The lists of the system information report (Windows only: they build the
// public records).
#pragma once

#include "sysinfo/checks.h"

namespace tallowick {

// The configured paging files, or null. `count` (may be null) receives 0, and
// 1 when the value was read as a multi-string.
PagingFileNode* ReadPagingFiles(int* count);

// The system-wide environment variables, unexpanded, or null. `count` (may be
// null) receives 0 once the key is open and grows by one per listed node.
EnvironmentVariableNode* ReadSystemEnvironment(int* count);

}  // namespace tallowick
