/* The yardstick of bench_load: a small DLL that imports kernel32 alone (no C
 * runtime, its own entry point). */
#include <windows.h>

BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

__declspec(dllexport) DWORD Kernel32OnlyTicks(void) { return GetTickCount(); }
