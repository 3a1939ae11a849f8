// What loading the library costs a host: whole programs that load and free a
// DLL, timed from their start to their end, with their peak working set.
//
//   bench_load.exe [--runs N] [--check-runs N] [--dll PATH\Tallowick.dll]
//
// Rows: the program loading and freeing the yardstick (kernel32_only.dll, a
// small DLL that imports kernel32 alone); the same program loading and
// freeing Tallowick.dll with no check; then Tallowick.dll with each check run
// once (and its result released), with the system DLLs the process holds
// afterwards. Each row is N fresh processes (median and spread of the time,
// median of the peak working set). The program it starts is itself, with
// --child; it imports kernel32 and msvcrt alone.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "tallowick.h"
#include "tallowick_loader.h"
#include "bench_timing.h"

namespace {

const wchar_t* const kSystemDlls[] = {L"advapi32.dll", L"iphlpapi.dll", L"netapi32.dll", L"ole32.dll",
                                      L"oleaut32.dll", L"psapi.dll",    L"user32.dll",   L"wininet.dll",
                                      L"ws2_32.dll",   L"wtsapi32.dll"};

template <typename Result, typename Held>
int RunOnce(int(TALLOWICK_CALL* check)(Result**, CheckCallback, int*, intptr_t), int(TALLOWICK_CALL* release)(Held*)) {
    Result* result = nullptr;
    int count = 0;
    int rc = check(&result, nullptr, &count, 0);
    release(result);
    return rc;
}

int RunCheck(const TallowickApi& api, const std::wstring& name) {
    if (name == L"sysinfo") return RunOnce(api.Check_SysInfo, api.Release_SysInfo);
    if (name == L"netinfo") return RunOnce(api.Check_NetInfo, api.Release_NetInfo);
    if (name == L"hardware") return RunOnce(api.Check_HardwareConfig, api.Release_HardwareConfig);
    if (name == L"hdd") return RunOnce(api.Check_HDD, api.Release_HDD);
    if (name == L"process") return RunOnce(api.Check_Process, api.Release_Process);
    if (name == L"netconfig") return RunOnce(api.Check_NetConfig, api.Release_NetConfig);
    if (name == L"network") return RunOnce(api.Check_Network, api.Release_Network);
    if (name == L"shares") return RunOnce(api.Check_ShareResource, api.Release_ShareResource);
    if (name == L"apps") return RunOnce(api.Check_InstalledApps, api.Release_InstalledApps);
    return -1;
}

// The child: loads DLL (the yardstick, or Tallowick.dll and runs CHECK),
// frees it, prints its peak working set and the system DLLs it holds.
int Child(const std::wstring& dll, const std::wstring& check) {
    int rc = 0;
    if (check == L"-") {
        HMODULE module = LoadLibraryW(dll.c_str());
        if (!module) return 3;
        FreeLibrary(module);
    } else {
        TallowickApi api;
        if (TallowickLoad(&api, dll.c_str()) != 0) return 3;
        if (check != L"none") rc = RunCheck(api, check);
        TallowickUnload(&api);
    }
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    std::string held;
    for (const wchar_t* name : kSystemDlls) {
        if (GetModuleHandleW(name)) {
            char text[32];
            std::snprintf(text, sizeof text, "%ls ", name);
            held += text;
        }
    }
    std::printf("%llu %d %s\n", static_cast<unsigned long long>(pmc.PeakWorkingSetSize), rc, held.c_str());
    return 0;
}

using bench::Median;
using bench::NowMs;

struct Run {
    double ms = 0;
    unsigned long long peak = 0;
    int rc = -1;
    std::string held;
    bool ok = false;
};

Run StartChild(const std::wstring& self, const std::wstring& dll, const std::wstring& check) {
    Run run;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring cmd = L"\"" + self + L"\" --child \"" + dll + L"\" " + check;
    PROCESS_INFORMATION pi = {};
    double start = NowMs();
    BOOL started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return run;
    }
    std::string out;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    run.ms = NowMs() - start;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(readEnd);
    char held[512] = {};
    if (code == 0 && std::sscanf(out.c_str(), "%llu %d %511[^\n]", &run.peak, &run.rc, held) >= 2) {
        run.held = held;
        run.ok = true;
    }
    return run;
}

struct Row {
    double medianMs = 0, minMs = 0, maxMs = 0;
    double peakMiB = 0;
    int failed = 0;
    int rc = 0;
    std::string held;
};

Row Measure(const std::wstring& self, const std::wstring& dll, const std::wstring& check, int runs) {
    Row row;
    std::vector<double> ms, peak;
    StartChild(self, dll, check);  // warm-up: Wine's files in the page cache
    for (int i = 0; i < runs; ++i) {
        Run run = StartChild(self, dll, check);
        if (!run.ok) {
            ++row.failed;
            continue;
        }
        ms.push_back(run.ms);
        peak.push_back(static_cast<double>(run.peak) / (1024.0 * 1024.0));
        row.rc = run.rc;
        row.held = run.held;
    }
    row.medianMs = Median(ms);
    if (!ms.empty()) {
        row.minMs = *std::min_element(ms.begin(), ms.end());
        row.maxMs = *std::max_element(ms.begin(), ms.end());
    }
    row.peakMiB = Median(peak);
    return row;
}

void Print(const char* label, const Row& row, const Row& base, bool withCheck) {
    std::printf("%-24s %8.1f %8.1f %8.1f %6.2fx %9.1f %6.2fx", label, row.medianMs, row.minMs, row.maxMs,
                base.medianMs > 0 ? row.medianMs / base.medianMs : 0.0, row.peakMiB,
                base.peakMiB > 0 ? row.peakMiB / base.peakMiB : 0.0);
    if (withCheck) std::printf("  rc=%d  %s", row.rc, row.held.empty() ? "(no system DLL)" : row.held.c_str());
    if (row.failed) std::printf("  [%d runs failed]", row.failed);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && std::wstring(argv[1]) == L"--child") return Child(argv[2], argv[3]);

    int runs = 30, checkRuns = 5;
    std::wstring dll;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--runs" && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));
        else if (arg == L"--check-runs" && i + 1 < argc) checkRuns = std::max(0, _wtoi(argv[++i]));
        else if (arg == L"--dll" && i + 1 < argc) dll = argv[++i];
        else {
            std::fprintf(stderr, "usage: bench_load.exe [--runs N] [--check-runs N] [--dll PATH]\n");
            return 2;
        }
    }
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir = dir.substr(0, dir.rfind(L'\\') + 1);
    if (dll.empty()) dll = dir + L"..\\bin\\Tallowick.dll";
    std::wstring yardstick = dir + L"kernel32_only.dll";

    std::printf("bench_load (%s): whole programs, load and free; %d runs a row (%d with a check)\n",
                sizeof(void*) == 8 ? "x64" : "x86", runs, checkRuns);
    std::printf("  library: %ls\n", dll.c_str());
    std::printf("%-24s %8s %8s %8s %7s %9s %7s\n", "program", "ms", "min", "max", "time", "peak MiB", "memory");
    Row base = Measure(self, yardstick, L"-", runs);
    Print("kernel32-only DLL", base, base, false);
    Row none = Measure(self, dll, L"none", runs);
    Print("Tallowick, no check", none, base, false);
    if (checkRuns > 0) {
        const wchar_t* checks[] = {L"sysinfo", L"netinfo", L"hdd",   L"process", L"netconfig",
                                   L"network", L"shares",  L"apps", L"hardware"};
        for (const wchar_t* check : checks) {
            char label[64];
            std::snprintf(label, sizeof label, "Tallowick + %ls", check);
            Print(label, Measure(self, dll, check, checkRuns), base, true);
        }
    }
    return 0;
}
