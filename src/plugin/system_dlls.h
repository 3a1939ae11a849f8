// The system DLLs the library loads on first use. Tallowick.dll imports only
// kernel32 and msvcrt at load time; every other system DLL is delay-loaded
// (CMakeLists.txt: TALLOWICK_DELAY_LOADED), so a host pays for it only when
// it calls a check that needs it. An export loads the DLLs of its check
// and binds every function the library takes from them before the body
// runs: when one cannot be loaded (or lacks a function) the check gives its
// usual failure instead of reaching a delay-load stub that could not bind
// (which would end the process). Binding them all up front is also what the
// 32-bit build needs: there the linker leaves the slots of functions declared
// dllimport without the address of their stub, so a check must never call a
// function of a DLL that is not in its list.
#pragma once

#include <initializer_list>

namespace tallowick {

enum class SystemDll { Advapi32, Iphlpapi, Netapi32, Ole32, Oleaut32, Psapi, Wininet, Ws2_32, Wtsapi32 };

// The DLL's file name ("netapi32.dll").
const wchar_t* SystemDllName(SystemDll dll);

// Loads each DLL and binds its functions unless this library did already.
// False when one cannot be loaded or lacks a function. A DLL once loaded
// stays loaded for the rest of the process.
bool LoadSystemDlls(std::initializer_list<SystemDll> dlls) noexcept;

}  // namespace tallowick
