// The message catalogue: texts that the checks hand to the host, looked up by
// message id in "common\config\Resource.ini" beside the library.
#pragma once

#include "core/text.h"

namespace tallowick {

constexpr std::size_t kCatalogPathUnits = 260;
constexpr std::size_t kMessageUnits = 1024;
constexpr char16_t kCatalogSection[] = u"Tallowick";
constexpr char16_t kCatalogRelativePath[] = u"common\\config\\Resource.ini";

// The catalogue path for a library at `modulePath`: its directory (through the
// last backslash) followed by the relative path. Empty when the result would
// not fit the 260-unit path buffer with its terminator, or when the module
// path has no backslash.
Text BuildCatalogPath(TextView modulePath);

// Windows side.
// Set-up at process attach (module is the library's HMODULE) and teardown at
// process detach. Thread notifications do not reach these: the return buffer
// lives from process attach to process detach.
void SetUpMessageCatalog(void* module);
void TearDownMessageCatalog();

// The text of `id`, or the id itself when the catalogue has none. Points to
// the one shared return buffer (valid until the next lookup), or null before
// set-up and after teardown.
const char16_t* GetMessageText(const char16_t* id);

}  // namespace tallowick
