#include "core/message_catalog.h"

#include <atomic>

#include "core/win_util.h"

namespace tallowick {
namespace {

// Library-wide catalogue state, written at process attach and detach only.
// The section name is the constant kCatalogSection.
wchar_t g_catalogPath[kCatalogPathUnits + 1];
std::atomic<bool> g_catalogSetUp{false};

}  // namespace

void SetUpMessageCatalog(void* module) {
    wchar_t modulePath[kCatalogPathUnits + 1] = {};
    DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), modulePath, kCatalogPathUnits);
    // A path cut at the buffer's end is not the library's path: no catalogue then.
    Text path;
    if (n > 0 && n < kCatalogPathUnits) path = BuildCatalogPath(TextView(U16(modulePath), n));
    CopyField(g_catalogPath, path);
    g_catalogSetUp = true;
}

void TearDownMessageCatalog() { g_catalogSetUp = false; }

const char16_t* GetMessageText(const char16_t* id, MessageBuffer& buffer) {
    if (!g_catalogSetUp) return nullptr;
    if (!id) id = u"";
    if (g_catalogPath[0] != 0) {
        GetPrivateProfileStringW(W(kCatalogSection), W(id), W(id), W(buffer), kMessageUnits, g_catalogPath);
        buffer[kMessageUnits - 1] = u'\0';
    } else {
        // No usable catalogue path: every id is its own text.
        CopyBounded(buffer, kMessageUnits, ViewOf(W(id)));
    }
    return buffer;
}

}  // namespace tallowick
