#include "test_support.h"

#include <shlwapi.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "core/text.h"
#include "process/process_win.h"

namespace tw {

std::wstring BinDir() { return TALLOWICK_BIN_DIR; }
std::wstring TestsDir() { return TALLOWICK_TESTS_DIR; }

std::wstring ProgramDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.rfind(L'\\') + 1);
}

Library::Library(const std::wstring& dllPath) {
    HMODULE module = LoadLibraryW(dllPath.c_str());
    if (!module) return;
    // The loader frees a library that lacks an export: take a reference of
    // our own, so that module_ stays valid for raw() either way.
    module_ = LoadLibraryW(dllPath.c_str());
    TallowickApi api;
    if (TallowickResolve(&api, module) != 0) return;
#define TW_RESOLVE(name) name##_ = api.name;
    TALLOWICK_FOR_EACH_EXPORT(TW_RESOLVE)
#undef TW_RESOLVE
    // The table's reference goes with it; module_ keeps ours.
    TallowickUnload(&api);
}

Library::~Library() {
    if (module_) FreeLibrary(module_);
}

FARPROC Library::raw(const char* name) const {
    return module_ ? GetProcAddress(module_, name) : nullptr;
}

// ---- registry ---------------------------------------------------------------

static void DeleteTree(HKEY root, const std::wstring& path, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
        for (;;) {
            wchar_t name[512];
            DWORD len = 512;
            if (RegEnumKeyExW(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            DeleteTree(key, name, view);
        }
        RegCloseKey(key);
    }
    RegDeleteKeyExW(root, path.c_str(), view, 0);
}

ScopedRegKey::ScopedRegKey(HKEY root, const std::wstring& path, REGSAM view)
    : root_(root), path_(path), view_(view) {
    DeleteTree(root_, path_, view_);
    if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS) {
        key_ = nullptr;
    }
}

ScopedRegKey::~ScopedRegKey() {
    if (key_) RegCloseKey(key_);
    DeleteTree(root_, path_, view_);
}

// A 32-bit program on 64-bit Windows.
static bool UnderWow64() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 4 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::wstring NativeSystemDir() {
    wchar_t dir[MAX_PATH] = {};
    if (UnderWow64()) {
        GetSystemWindowsDirectoryW(dir, MAX_PATH);
        return std::wstring(dir) + L"\\Sysnative";
    }
    GetSystemDirectoryW(dir, MAX_PATH);
    return dir;
}

REGSAM OtherRegistryView() {
    if (sizeof(void*) == 8) return KEY_WOW64_32KEY;
    return UnderWow64() ? KEY_WOW64_64KEY : 0;
}

LONG ScopedRegKey::setString(const std::wstring& name, const std::wstring& value, DWORD type) {
    return RegSetValueExW(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG ScopedRegKey::setBytes(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExW(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

LONG ScopedRegKey::setDword(const std::wstring& name, DWORD value) {
    return RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

SavedRegValue::SavedRegValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, REGSAM view)
    : root_(root), keyPath_(keyPath), name_(name), view_(view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, keyPath_.c_str(), 0, KEY_READ | view_, &key) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExW(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            data_.resize(size);
            if (RegQueryValueExW(key, name_.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS) {
                existed_ = true;
                data_.resize(size);
            }
        }
        RegCloseKey(key);
    }
}

SavedRegValue::~SavedRegValue() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    if (existed_) {
        RegSetValueExW(key, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
        RegDeleteValueW(key, name_.c_str());
    }
    RegCloseKey(key);
}

LONG SavedRegValue::setString(const std::wstring& value, DWORD type) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root_, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(key, name_.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc;
}

LONG SavedRegValue::setDword(DWORD value) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root_, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(key, name_.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
    return rc;
}

LONG SavedRegValue::remove() {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(root_, keyPath_.c_str(), 0, KEY_ALL_ACCESS | view_, &key);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegDeleteValueW(key, name_.c_str());
    RegCloseKey(key);
    return rc;
}

static const wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

ScopedProxy::ScopedProxy(int port)
    : enable_(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable"),
      server_(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer"),
      override_(HKEY_CURRENT_USER, kInternetSettings, L"ProxyOverride") {
    enable_.setDword(1);
    server_.setString(L"127.0.0.1:" + std::to_wstring(port));
    override_.remove();
}

// ---- loopback HTTP ------------------------------------------------------------

namespace {
struct WinsockInit {
    WinsockInit() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};
void EnsureWinsock() { static WinsockInit init; }
}  // namespace

LoopbackHttpServer::LoopbackHttpServer(int status) : status_(status) {
    EnsureWinsock();
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    listen(listener_, 16);
    int len = sizeof(addr);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop_ = true;
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
}

std::string LoopbackHttpServer::lastRequestLine() const {
    while (lineLock_.exchange(true)) Sleep(0);
    std::string copy = lastLine_;
    lineLock_ = false;
    return copy;
}

void LoopbackHttpServer::run() {
    while (!stop_) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listener_, &set);
        timeval tv{0, 50000};
        int ready = select(0, &set, nullptr, nullptr, &tv);
        if (stop_) break;
        if (ready <= 0) continue;
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        std::string request;
        char buf[2048];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            int n = recv(client, buf, sizeof(buf), 0);
            if (n <= 0) break;
            request.append(buf, n);
        }
        {
            while (lineLock_.exchange(true)) Sleep(0);
            lastLine_ = request.substr(0, request.find("\r\n"));
            lineLock_ = false;
        }
        ++requests_;
        std::string body = "status " + std::to_string(status_);
        std::string response = "HTTP/1.1 " + std::to_string(status_) + " Test\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        send(client, response.data(), static_cast<int>(response.size()), 0);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

int ClosedLoopbackPort() {
    EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    int len = sizeof(addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    closesocket(s);
    return ntohs(addr.sin_port);
}

// ---- files ----------------------------------------------------------------------

TempDir::TempDir() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    for (int i = 0; i < 1000 && path_.empty(); ++i) {
        std::wstring candidate = std::wstring(base) + L"tw" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                 std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(i);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate;
    }
}

static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(dir.c_str());
}

TempDir::~TempDir() {
    if (!path_.empty()) RemoveTree(path_);
}

ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments, const std::wstring& workDir,
                      DWORD timeoutMs) {
    ProgramRun run;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
        run.error = GetLastError();
        return run;
    }
    run.started = true;
    // A slow machine (32-bit programs through an emulator) may stretch the time.
    if (const char* scale = std::getenv("TALLOWICK_TEST_TIME_SCALE")) {
        const unsigned long factor = std::strtoul(scale, nullptr, 10);
        if (factor > 1 && factor <= 100) timeoutMs *= factor;
    }
    run.ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return run;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof(buf), &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(f);
    return out;
}

bool MakeDirs(const std::wstring& path) {
    for (std::size_t pos = path.find(L'\\', 3); ; pos = path.find(L'\\', pos + 1)) {
        std::wstring part = path.substr(0, pos);
        CreateDirectoryW(part.c_str(), nullptr);
        if (pos == std::wstring::npos) break;
    }
    DWORD attr = GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Utf16Bom(const std::wstring& text) {
    std::string out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return out;
}

std::wstring FromUtf8(const std::string& s) {
    std::u16string t = tallowick::FromUtf8(s);
    return std::wstring(t.begin(), t.end());
}

std::string ToUtf8(const std::wstring& s) {
    std::u16string t(s.begin(), s.end());
    return tallowick::ToUtf8(t);
}

SIZE_T HeapBytesInUse() {
    HANDLE heaps[64];
    DWORD n = GetProcessHeaps(64, heaps);
    if (n > 64) n = 64;
    SIZE_T total = 0;
    for (DWORD i = 0; i < n; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    return total;
}

SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    const char* address = nullptr;
    while (VirtualQuery(address, &mbi, sizeof(mbi)) == sizeof(mbi)) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
        const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return total;
}

DWORD ProbeHandleCount() {
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

void RunEveryCheck(Library& lib) {
    int count = 0;
    SysInfoResult* sys = nullptr;
    lib.Check_SysInfo_(&sys, nullptr, &count, 0);
    lib.Release_SysInfo_(sys);
    NetInfoResult* net = nullptr;
    lib.Check_NetInfo_(&net, nullptr, &count, 0);
    lib.Release_NetInfo_(net);
    HardwareConfigResult* hw = nullptr;
    lib.Check_HardwareConfig_(&hw, nullptr, &count, 0);
    lib.Release_HardwareConfig_(hw);
    HddNode* hdd = nullptr;
    lib.Check_HDD_(&hdd, nullptr, &count, 0);
    lib.Release_HDD_(hdd);
    ProcessNode* proc = nullptr;
    lib.Check_Process_(&proc, nullptr, &count, 0);
    lib.Release_Process_(proc);
    NetConfigNode* adapters = nullptr;
    lib.Check_NetConfig_(&adapters, nullptr, &count, 0);
    lib.Release_NetConfig_(adapters);
    NetworkResult* reach = nullptr;
    lib.Check_Network_(&reach, nullptr, &count, 0);
    lib.Release_Network_(reach);
    ShareResourceNode* shares = nullptr;
    lib.Check_ShareResource_(&shares, nullptr, &count, 0);
    lib.Repair_ShareResource_(shares, nullptr, 0);
    lib.Release_ShareResource_(shares);
    InstalledAppNode* apps = nullptr;
    lib.Check_InstalledApps_(&apps, nullptr, &count, 0);
    lib.Release_InstalledApps_(apps);
}

bool IsDuplicateApp(const InstalledAppNode* list, const wchar_t* displayName, const wchar_t* publisher) {
    const std::wstring name(displayName ? displayName : L""), pub(publisher ? publisher : L"");
    for (const InstalledAppNode* node = list; node; node = node->pNext) {
        // The fields are read no further than their width.
        if (std::wstring(node->szDisplayName, wcsnlen(node->szDisplayName, 261)) == name &&
            std::wstring(node->szPublisher, wcsnlen(node->szPublisher, 261)) == pub) {
            return true;
        }
    }
    return false;
}

bool GetOwnerFromWtsList(DWORD id, wchar_t (&owner)[261]) {
    tallowick::WtsProcessList list;
    if (!list.Fetch()) return false;
    tallowick::AccountNameCache cache;
    tallowick::Text name;
    if (list.FindOwner(id, name, cache)) tallowick::CopyField(owner, name, tallowick::kOwnerBound);
    return true;
}

bool FillProcessNode(DWORD id, ProcessNode* node) {
    tallowick::ProcessCheckContext context;
    tallowick::WtsProcessList wts;
    tallowick::PrepareProcessCheck(context, wts);
    const tallowick::ProcessEntry entry = tallowick::ReadProcessEntry(id, context);
    tallowick::WriteProcessNode(entry, node);
    return entry.filled;
}

}  // namespace tw
