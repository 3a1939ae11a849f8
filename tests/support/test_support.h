// Support for the Wine integration tests: loading the library as a host does,
// registry state that a test creates and removes, the loopback proxy, and
// scratch folders.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tallowick.h"

namespace tw {

// Folder of the built Tallowick.dll (with common\config\Resource.ini).
std::wstring BinDir();
// Folder of the test programs (and the stand-ins built for them).
std::wstring TestsDir();
// Directory of the running program, with a trailing backslash.
std::wstring ProgramDir();

// The library loaded with LoadLibraryW, its exports found with GetProcAddress.
class Library {
public:
    explicit Library(const std::wstring& dllPath = BinDir() + L"\\Tallowick.dll");
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool loaded() const { return module_ != nullptr; }
    HMODULE module() const { return module_; }
    FARPROC raw(const char* name) const;
    template <typename F>
    F get(const char* name) const { return reinterpret_cast<F>(reinterpret_cast<void*>(raw(name))); }

    decltype(&Check_HDD) Check_HDD_;
    decltype(&Check_HardwareConfig) Check_HardwareConfig_;
    decltype(&Check_InstalledApps) Check_InstalledApps_;
    decltype(&Check_NetConfig) Check_NetConfig_;
    decltype(&Check_NetInfo) Check_NetInfo_;
    decltype(&Check_Network) Check_Network_;
    decltype(&Check_Process) Check_Process_;
    decltype(&Check_ShareResource) Check_ShareResource_;
    decltype(&Check_SysInfo) Check_SysInfo_;
    decltype(&Release_HDD) Release_HDD_;
    decltype(&Release_HardwareConfig) Release_HardwareConfig_;
    decltype(&Release_InstalledApps) Release_InstalledApps_;
    decltype(&Release_NetConfig) Release_NetConfig_;
    decltype(&Release_NetInfo) Release_NetInfo_;
    decltype(&Release_Network) Release_Network_;
    decltype(&Release_Process) Release_Process_;
    decltype(&Release_ShareResource) Release_ShareResource_;
    decltype(&Release_SysInfo) Release_SysInfo_;
    decltype(&Repair_ShareResource) Repair_ShareResource_;

private:
    HMODULE module_ = nullptr;
};

// A registry key the test creates (with its parents as needed) and deletes,
// tree and all, when it goes out of scope.
class ScopedRegKey {
public:
    ScopedRegKey(HKEY root, const std::wstring& path);
    ~ScopedRegKey();
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    HKEY key() const { return key_; }
    bool ok() const { return key_ != nullptr; }
    LONG setString(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ);
    LONG setBytes(const std::wstring& name, DWORD type, const void* data, DWORD size);
    LONG setDword(const std::wstring& name, DWORD value);

private:
    HKEY root_;
    std::wstring path_;
    HKEY key_ = nullptr;
};

// Saves a registry value, lets the test change it, and restores it (or
// deletes it when it did not exist) at the end of the scope.
class SavedRegValue {
public:
    SavedRegValue(HKEY root, const std::wstring& keyPath, const std::wstring& name);
    ~SavedRegValue();
    SavedRegValue(const SavedRegValue&) = delete;
    SavedRegValue& operator=(const SavedRegValue&) = delete;
    LONG setString(const std::wstring& value, DWORD type = REG_SZ);
    LONG setDword(DWORD value);
    LONG remove();

private:
    HKEY root_;
    std::wstring keyPath_, name_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// Points the system's Internet proxy (HKCU Internet Settings) at
// 127.0.0.1:port for the scope, then restores the previous settings.
class ScopedProxy {
public:
    explicit ScopedProxy(int port);
    ~ScopedProxy() = default;

private:
    SavedRegValue enable_, server_, override_;
};

// A minimal HTTP server on 127.0.0.1 (ephemeral port) that answers every
// request with `status` and counts the requests it has seen.
class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(int status = 404);
    ~LoopbackHttpServer();
    int port() const { return port_; }
    int requests() const { return requests_.load(); }
    std::string lastRequestLine() const;

private:
    void run();
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    int status_;
    std::atomic<int> requests_{0};
    std::atomic<bool> stop_{false};
    mutable std::string lastLine_;
    mutable std::atomic<bool> lineLock_{false};
    std::thread thread_;
};

// A loopback port with nothing listening on it.
int ClosedLoopbackPort();

// A fresh folder under the prefix's temp folder, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool MakeDirs(const std::wstring& path);
// The UTF-16LE bytes of `text`, with a BOM first.
std::string Utf16Bom(const std::wstring& text);

std::wstring FromUtf8(const std::string& s);
std::string ToUtf8(const std::wstring& s);

}  // namespace tw
