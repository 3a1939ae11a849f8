// Time of every check and of its release, through the exports, as a host
// calls them.
//
// Loads Tallowick.dll like a host (from ..\bin beside this program, or the
// path given), warms each check up, then times repeated runs and prints the
// median and the spread (minimum, maximum, interquartile range) of the check
// and the median of its release. Where a plain program does the same platform
// work, its median is measured in the same run and the check's median is
// given as a ratio of it. The connectivity check goes to a loopback HTTP
// proxy of this program (the user's proxy settings are restored afterwards).
//
//   bench_checks.exe [--runs N] [--budget SECONDS] [PATH\Tallowick.dll]
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <windows.h>
#include <wininet.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tallowick.h"
#include "tallowick_loader.h"
#include "bench_timing.h"

namespace {

using bench::Now;
using bench::Stats;
using bench::Summarise;


// ---- loopback proxy ------------------------------------------------------------
// Answers every request with a small 200 page; the connectivity check reaches
// it through the HKCU proxy settings.
class LoopbackProxy {
public:
    LoopbackProxy() {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listener_, 16) != 0) {
            return;
        }
        int len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackProxy() {
        stop_ = true;
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        WSACleanup();
    }
    int port() const { return port_; }

private:
    void Serve() {
        while (!stop_) {
            SOCKET c = accept(listener_, nullptr, nullptr);
            if (c == INVALID_SOCKET) break;
            char buf[4096];
            std::string request;
            while (request.find("\r\n\r\n") == std::string::npos) {
                int n = recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, static_cast<std::size_t>(n));
            }
            static const char reply[] =
                "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
            send(c, reply, sizeof reply - 1, 0);
            shutdown(c, SD_BOTH);
            closesocket(c);
        }
    }
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Points the user's Internet settings at the proxy and puts them back after.
class ScopedProxySettings {
public:
    explicit ScopedProxySettings(int port) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        for (Saved& s : saved_) s.Read(key_);
        DWORD one = 1;
        RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
        std::wstring server = L"127.0.0.1:" + std::to_wstring(port);
        RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                       static_cast<DWORD>((server.size() + 1) * 2));
        RegDeleteValueW(key_, L"ProxyOverride");
        InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    }
    ~ScopedProxySettings() {
        if (!key_) return;
        for (Saved& s : saved_) s.Restore(key_);
        RegCloseKey(key_);
    }
    bool ok() const { return key_ != nullptr; }

private:
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    struct Saved {
        const wchar_t* name;
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
        void Read(HKEY key) {
            DWORD size = 0;
            if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
            data.resize(size);
            present = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
        }
        void Restore(HKEY key) {
            if (present) RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
            else RegDeleteValueW(key, name);
        }
    };
    HKEY key_ = nullptr;
    Saved saved_[3] = {{L"ProxyEnable"}, {L"ProxyServer"}, {L"ProxyOverride"}};
};

// ---- measuring -------------------------------------------------------------------
// One run of a check: returns the seconds of the check and of its release,
// and the count it reported.
struct Run {
    double check = 0, release = 0;
    int count = 0;
    int rc = 0;
};
using RunFn = std::function<Run()>;

template <typename T, typename CheckFn, typename ReleaseFn>
RunFn Timed(CheckFn check, ReleaseFn release, CheckCallback callback = nullptr) {
    return [=] {
        Run r;
        T* result = nullptr;
        double t0 = Now();
        r.rc = check(&result, callback, &r.count, 0);
        double t1 = Now();
        release(result);
        double t2 = Now();
        r.check = t1 - t0;
        r.release = t2 - t1;
        return r;
    };
}

struct Row {
    std::string name;
    Stats check, release;
    int count = 0, rc = 0;
    double first = 0;      // the warm-up call: first call of the process
    double baseline = -1;  // median seconds of the plain program, if any
    std::string baselineName;
};

Row Measure(const std::string& name, const RunFn& fn, int runs, double budget) {
    Row row;
    row.name = name;
    Run warm = fn();  // warm-up: first-call costs (COM, WMI, WinINet, loader) stay out of the figures
    row.first = warm.check;
    double once = std::max(warm.check + warm.release, 1e-6);
    int n = runs > 0 ? runs : static_cast<int>(std::min(30.0, std::max(5.0, budget / once)));
    std::vector<double> checks, releases;
    for (int i = 0; i < n; ++i) {
        Run r = fn();
        checks.push_back(r.check);
        releases.push_back(r.release);
        row.count = r.count;
        row.rc = r.rc;
    }
    row.check = Summarise(checks);
    row.release = Summarise(releases);
    return row;
}

double MedianOf(const std::function<void()>& fn, int runs) {
    fn();
    std::vector<double> v;
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        fn();
        v.push_back(Now() - t0);
    }
    return Summarise(v).median;
}

// Plain programs doing the platform work of a check, without the library.
void PlainProcessPass() {
    DWORD ids[4096];
    DWORD bytes = 0;
    if (!EnumProcesses(ids, sizeof ids, &bytes)) return;
    for (DWORD i = 0; i < bytes / 4; ++i) {
        HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!h) continue;
        wchar_t name[MAX_PATH];
        GetModuleBaseNameW(h, nullptr, name, MAX_PATH);
        PROCESS_MEMORY_COUNTERS pmc = {};
        GetProcessMemoryInfo(h, &pmc, sizeof pmc);
        CloseHandle(h);
    }
}

void PlainUrlOpen() {
    HINTERNET net = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!net) return;
    HINTERNET url = InternetOpenUrlW(net, L"http://www.example.com/", nullptr, 0,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (url) InternetCloseHandle(url);
    InternetCloseHandle(net);
}

void PlainDriveSurvey() {
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
        if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
        wchar_t label[MAX_PATH + 1];
        GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
        ULARGE_INTEGER a, t, f;
        GetDiskFreeSpaceExW(root, &a, &t, &f);
    }
}

std::string Ms(double seconds) {
    char buf[32];
    double ms = seconds * 1000.0;
    if (ms >= 100) std::snprintf(buf, sizeof buf, "%.0f", ms);
    else if (ms >= 1) std::snprintf(buf, sizeof buf, "%.2f", ms);
    else std::snprintf(buf, sizeof buf, "%.3f", ms);
    return buf;
}

std::string Us(double seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", seconds * 1e6);
    return buf;
}

void Print(const std::vector<Row>& rows) {
    std::vector<std::vector<std::string>> cells = {{"check", "runs", "items", "rc", "first ms", "median ms", "min ms",
                                                    "max ms", "IQR ms", "release us", "baseline ms", "ratio"}};
    for (const Row& r : rows) {
        std::string base = "-", ratio = "-";
        if (r.baseline > 0) {
            base = Ms(r.baseline) + " (" + r.baselineName + ")";
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.2fx", r.check.median / r.baseline);
            ratio = buf;
        }
        cells.push_back({r.name, std::to_string(r.check.runs), std::to_string(r.count), std::to_string(r.rc),
                         Ms(r.first), Ms(r.check.median), Ms(r.check.min), Ms(r.check.max), Ms(r.check.q3 - r.check.q1),
                         Us(r.release.median), base, ratio});
    }
    std::vector<std::size_t> width(cells[0].size(), 0);
    for (const auto& row : cells)
        for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
    auto line = [&](const std::vector<std::string>& row) {
        std::string out = "|";
        for (std::size_t c = 0; c < row.size(); ++c) {
            std::string cell = row[c];
            std::string pad(width[c] - cell.size(), ' ');
            out += " " + (c == 0 || c == 10 ? cell + pad : pad + cell) + " |";
        }
        std::printf("%s\n", out.c_str());
    };
    line(cells[0]);
    std::string rule = "|";
    for (std::size_t w : width) rule += std::string(w + 2, '-') + "|";
    std::printf("%s\n", rule.c_str());
    for (std::size_t i = 1; i < cells.size(); ++i) line(cells[i]);
}

int __cdecl Quiet(const TwChar*, int, int, int, int, intptr_t, const TwChar*, int, int*) { return 0; }

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int runs = 0;
    double budget = 2.0;
    std::wstring dll;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--runs" && i + 1 < argc) runs = _wtoi(argv[++i]);
        else if (a == L"--budget" && i + 1 < argc) budget = _wtof(argv[++i]);
        else dll = a;
    }
    if (dll.empty()) dll = bench::DefaultLibrary();
    TallowickApi api;
    if (TallowickLoad(&api, dll.c_str()) != 0) {
        std::fprintf(stderr, "bench_checks: cannot load %ls (error %lu%s%s)\n", dll.c_str(), api.error,
                     api.missing ? ", no export " : "", api.missing ? api.missing : "");
        return 1;
    }

    LoopbackProxy proxy;
    if (!proxy.port()) {
        std::fprintf(stderr, "bench_checks: no loopback listener\n");
        return 1;
    }
    ScopedProxySettings settings(proxy.port());
    if (!settings.ok()) {
        std::fprintf(stderr, "bench_checks: cannot set the proxy; the connectivity check is left out\n");
    }

    std::vector<Row> rows;
    auto add = [&](const std::string& name, const RunFn& fn, const char* baselineName = nullptr,
                   const std::function<void()>& baseline = nullptr) {
        std::fprintf(stderr, "bench_checks: %s ...\n", name.c_str());
        Row row = Measure(name, fn, runs, budget);
        if (baseline) {
            row.baseline = MedianOf(baseline, std::max(5, row.check.runs));
            row.baselineName = baselineName;
        }
        rows.push_back(row);
    };
    add("Check_SysInfo", Timed<SysInfoResult>(api.Check_SysInfo, api.Release_SysInfo));
    add("Check_NetInfo", Timed<NetInfoResult>(api.Check_NetInfo, api.Release_NetInfo));
    add("Check_HardwareConfig", Timed<HardwareConfigResult>(api.Check_HardwareConfig, api.Release_HardwareConfig, Quiet));
    add("Check_HDD", Timed<HddNode>(api.Check_HDD, api.Release_HDD, Quiet), "drive survey without analysis",
        PlainDriveSurvey);
    add("Check_Process", Timed<ProcessNode>(api.Check_Process, api.Release_Process), "EnumProcesses pass",
        PlainProcessPass);
    add("Check_NetConfig", Timed<NetConfigNode>(api.Check_NetConfig, api.Release_NetConfig));
    // Against one GetAdaptersAddresses call and its walk: bench_netconfig_ex.
    add("Check_NetConfigEx", Timed<NetAdapterExNode>(api.Check_NetConfigEx, api.Release_NetConfigEx));
    if (settings.ok()) {
        add("Check_Network", Timed<NetworkResult>(api.Check_Network, api.Release_Network), "WinINet open+URL",
            PlainUrlOpen);
    }
    add("Check_ShareResource", Timed<ShareResourceNode>(api.Check_ShareResource, api.Release_ShareResource));
    add("Check_InstalledApps", Timed<InstalledAppNode>(api.Check_InstalledApps, api.Release_InstalledApps));

    std::printf("Tallowick checks through the exports: times per call; \"first\" is the process's first call\n"
                "(the warm-up), the other figures are over the runs after it\n");
    Print(rows);
    TallowickUnload(&api);
    return 0;
}
