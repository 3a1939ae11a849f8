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
// process detach. The catalogue path is written at set-up only; lookups read
// it and write nothing shared.
void SetUpMessageCatalog(void* module);
void TearDownMessageCatalog();

// Room for one catalogue text, terminator included. Each lookup writes only
// the buffer its caller gives, so lookups may run on any number of threads
// at once.
using MessageBuffer = char16_t[kMessageUnits];

// Writes the text of `id` (the id itself when the catalogue has none) into
// `buffer` and returns `buffer`; returns null, with `buffer` untouched,
// before set-up and after teardown.
const char16_t* GetMessageText(const char16_t* id, MessageBuffer& buffer);

}  // namespace tallowick
