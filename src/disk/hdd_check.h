// The disk check on Windows: the fixed-drive survey behind Check_HDD and the
// fragmentation analysis that it runs for each drive through the system's
// defragmenter.
#pragma once

#include <cstdint>

#include "core/host_callback.h"
#include "disk/checks.h"

namespace tallowick {

// Lists the fixed drives A: to Z: with label, sizes and fragmentation.
// `callback` and `count` may be null; `context` is handed back to the
// callback. Returns the head of the list (null when no drive was listed).
HddNode* SurveyFixedDrives(intptr_t context, int* count, CheckCallback callback);

// Has the system's defragmenter analyse the drive at `rootPath` ("C:\") in a
// hidden process, asking `host` every 500 ms whether to cancel, and reads the
// percentage out of its report. Returns true with both outputs set when a
// figure was read; false, with the outputs untouched, otherwise.
bool AnalyzeFragmentation(const wchar_t* rootPath, const HostCallback& host, std::int32_t* percent,
                          std::int32_t* recommend);

// Reads the report file at `reportPath` by the layout of the running OS
// family (DefragFigures in defrag_report.h).
bool ParseDefragReport(const wchar_t* reportPath, std::int32_t* percent, std::int32_t* recommend);

// Full path of the system's defragmenter: the system directory's defrag.exe,
// or the one behind the Sysnative alias for a 32-bit process under WOW64.
Text DefragmenterPath();

}  // namespace tallowick
