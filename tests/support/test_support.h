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

#include "tallowick_loader.h"
#include "tallowick.h"

namespace tw {

// Folder of the built Tallowick.dll (with common\config\Resource.ini).
std::wstring BinDir();
// Folder of the test programs (and the stand-ins built for them).
std::wstring TestsDir();
// Directory of the running program, with a trailing backslash.
std::wstring ProgramDir();

// The library loaded with LoadLibraryW, its exports found by the package's
// loader (tallowick_loader.h). A library that lacks an export stays loaded,
// with every name_ null, so that a test can still look at what it has.
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

    // Each export as name_ (null when the library lacks it).
#define TW_EXPORT_MEMBER(name) PFN_##name name##_ = nullptr;
    TALLOWICK_FOR_EACH_EXPORT(TW_EXPORT_MEMBER)
#undef TW_EXPORT_MEMBER

private:
    HMODULE module_ = nullptr;
};

// A registry key the test creates (with its parents as needed) and deletes,
// tree and all, when it goes out of scope. `view` picks a registry view on
// 64-bit Windows (KEY_WOW64_64KEY or KEY_WOW64_32KEY; 0: the program's own).
class ScopedRegKey {
public:
    ScopedRegKey(HKEY root, const std::wstring& path, REGSAM view = 0);
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
    REGSAM view_;
    HKEY key_ = nullptr;
};

// Where the system's own programs lie, as the library finds its
// defragmenter there: the system folder, or under WoW64 the 64-bit one
// through "Sysnative" (a 32-bit program's system32 is redirected to the
// 32-bit folder). Stand-ins of system programs go here.
std::wstring NativeSystemDir();

// The registry view that is not this program's own on 64-bit Windows: the
// 32-bit view for a 64-bit program, the 64-bit view for a 32-bit program
// under WOW64; 0 on 32-bit Windows, which has one view.
REGSAM OtherRegistryView();

// Saves a registry value, lets the test change it, and restores it (or
// deletes it when it did not exist) at the end of the scope.
class SavedRegValue {
public:
    // `view`: KEY_WOW64_64KEY or KEY_WOW64_32KEY to pick a registry view, 0
    // for the program's own.
    SavedRegValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, REGSAM view = 0);
    ~SavedRegValue();
    SavedRegValue(const SavedRegValue&) = delete;
    SavedRegValue& operator=(const SavedRegValue&) = delete;
    LONG setString(const std::wstring& value, DWORD type = REG_SZ);
    LONG setDword(DWORD value);
    LONG remove();
    const std::wstring& name() const { return name_; }

private:
    HKEY root_;
    std::wstring keyPath_, name_;
    REGSAM view_ = 0;
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

// Starts `program` with `arguments` (the command line is the quoted program
// path, a blank and the arguments) in `workDir` (empty: this program's
// current folder) and waits up to `timeoutMs` for it to end.
struct ProgramRun {
    bool started = false;
    DWORD error = 0;     // why it did not start
    bool ended = false;  // ended within the time
    DWORD exitCode = 99;
};
ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments,
                      const std::wstring& workDir = L"", DWORD timeoutMs = 60000);

bool FileExists(const std::wstring& path);
// `text` cut at every `sep` (n separators give n + 1 parts).
std::vector<std::string> Split(const std::string& text, char sep);

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool MakeDirs(const std::wstring& path);
// The UTF-16LE bytes of `text`, with a BOM first.
std::string Utf16Bom(const std::wstring& text);

// Bytes in busy blocks of every heap of the process: what the allocators
// hand out, without the slack of committed but unused heap pages.
SIZE_T HeapBytesInUse();
// Committed private memory, summed over the address space. Wine leaves
// PROCESS_MEMORY_COUNTERS_EX.PrivateUsage at 0, so this stands in for it.
SIZE_T CommittedPrivateBytes();
// Open handles, by probing the handle table. Wine answers
// GetProcessHandleCount with 0, so this stands in for it.
DWORD ProbeHandleCount();

// Every check and its release through the exports, once (the share repair
// with nothing selected).
void RunEveryCheck(Library& lib);

std::wstring FromUtf8(const std::string& s);
std::string ToUtf8(const std::wstring& s);

// Questions about the library's internals that only the tests ask, answered
// with the library's own operations.

// True when a node of `list` has exactly this display name and publisher.
bool IsDuplicateApp(const InstalledAppNode* list, const wchar_t* displayName, const wchar_t* publisher);
// Fetches the terminal-services list and writes the owner of `id` as
// WtsProcessList::FindOwner does. False only when the list cannot be obtained.
bool GetOwnerFromWtsList(DWORD id, wchar_t (&owner)[261]);
// Fills a zero-filled node as the process check does, with a family,
// snapshot and terminal-services list of its own; true when it filled it.
bool FillProcessNode(DWORD id, ProcessNode* node);

}  // namespace tw
