#include "plugin/system_dlls.h"

#include <windows.h>

#include <atomic>
#include <iterator>

namespace tallowick {
namespace {

constexpr const wchar_t* kNames[] = {L"advapi32.dll", L"iphlpapi.dll", L"netapi32.dll",
                                     L"ole32.dll",    L"oleaut32.dll", L"psapi.dll",
                                     L"wininet.dll",  L"ws2_32.dll",   L"wtsapi32.dll"};
static_assert(std::size(kNames) == static_cast<std::size_t>(SystemDll::Wtsapi32) + 1, "a name per DLL");

// The module of each DLL once this library has loaded it (one reference,
// kept for the life of the process).
std::atomic<HMODULE> g_loaded[std::size(kNames)];

}  // namespace

const wchar_t* SystemDllName(SystemDll dll) { return kNames[static_cast<std::size_t>(dll)]; }

bool LoadSystemDlls(std::initializer_list<SystemDll> dlls) noexcept {
    for (SystemDll dll : dlls) {
        std::atomic<HMODULE>& slot = g_loaded[static_cast<std::size_t>(dll)];
        if (slot.load(std::memory_order_acquire)) continue;
        // The search a load-time import would make (the host's folder first),
        // so that the DLL found is the one the delay-load stub finds next.
        HMODULE module = LoadLibraryW(SystemDllName(dll));
        if (!module) return false;
        HMODULE expected = nullptr;
        if (!slot.compare_exchange_strong(expected, module, std::memory_order_acq_rel)) FreeLibrary(module);
    }
    return true;
}

}  // namespace tallowick
