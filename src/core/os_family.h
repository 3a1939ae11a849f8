// OS family: the running Windows version sorted into a family code that the
// checks compare with fixed numbers.
#pragma once

#include <cstdint>

namespace tallowick {

enum OsFamily : std::int32_t {
    OsUnknown = -1,
    OsWin9x = 1,
    OsWinMe = 2,
    OsNt4Workstation = 3,
    OsNtServer = 4,
    OsNtWorkstation = 5,
    OsWin2000Server = 6,
    OsWinXp = 7,
    OsServer2003 = 8,
    OsVista = 9,
};

// Asks the system every time; keeps no state.
std::int32_t GetOsFamily();

}  // namespace tallowick
