// Owners of the buffers and states that platform calls hand out with a free
// call of their own: network-management buffers, terminal-services memory,
// variants and the thread's COM initialisation. Each frees exactly what it
// holds, once.
#pragma once

#include "core/win_util.h"  // windows.h first

#include <lm.h>
#include <oleauto.h>
#include <objbase.h>
#include <wtsapi32.h>

namespace tallowick {

// A buffer that a NetXxx call allocated (NetApiBufferFree).
struct NetApiBufferTraits {
    static BYTE* Invalid() { return nullptr; }
    static bool Valid(BYTE* p) { return p != nullptr; }
    static void Close(BYTE* p) { NetApiBufferFree(p); }
};
using UniqueNetApiBuffer = UniqueResource<BYTE*, NetApiBufferTraits>;

// Memory that a terminal-services call allocated (WTSFreeMemory).
template <typename T>
struct WtsMemoryTraits {
    static T* Invalid() { return nullptr; }
    static bool Valid(T* p) { return p != nullptr; }
    static void Close(T* p) { WTSFreeMemory(p); }
};
template <typename T>
using UniqueWtsMemory = UniqueResource<T*, WtsMemoryTraits<T>>;

// A variant initialised on construction and cleared on destruction.
class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&value_); }
    ~UniqueVariant() { VariantClear(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }

private:
    VARIANT value_;
};

// The calling thread's COM initialisation, balanced on destruction when it
// succeeded (S_OK or S_FALSE); a failed one (another apartment already
// chosen) is not balanced.
class ComInitialization {
public:
    explicit ComInitialization(DWORD model = COINIT_MULTITHREADED)
        : initialized_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
    ~ComInitialization() {
        if (initialized_) CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    bool initialized() const { return initialized_; }

private:
    bool initialized_;
};

}  // namespace tallowick
