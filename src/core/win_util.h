// Windows-side helpers: wchar_t <-> char16_t views, bounded copies into the
// wchar_t fields of public records, and RAII owners for platform resources.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>
#include <utility>

#include "core/text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

namespace tallowick {

inline const char16_t* U16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline char16_t* U16(wchar_t* s) { return reinterpret_cast<char16_t*>(s); }
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline TextView ViewOf(const wchar_t* s) {
    return s ? TextView(U16(s), BoundedLength(U16(s), static_cast<std::size_t>(-1) / 4)) : TextView();
}

// Bounded copy into a wchar_t field of a public record.
template <std::size_t N>
std::size_t CopyField(wchar_t (&dst)[N], TextView src, std::size_t bound = N) {
    return CopyBounded(U16(dst), bound < N ? bound : N, src);
}
template <std::size_t N>
std::size_t CopyField(wchar_t (&dst)[N], const wchar_t* src, std::size_t bound = N) {
    return CopyField(dst, ViewOf(src), bound);
}

// A kernel32 function looked up at run time (null when this Windows lacks
// it), so that the library still loads on systems older than the function.
template <typename F>
F Kernel32Function(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// Whether this process is a 32-bit one on 64-bit Windows (WOW64). False for
// the x64 build, on 32-bit Windows, and where IsWow64Process is missing.
bool RunsUnderWow64();

// Text in the system's ANSI code page to UTF-16; `limit` bounds the bytes read.
Text FromAnsi(const char* text, std::size_t limit);
// UTF-16 to the system's ANSI code page.
std::string ToAnsi(TextView text);

// Generic owner of a handle-like value with a release function.
template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& o) noexcept : value_(o.release()) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    T get() const { return value_; }
    T* put() { reset(); return &value_; }
    explicit operator bool() const { return Traits::Valid(value_); }
    T release() { T v = value_; value_ = Traits::Invalid(); return v; }
    void reset(T v = Traits::Invalid()) {
        if (Traits::Valid(value_)) Traits::Close(value_);
        value_ = v;
    }

private:
    T value_ = Traits::Invalid();
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY k) { return k != nullptr; }
    static void Close(HKEY k) { RegCloseKey(k); }
};
using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;

struct HandleTraits {  // process, thread and token handles; null is "none"
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;

struct FindHandleTraits {  // CreateFile and CreateToolhelp32Snapshot style
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueFileHandle = UniqueResource<HANDLE, FindHandleTraits>;

struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool Valid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;

// Owner of a COM interface pointer.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    I** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() { if (p_) { p_->Release(); p_ = nullptr; } }
    // Drops a pointer without releasing it: for an out-parameter of a call
    // that failed, which owns nothing whatever it left there.
    void forget() { p_ = nullptr; }

private:
    I* p_ = nullptr;
};

// Runs a callable at scope exit (for platform buffers with their own free call).
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { if (armed_) f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};
template <typename F>
ScopeExit<F> OnScopeExit(F f) { return ScopeExit<F>(std::move(f)); }

}  // namespace tallowick
