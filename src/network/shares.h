// Shared folders: which shares the list keeps, what the nodes say, the
// enumeration loop over the platform's batches, and the removal walk. The
// platform calls are handed in, so the logic runs the same everywhere.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace tallowick {

constexpr std::uint32_t kAccessDenied = 5;         // ERROR_ACCESS_DENIED
constexpr std::uint32_t kMoreData = 234;           // ERROR_MORE_DATA: another batch follows
constexpr std::uint32_t kNetNameNotFound = 2310;   // NERR_NetNameNotFound
constexpr std::size_t kShareTextBound = 260;

// The kind text every listed share carries.
constexpr const char16_t* kShareKindText = u"Windows";

// Only plain disk folders are listed: type value exactly 0 (no special,
// temporary, printer, device or inter-process share).
inline bool IsListedShare(std::uint32_t type) { return type == 0; }

// Removal result of a node from the platform's status: gone (0 or 2310) is 0,
// anything else is the status itself.
inline std::int32_t ShareRemovalResult(std::uint32_t status) {
    return status == kNetNameNotFound ? 0 : static_cast<std::int32_t>(status);
}

// One entry of the platform's share list.
struct ShareEntry {
    Text name;
    Text path;
    Text remark;
    std::uint32_t type = 0;
    std::uint32_t currentUses = 0;
    bool detailed = true;  // read at the detailed level: path and current uses known
};

// The level of detail the platform is asked for. The detailed level (502:
// path and connection count as well) is open only to administrators and
// server operators; the names level (1: name, type, remark) to everyone.
enum class ShareLevel : std::uint32_t { Detailed = 502, Names = 1 };

// One batch: the platform's status and the entries it read.
struct ShareBatch {
    std::uint32_t status = 0;
    std::vector<ShareEntry> entries;
};

// The texts of one node, each cut to fit its field.
struct ShareRow {
    Text name;
    Text path;
    Text kind;
    Text connections;  // "%d" of the current uses; empty when not known
    Text remark;
};

ShareRow MakeShareRow(const ShareEntry& entry);

// Runs the enumeration: `fetch(level, batch)` fills one batch at `level` and
// carries on from where the previous batch of the same level ended (a new
// level starts from the beginning); `keep(entry)` receives every listed share
// in the platform's order. The detailed level comes first; when its first
// call is refused (access denied: a caller without administrator rights), the
// whole list is read once more at the names level, whose entries carry no
// path and no connection count. Ends after a batch whose status is not 234,
// without looking at the entries of a failed batch, and also after a 234
// batch that read nothing (it would otherwise ask forever). A refusal after
// the first batch ends the list like any other failure.
template <typename Fetch, typename Keep>
void CollectShares(Fetch&& fetch, Keep&& keep) {
    ShareLevel level = ShareLevel::Detailed;
    bool first = true;
    for (;;) {
        ShareBatch batch;
        fetch(level, batch);
        if (first && level == ShareLevel::Detailed && batch.status == kAccessDenied) {
            level = ShareLevel::Names;
            continue;
        }
        first = false;
        if (batch.status != 0 && batch.status != kMoreData) return;
        for (const ShareEntry& entry : batch.entries) {
            if (IsListedShare(entry.type)) keep(entry);
        }
        if (batch.status != kMoreData || batch.entries.empty()) return;
    }
}

// The removal walk over a list of nodes with nSelected, nRemoveResult and
// pNext. Unselected nodes are passed over untouched; for each selected node
// `remove(node)` gives the platform's status, the node's removal result is
// written, and `notify(node)` is asked whether to stop (non-zero stops).
template <typename Node, typename Remove, typename Notify>
void RemoveSelectedShares(Node* list, Remove&& remove, Notify&& notify) {
    for (Node* node = list; node; node = node->pNext) {
        if (node->nSelected == 0) continue;
        node->nRemoveResult = ShareRemovalResult(remove(*node));
        if (notify(*node) != 0) return;
    }
}

}  // namespace tallowick
