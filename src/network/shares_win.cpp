// Check_ShareResource / Repair_ShareResource: the folders this computer
// shares, and stopping to share the ones the host marked.
#include "core/win_util.h"

#include <lm.h>

#include <new>

#include "core/host_callback.h"
#include "network/shares.h"
#include "network/checks.h"

namespace tallowick {

namespace {

// One call of the platform's enumeration at level 502, carrying on from
// `resume`. The platform's buffer is copied out and freed here.
void FetchShareBatch(DWORD& resume, ShareBatch& batch) {
    BYTE* buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    NET_API_STATUS status = NetShareEnum(nullptr, 502, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
    auto freeBuffer = OnScopeExit([&] {
        if (buffer) NetApiBufferFree(buffer);
    });
    batch.status = status;
    if ((status != NERR_Success && status != ERROR_MORE_DATA) || !buffer) return;
    const SHARE_INFO_502* info = reinterpret_cast<const SHARE_INFO_502*>(buffer);
    batch.entries.reserve(read);
    for (DWORD i = 0; i < read; ++i) {
        ShareEntry entry;
        entry.name = Text(ViewOf(info[i].shi502_netname));
        entry.path = Text(ViewOf(info[i].shi502_path));
        entry.remark = Text(ViewOf(info[i].shi502_remark));
        entry.type = info[i].shi502_type;
        entry.currentUses = info[i].shi502_current_uses;
        batch.entries.push_back(std::move(entry));
    }
}

}  // namespace

int CheckShareResource(ShareResourceNode** result, int* count) {
    *count = 0;
    ListBuilder<ShareResourceNode> built;
    DWORD resume = 0;
    // Out of memory ends the enumeration with the shares listed so far.
    try {
        CollectShares([&](ShareBatch& batch) { FetchShareBatch(resume, batch); },
                      [&](const ShareEntry& entry) {
                          const ShareRow row = MakeShareRow(entry);
                          AppendNewNode(built, count, [&](ShareResourceNode& node) {
                              CopyField(node.szShareName, row.name, kShareTextBound);
                              CopyField(node.szPath, row.path, kShareTextBound);
                              CopyField(node.szType, row.kind, kShareTextBound);
                              CopyField(node.szConnections, row.connections, kShareTextBound);
                              CopyField(node.szRemark, row.remark, kShareTextBound);
                          });
                      });
    } catch (const std::bad_alloc&) {
    }
    *result = built.Release();
    return 0;
}

int RepairShareResource(ShareResourceNode* list, CheckCallback callback, intptr_t context) {
    const HostCallback host(callback, context);
    RemoveSelectedShares(
        list,
        [](ShareResourceNode& node) -> std::uint32_t {
            // The host owns the node while it holds the list: take the name
            // no further than its field.
            wchar_t name[261];
            CopyBounded(U16(name), 261, TextView(U16(node.szShareName), BoundedLength(U16(node.szShareName), 261)));
            return NetShareDel(nullptr, name, 0);
        },
        [&](ShareResourceNode& node) -> int { return host.Ask(node.szShareName); });
    // Code 0 whatever was removed: each node carries its own result (kept on
    // purpose for hosts).
    return 0;
}

int ReleaseShareResource(ShareResourceNode* list) { return ReleaseList(list); }

}  // namespace tallowick
