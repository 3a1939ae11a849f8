// Loader notifications: process attach and detach set up and tear down the
// message catalogue (its path; each lookup writes its caller's buffer);
// thread notifications are ignored. An unload
// by FreeLibrary also gives back what the C++ runtime keeps for the life of
// the process (its exception pool and thread-local storage), so that a host
// may load and unload the library any number of times.
#include "core/message_catalog.h"
#include "plugin/runtime_threads.h"
#include "core/win_util.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    try {
        switch (reason) {
            case DLL_PROCESS_ATTACH:
                tallowick::SetUpMessageCatalog(instance);
                break;
            case DLL_PROCESS_DETACH:
                tallowick::TearDownMessageCatalog();
                // At process exit (reserved non-null) the other threads are
                // gone already and the process's memory goes with it.
                if (!reserved) tallowick::ReleaseRuntimeAtUnload();
                break;
            default:
                break;
        }
    } catch (...) {
    }
    return TRUE;
}
