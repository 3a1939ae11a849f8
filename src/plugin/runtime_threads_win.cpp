// The POSIX-threads functions that the statically linked C++ runtime calls,
// served by Windows primitives, so that the runtime's own threading library
// (winpthreads) is never linked into the DLL.
//
// Why: winpthreads keeps a record for the loading thread (an event and a
// duplicate of the thread's handle) and frees none of it when the DLL is
// unloaded: every LoadLibrary/FreeLibrary cycle of a host left two handles
// behind. The runtime needs only a few functions of it: a lock for the
// exception allocation pool and for the emulated thread-local storage, a
// one-time initialisation, and one key of thread-local storage with a
// destructor (the per-thread exception state).
// Every definition here is found by the linker before the library's, so the
// library's objects are never pulled in.
//
// This file is linked into the DLL only; test programs and the host use the
// real library.
#include "plugin/runtime_threads.h"
#include "core/win_util.h"

#include <cstdint>

extern "C" {
typedef std::intptr_t pthread_mutex_t;
typedef unsigned pthread_mutexattr_t;
typedef long pthread_once_t;
typedef unsigned pthread_key_t;
}

namespace __gnu_cxx {
// The runtime's own release of its emergency exception pool (kept for memory
// checkers; it is what an unload needs too).
void __freeres() noexcept;
}

namespace {

// A mutex is an SRW lock kept in the pthread_mutex_t itself: both are one
// pointer wide, and an SRW lock's free state is 0. The static initializer of
// the runtime's mutexes is -1; the first lock turns it into 0.
constexpr std::intptr_t kStaticInitializer = -1;

PSRWLOCK AsSrwLock(pthread_mutex_t* mutex) {
    static_assert(sizeof(pthread_mutex_t) == sizeof(SRWLOCK), "an SRW lock fits a pthread mutex");
    InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(mutex), nullptr,
                                      reinterpret_cast<PVOID>(kStaticInitializer));
    return reinterpret_cast<PSRWLOCK>(mutex);
}

SRWLOCK g_onceLock = SRWLOCK_INIT;

// Keys of thread-local storage: fiber-local slots, whose callback runs the
// key's destructor when a thread ends and, at FlsFree, for every thread that
// still holds a value. The callback has the system's calling convention and
// receives no key, so each key has a callback of its own.
using KeyDestructor = void (*)(void*);
constexpr unsigned kMaxKeys = 4;

struct Key {
    DWORD index = FLS_OUT_OF_INDEXES;
    KeyDestructor destructor = nullptr;
};
Key g_keys[kMaxKeys];
SRWLOCK g_keysLock = SRWLOCK_INIT;

template <unsigned N>
void WINAPI RunDestructor(PVOID value) {
    KeyDestructor destructor = g_keys[N].destructor;
    if (value && destructor) destructor(value);
}

constexpr PFLS_CALLBACK_FUNCTION kCallbacks[kMaxKeys] = {RunDestructor<0>, RunDestructor<1>, RunDestructor<2>,
                                                         RunDestructor<3>};

}  // namespace

extern "C" {

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
    *mutex = 0;
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t*) { return 0; }

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    AcquireSRWLockExclusive(AsSrwLock(mutex));
    return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(mutex));
    return 0;
}

int pthread_once(pthread_once_t* once, void (*init)(void)) {
    if (InterlockedCompareExchange(once, 0, 0) != 0) return 0;
    AcquireSRWLockExclusive(&g_onceLock);
    if (*once == 0) {
        init();
        InterlockedExchange(once, 1);
    }
    ReleaseSRWLockExclusive(&g_onceLock);
    return 0;
}

int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
    AcquireSRWLockExclusive(&g_keysLock);
    int result = 11;  // EAGAIN: no key left
    for (unsigned n = 0; n < kMaxKeys; ++n) {
        if (g_keys[n].index != FLS_OUT_OF_INDEXES) continue;
        g_keys[n].destructor = destructor;
        const DWORD index = FlsAlloc(kCallbacks[n]);
        if (index == FLS_OUT_OF_INDEXES) break;
        g_keys[n].index = index;
        *key = n;
        result = 0;
        break;
    }
    ReleaseSRWLockExclusive(&g_keysLock);
    return result;
}

void* pthread_getspecific(pthread_key_t key) {
    return key < kMaxKeys && g_keys[key].index != FLS_OUT_OF_INDEXES ? FlsGetValue(g_keys[key].index) : nullptr;
}

int pthread_setspecific(pthread_key_t key, const void* value) {
    if (key >= kMaxKeys) return 22;  // EINVAL
    // A key given back at unload takes no more values: the runtime's static
    // destructors, which run after it, must not end the process for that.
    if (g_keys[key].index == FLS_OUT_OF_INDEXES) return 0;
    return FlsSetValue(g_keys[key].index, const_cast<void*>(value)) ? 0 : 22;
}

}  // extern "C"

namespace tallowick {

void ReleaseRuntimeAtUnload() {
    __gnu_cxx::__freeres();
    AcquireSRWLockExclusive(&g_keysLock);
    for (Key& key : g_keys) {
        if (key.index == FLS_OUT_OF_INDEXES) continue;
        // Runs the destructor for every thread that still holds a value.
        FlsFree(key.index);
        key.index = FLS_OUT_OF_INDEXES;
        key.destructor = nullptr;
    }
    ReleaseSRWLockExclusive(&g_keysLock);
}

}  // namespace tallowick
