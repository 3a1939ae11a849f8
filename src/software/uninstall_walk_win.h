// The walk over the entries of an open uninstall key that both program lists
// share.
#pragma once

#include "core/win_util.h"

namespace tallowick {

// Enumeration errors in a row after which the walk gives up: an error that
// repeats at every index (the key deleted under the walk) would never end it.
constexpr int kMaxEnumFailuresInARow = 16;

// Calls visit(name, length) for each subkey of `root` in the system's order.
// A name too long for `Units` units skips its entry; anything else repeating
// at kMaxEnumFailuresInARow indexes in a row ends the walk.
template <DWORD Units, class Visit>
void ForEachUninstallEntry(HKEY root, Visit&& visit) {
    int failuresInARow = 0;
    for (DWORD index = 0;; ++index) {
        wchar_t name[Units] = {};
        DWORD length = Units;
        LONG rc = RegEnumKeyExW(root, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return;
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_MORE_DATA && ++failuresInARow >= kMaxEnumFailuresInARow) return;
            continue;
        }
        failuresInARow = 0;
        visit(name, length);
    }
}

}  // namespace tallowick
