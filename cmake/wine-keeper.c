/* wine-keeper.exe: keeps a Wine prefix warm for the report.
 *
 * When no program of a prefix has run for a while, Wine lets its desktop and
 * service processes end, and the next program's first COM or WMI call waits
 * about ten seconds for them to start again (the hardware check, cold). A
 * program that stays keeps them up: this one initialises COM once, holds the
 * desktop with a hidden window where Wine has a display driver to make one,
 * and waits until the prefix's server stops (which ends it). One keeper per
 * prefix: a second one ends at once.
 * The front door starts it beside the prefix's persistent server. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    HANDLE once;
    HWND window;
    MSG message;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    once = CreateMutexW(NULL, FALSE, L"Local\\TallowickWineKeeper");
    if (!once || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    if (FAILED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED))) return 1;
    window = CreateWindowExW(0, L"STATIC", L"Tallowick prefix keeper", WS_POPUP, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    if (window) {
        while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
    } else {
        /* No display driver (no X server): staying is what counts. */
        Sleep(INFINITE);
    }
    CoUninitialize();
    return 0;
}
