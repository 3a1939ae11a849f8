// Shared folders: which shares the list keeps, what the nodes say, the
// enumeration loop over the platform's batches, and the removal walk. The
// platform calls are handed in, so the logic runs the same everywhere.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace tallowick {

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
};

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
    Text connections;  // "%d" of the current uses
    Text remark;
};

ShareRow MakeShareRow(const ShareEntry& entry);

// Runs the enumeration: `fetch(batch)` fills one batch and carries on from
// where the previous one ended; `keep(entry)` receives every listed share in
// the platform's order. Ends after a batch whose status is not 234, without
// looking at the entries of a failed batch, and also after a 234 batch that
// read nothing (it would otherwise ask forever).
template <typename Fetch, typename Keep>
void CollectShares(Fetch&& fetch, Keep&& keep) {
    for (;;) {
        ShareBatch batch;
        fetch(batch);
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
