#include "network/shares.h"

namespace tallowick {

ShareRow MakeShareRow(const ShareEntry& entry) {
    ShareRow row;
    row.name = BoundedText(entry.name, kShareTextBound);
    row.path = BoundedText(entry.path, kShareTextBound);
    row.kind = BoundedText(kShareKindText, kShareTextBound);
    // "%d": the platform's unsigned count read as a signed 32-bit value, kept
    // on purpose for hosts. The names level knows no count: the text stays empty.
    if (entry.detailed) row.connections = FormatInt(static_cast<std::int32_t>(entry.currentUses));
    row.remark = BoundedText(entry.remark, kShareTextBound);
    return row;
}

}  // namespace tallowick
