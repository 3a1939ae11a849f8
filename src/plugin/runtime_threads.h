// What the statically linked C++ runtime holds inside the DLL, given back
// when the DLL is unloaded (runtime_threads_win.cpp).
#pragma once

namespace tallowick {

// Frees what the runtime keeps for the life of the process and would
// otherwise leave behind at every unload: its emergency exception pool (the
// arena it allocates at load, 19 KB on x86 and 73 KB on x64) and its keys of
// thread-local storage, running their destructors for every thread that
// still holds a value. Called when the DLL is unloaded by FreeLibrary (not at
// process exit, when the other threads are already gone).
void ReleaseRuntimeAtUnload();

}  // namespace tallowick
