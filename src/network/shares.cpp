#include "network/shares.h"

namespace tallowick {

namespace {

Text Bounded(TextView text) {
    char16_t field[kShareTextBound];
    std::size_t n = CopyBounded(field, kShareTextBound, text);
    return Text(field, n);
}

}  // namespace

ShareRow MakeShareRow(const ShareEntry& entry) {
    ShareRow row;
    row.name = Bounded(entry.name);
    row.path = Bounded(entry.path);
    row.kind = Bounded(kShareKindText);
    // "%d": the platform's unsigned count read as a signed 32-bit value.
    row.connections = FormatInt(static_cast<std::int32_t>(entry.currentUses));
    row.remark = Bounded(entry.remark);
    return row;
}

}  // namespace tallowick
