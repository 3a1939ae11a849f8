// Check_ShareResource / Repair_ShareResource: the folders this computer
// shares, and stopping to share the ones the host marked.
#include "core/win_util.h"

#include <lm.h>

#include <new>
#include <type_traits>

#include "core/host_callback.h"
#include "core/platform_owners.h"
#include "network/shares.h"
#include "network/checks.h"

namespace tallowick {

namespace {

// Texts the platform handed out, null read as empty.
Text TextOf(const wchar_t* text) { return text ? Text(ViewOf(text)) : Text(); }

// One call of the platform's enumeration at `level`, carrying on from
// `resume`. The platform's buffer is copied out and freed here.
void FetchShareBatch(ShareLevel level, DWORD& resume, ShareBatch& batch) {
    UniqueNetApiBuffer buffer;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS status = NetShareEnum(nullptr, static_cast<DWORD>(level), buffer.put(),
                                               MAX_PREFERRED_LENGTH, &read, &total, &resume);
    batch.status = status;
    if ((status != NERR_Success && status != ERROR_MORE_DATA) || !buffer) return;
    batch.entries.reserve(read);
    for (DWORD i = 0; i < read; ++i) {
        ShareEntry entry;
        if (level == ShareLevel::Detailed) {
            const SHARE_INFO_502& info = reinterpret_cast<const SHARE_INFO_502*>(buffer.get())[i];
            entry.name = TextOf(info.shi502_netname);
            entry.path = TextOf(info.shi502_path);
            entry.remark = TextOf(info.shi502_remark);
            entry.type = info.shi502_type;
            entry.currentUses = info.shi502_current_uses;
        } else {
            const SHARE_INFO_1& info = reinterpret_cast<const SHARE_INFO_1*>(buffer.get())[i];
            entry.name = TextOf(info.shi1_netname);
            entry.remark = TextOf(info.shi1_remark);
            entry.type = info.shi1_type;
            entry.detailed = false;
        }
        batch.entries.push_back(std::move(entry));
    }
}

}  // namespace

int CheckShareResource(ShareResourceNode** result, int* count) {
    *count = 0;
    ListBuilder<ShareResourceNode> built;
    DWORD resume = 0;
    ShareLevel resumeLevel = ShareLevel::Detailed;
    // Out of memory ends the enumeration with the shares listed so far.
    try {
        CollectShares(
            [&](ShareLevel level, ShareBatch& batch) {
                if (level != resumeLevel) {  // another level starts from the beginning
                    resumeLevel = level;
                    resume = 0;
                }
                FetchShareBatch(level, resume, batch);
            },
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
            constexpr std::size_t kNameField = std::extent_v<decltype(ShareResourceNode::szShareName)>;
            wchar_t name[kNameField];
            CopyBounded(U16(name), kNameField,
                        TextView(U16(node.szShareName), BoundedLength(U16(node.szShareName), kNameField)));
            return NetShareDel(nullptr, name, 0);
        },
        [&](ShareResourceNode& node) -> int { return host.Ask(node.szShareName); });
    // Code 0 whatever was removed: each node carries its own result (kept on
    // purpose for hosts).
    return 0;
}

int ReleaseShareResource(ShareResourceNode* list) { return ReleaseList(list); }

}  // namespace tallowick
