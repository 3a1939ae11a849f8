#include "plugin/system_dlls.h"

#include <windows.h>
#include <delayimp.h>

#include <atomic>
#include <iterator>

extern "C" IMAGE_DOS_HEADER __ImageBase;

// The delay-import descriptor of each DLL, as dlltool names it after the
// delay-import library (cmake/TallowickDelayLoad.cmake: lib<dll>_delay.a).
#define TALLOWICK_DELAY_DESCRIPTOR(dll) \
    extern "C" const ImgDelayDescr dll##_imports __asm__("__DELAY_IMPORT_DESCRIPTOR_lib" #dll "_delay_a");
TALLOWICK_DELAY_DESCRIPTOR(advapi32)
TALLOWICK_DELAY_DESCRIPTOR(iphlpapi)
TALLOWICK_DELAY_DESCRIPTOR(netapi32)
TALLOWICK_DELAY_DESCRIPTOR(ole32)
TALLOWICK_DELAY_DESCRIPTOR(oleaut32)
TALLOWICK_DELAY_DESCRIPTOR(psapi)
TALLOWICK_DELAY_DESCRIPTOR(wininet)
TALLOWICK_DELAY_DESCRIPTOR(ws2_32)
TALLOWICK_DELAY_DESCRIPTOR(wtsapi32)
#undef TALLOWICK_DELAY_DESCRIPTOR

namespace tallowick {
namespace {

constexpr const wchar_t* kNames[] = {L"advapi32.dll", L"iphlpapi.dll", L"netapi32.dll",
                                     L"ole32.dll",    L"oleaut32.dll", L"psapi.dll",
                                     L"wininet.dll",  L"ws2_32.dll",   L"wtsapi32.dll"};
static_assert(std::size(kNames) == static_cast<std::size_t>(SystemDll::Wtsapi32) + 1, "a name per DLL");
const ImgDelayDescr* const kImports[] = {&advapi32_imports, &iphlpapi_imports, &netapi32_imports,
                                         &ole32_imports,    &oleaut32_imports, &psapi_imports,
                                         &wininet_imports,  &ws2_32_imports,   &wtsapi32_imports};
static_assert(std::size(kImports) == std::size(kNames), "a descriptor per DLL");

// The module of each DLL once this library has loaded it (one reference,
// kept for the life of the process), and whether its functions are bound.
std::atomic<HMODULE> g_loaded[std::size(kNames)];
std::atomic<bool> g_bound[std::size(kNames)];

BYTE* AtRva(DWORD rva) { return reinterpret_cast<BYTE*>(&__ImageBase) + rva; }

// Writes every function the library takes from the DLL into its slot, so
// that no call goes through a delay-load stub (which ends the process where
// it cannot bind; and the 32-bit linker leaves the slots of functions
// declared dllimport without their stub's address). False when the DLL
// lacks one of them. Binding twice writes the same values.
bool BindAll(const ImgDelayDescr& imports, HMODULE module) {
    auto* slots = reinterpret_cast<FARPROC*>(AtRva(imports.rvaIAT));
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(AtRva(imports.rvaINT));
    for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
        LPCSTR proc = IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)
                          ? reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(IMAGE_ORDINAL(names[i].u1.Ordinal)))
                          : reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
                                AtRva(static_cast<DWORD>(names[i].u1.AddressOfData)))->Name;
        FARPROC function = GetProcAddress(module, proc);
        if (!function) return false;
        InterlockedExchangePointer(reinterpret_cast<PVOID*>(&slots[i]), reinterpret_cast<PVOID>(function));
    }
    // The stubs' own record of the module, so that none loads it again.
    InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(AtRva(imports.rvaHmod)), module, nullptr);
    return true;
}

}  // namespace

const wchar_t* SystemDllName(SystemDll dll) { return kNames[static_cast<std::size_t>(dll)]; }

bool LoadSystemDlls(std::initializer_list<SystemDll> dlls) noexcept {
    for (SystemDll dll : dlls) {
        std::size_t at = static_cast<std::size_t>(dll);
        if (g_bound[at].load(std::memory_order_acquire)) continue;
        std::atomic<HMODULE>& slot = g_loaded[at];
        HMODULE module = slot.load(std::memory_order_acquire);
        if (!module) {
            // The search a load-time import would make (the host's folder
            // first), as the delay-load stubs would make it.
            HMODULE loaded = LoadLibraryW(SystemDllName(dll));
            if (!loaded) return false;
            HMODULE expected = nullptr;
            if (slot.compare_exchange_strong(expected, loaded, std::memory_order_acq_rel)) {
                module = loaded;
            } else {
                FreeLibrary(loaded);
                module = expected;
            }
        }
        if (!BindAll(*kImports[at], module)) return false;
        g_bound[at].store(true, std::memory_order_release);
    }
    return true;
}

}  // namespace tallowick

