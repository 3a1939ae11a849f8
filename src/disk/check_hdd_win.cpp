#include "core/win_util.h"  // windows.h first

#include "core/host_callback.h"

#include "disk/defrag_report.h"
#include "disk/hdd_check.h"

namespace tallowick {
namespace {

constexpr int kLetters = 26;
constexpr std::size_t kRootBound = 4;
constexpr std::size_t kFieldBound = 260;

// One fixed drive's node: label, fragmentation figures (with the progress
// text shown first) and sizes.
void FillDriveNode(const wchar_t* root, const HostCallback& host, HddNode& node) {
    CopyField(node.szRootPath, root, kRootBound);

    wchar_t label[kFieldBound] = {};
    wchar_t fileSystem[kFieldBound] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (GetVolumeInformationW(root, label, kFieldBound, &serial, &maxComponent, &flags, fileSystem, kFieldBound)) {
        label[kFieldBound - 1] = 0;
        CopyField(node.szVolumeLabel, label, kFieldBound);
        if (host) {
            Text progress = ProgressText(ViewOf(root));
            // The answer is not a cancel request: kept on purpose for hosts.
            host.Ask(W(progress.c_str()));
        }
        std::int32_t percent = 0, recommend = 0;
        if (AnalyzeFragmentation(root, host, &percent, &recommend)) {
            CopyField(node.szFragmentation, FragmentationText(percent), kFieldBound);
            CopyField(node.szAdvice, AdviceText(recommend != 0), kFieldBound);
        }
    }

    ULARGE_INTEGER total = {}, free = {};
    GetDiskFreeSpaceExW(root, nullptr, &total, &free);
    node.ullTotalBytes = total.QuadPart;
    node.ullFreeBytes = free.QuadPart;
}

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

        AppendNewNode(built, count, [&](HddNode& node) { FillDriveNode(root, host, node); });
    }
    return built.Release();
}

int CheckHdd(HddNode** result, CheckCallback callback, int* count, intptr_t context) {
    *result = SurveyFixedDrives(context, count, callback);
    return 0;
}

int ReleaseHdd(HddNode* list) { return ReleaseList(list); }

}  // namespace tallowick
