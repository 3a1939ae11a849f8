// Loader notifications: process attach and detach set up and tear down the
// message catalogue; thread notifications are ignored so the catalogue's
// buffer lives as long as the library is attached to the process.
#include "plugin/message_catalog.h"
#include "plugin/win_util.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    try {
        switch (reason) {
            case DLL_PROCESS_ATTACH:
                tallowick::SetUpMessageCatalog(instance);
                break;
            case DLL_PROCESS_DETACH:
                tallowick::TearDownMessageCatalog();
                break;
            default:
                break;
        }
    } catch (...) {
    }
    return TRUE;
}
