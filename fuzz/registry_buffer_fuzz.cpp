// Texts taken from fixed buffers the platform filled: registry reads of the
// installed-programs list, fixed byte fields of the adapter records, and the
// rows of the adapter and share lists built from them.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/registry_reader.h"
#include "network/netconfig.h"
#include "network/shares.h"
#include "software/installed_apps.h"

using namespace tallowick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // First two bytes: how many bytes the platform said it wrote (may lie).
    const std::size_t bytesRead = data[0] | (data[1] << 8);
    const std::uint8_t* rest = data + 2;
    const std::size_t restSize = size - 2;
    std::vector<char16_t> buffer(kAppTextUnits, u'#');
    std::memcpy(buffer.data(), rest, restSize < kAppTextBytes ? restSize & ~std::size_t(1) : kAppTextBytes);
    Text text = RegistryBufferText(buffer.data(), buffer.size(), bytesRead);
    if (text.size() > kAppTextUnits || text.size() > bytesRead / 2 + 1) __builtin_trap();
    if (text.find(u'\0') != Text::npos) __builtin_trap();
    (void)IsExcludedProductCode(text);
    ListedApps listed;
    if (!listed.Add(text, text) || listed.Add(text, text) || !listed.Contains(text, text)) __builtin_trap();

    // A fixed byte field without a terminator.
    std::vector<char> field(rest, rest + restSize);
    std::size_t length = BoundedLength(field.data(), field.size());
    if (length > field.size()) __builtin_trap();

    AdapterFacts adapter;
    adapter.description = text;
    adapter.type = bytesRead;
    adapter.ipAddress = text + text;
    adapter.ipMask = text;
    NetConfigRow row = MakeNetConfigRow(adapter);
    for (const Text* t : {&row.description, &row.type, &row.ipAddress, &row.subnetMask})
        if (t->size() >= kNetConfigTextBound) __builtin_trap();

    ShareEntry share;
    share.name = text + text + text;
    share.path = text;
    share.remark = text;
    share.currentUses = static_cast<std::uint32_t>(bytesRead * 65537u);
    ShareRow srow = MakeShareRow(share);
    for (const Text* t : {&srow.name, &srow.path, &srow.kind, &srow.connections, &srow.remark})
        if (t->size() >= kShareTextBound) __builtin_trap();
    return 0;
}
