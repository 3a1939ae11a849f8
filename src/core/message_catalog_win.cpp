#include "core/message_catalog.h"

#include <new>

#include "core/win_util.h"

namespace tallowick {
namespace {

// Library-wide catalogue state. The section name is the constant
// kCatalogSection; the path and buffer are set up at process attach.
wchar_t g_catalogPath[kCatalogPathUnits + 1];
wchar_t* g_returnBuffer = nullptr;
int g_initCount = 0;

}  // namespace

void SetUpMessageCatalog(void* module) {
    if (g_initCount > 0) return;
    wchar_t modulePath[kCatalogPathUnits + 1] = {};
    DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), modulePath, kCatalogPathUnits);
    // A path cut at the buffer's end is not the library's path: no catalogue then.
    Text path;
    if (n > 0 && n < kCatalogPathUnits) path = BuildCatalogPath(TextView(U16(modulePath), n));
    CopyField(g_catalogPath, path);
    ++g_initCount;
    delete[] g_returnBuffer;
    g_returnBuffer = new (std::nothrow) wchar_t[kMessageUnits]();
}

void TearDownMessageCatalog() {
    --g_initCount;
    if (g_initCount <= 0) {
        delete[] g_returnBuffer;
        g_returnBuffer = nullptr;
    }
}

const char16_t* GetMessageText(const char16_t* id) {
    if (!id) id = u"";
    wchar_t local[kMessageUnits] = {};
    if (g_catalogPath[0] != 0) {
        GetPrivateProfileStringW(W(kCatalogSection), W(id), W(id), local, kMessageUnits, g_catalogPath);
    } else {
        // No usable catalogue path: every id is its own text.
        CopyField(local, ViewOf(W(id)));
    }
    if (!g_returnBuffer) return nullptr;
    CopyBounded(U16(g_returnBuffer), kMessageUnits, ViewOf(local));
    return U16(g_returnBuffer);
}

}  // namespace tallowick
