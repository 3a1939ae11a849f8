#include "core/win_util.h"  // windows.h first

#include <new>

#include "core/host_callback.h"

#include "disk/defrag_report.h"
#include "disk/hdd_check.h"

namespace tallowick {
namespace {

constexpr int kLetters = 26;
constexpr std::size_t kRootBound = 4;
constexpr std::size_t kFieldBound = 260;

}  // namespace

HddNode* SurveyFixedDrives(intptr_t context, int* count, CheckCallback callback) {
    if (count) *count = 0;
    DWORD mask = GetLogicalDrives();
    if (mask == 0) return nullptr;

    const HostCallback host(callback, context);
    ListBuilder<HddNode> built;
    for (int i = 0; i < kLetters; ++i) {
        if (host.CancelRequested()) break;
        if ((mask & (1u << i)) == 0) continue;

        wchar_t root[kRootBound] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
        if (GetDriveTypeW(root) != DRIVE_FIXED) continue;

        HddNode* node = new (std::nothrow) HddNode();
        if (!node) continue;
        CopyField(node->szRootPath, root, kRootBound);

        wchar_t label[kFieldBound] = {};
        wchar_t fileSystem[kFieldBound] = {};
        DWORD serial = 0, maxComponent = 0, flags = 0;
        if (GetVolumeInformationW(root, label, kFieldBound, &serial, &maxComponent, &flags, fileSystem,
                                  kFieldBound)) {
            label[kFieldBound - 1] = 0;
            CopyField(node->szVolumeLabel, label, kFieldBound);
            if (host) {
                Text progress = ProgressText(ViewOf(root));
                host.Ask(W(progress.c_str()));  // the answer is not a cancel request
            }
            std::int32_t percent = 0, recommend = 0;
            if (AnalyzeFragmentation(root, host, &percent, &recommend)) {
                CopyField(node->szFragmentation, FragmentationText(percent), kFieldBound);
                CopyField(node->szAdvice, AdviceText(recommend != 0), kFieldBound);
            }
        }

        ULARGE_INTEGER total = {}, free = {};
        GetDiskFreeSpaceExW(root, nullptr, &total, &free);
        node->ullTotalBytes = total.QuadPart;
        node->ullFreeBytes = free.QuadPart;

        if (count) ++*count;
        built.Append(node);
    }
    return built.head();
}

int CheckHdd(HddNode** result, CheckCallback callback, int* count, intptr_t context) {
    *result = SurveyFixedDrives(context, count, callback);
    return 0;
}

int ReleaseHdd(HddNode* list) {
    FreeList(list);
    return 0;
}

}  // namespace tallowick
