// The system DLLs the library loads on first use. Tallowick.dll imports only
// kernel32 and msvcrt at load time; every other system DLL is delay-loaded
// (CMakeLists.txt: TALLOWICK_DELAY_LOADED), so a host pays for it only when
// it calls a check that needs it. An export loads the DLLs of its check
// before the body runs: when one cannot be loaded the check gives its usual
// failure instead of reaching a delay-load stub that could not bind (which
// would end the process).
#pragma once

#include <initializer_list>

namespace tallowick {

enum class SystemDll { Advapi32, Iphlpapi, Netapi32, Ole32, Oleaut32, Psapi, Wininet, Ws2_32, Wtsapi32 };

// The DLL's file name ("netapi32.dll").
const wchar_t* SystemDllName(SystemDll dll);

// Loads each DLL unless this library loaded it already. False when one
// cannot be loaded. A DLL once loaded stays loaded for the rest of the
// process, as the delay-load stubs keep their own reference to it.
bool LoadSystemDlls(std::initializer_list<SystemDll> dlls) noexcept;

}  // namespace tallowick
