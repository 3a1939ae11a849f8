// Cost of the process list against one plain pass over the processes.
//
// For each session size it starts sleeping copies of itself until the session
// holds that many processes, then times (median of several rounds):
//   - baseline: EnumProcesses, and for each process OpenProcess, its base name
//     and its memory counters;
//   - Check_Process through the library's check body, list released.
// It prints both, the median of their per-round ratios and the time per
// process, and ends the children. With --parts it also times each part of the
// check alone.
//
//   bench_process.exe [--parts] [SIZE...]      default sizes: 50 200
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "process/checks.h"
#include "process/process_win.h"
#include "core/os_family.h"
#include "bench_timing.h"

namespace {

const wchar_t kReadyName[] = L"Local\\TallowickBenchProcessReady";

using bench::Now;

int CountProcesses() {
    std::vector<DWORD> ids(8192);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * 4), &bytes)) return -1;
    return static_cast<int>(bytes / 4);
}

// The children: sleeping copies of this program, ended by the parent.
class Children {
public:
    Children() {
        job_ = CreateJobObjectW(nullptr, nullptr);
        if (job_) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        ready_ = CreateSemaphoreW(nullptr, 0, 100000, kReadyName);
    }
    ~Children() {
        for (HANDLE h : processes_) {
            TerminateProcess(h, 0);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
        if (ready_) CloseHandle(ready_);
        if (job_) CloseHandle(job_);
    }
    bool start(int n) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        for (int i = 0; i < n; ++i) {
            std::wstring cmd = L"\"" + std::wstring(self) + L"\" --child";
            STARTUPINFOW si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                &si, &pi)) {
                std::fprintf(stderr, "CreateProcessW failed: %lu\n", GetLastError());
                return false;
            }
            if (job_) AssignProcessToJobObject(job_, pi.hProcess);
            CloseHandle(pi.hThread);
            processes_.push_back(pi.hProcess);
        }
        // Each child signals once it has finished loading.
        for (int i = 0; i < n; ++i) {
            if (WaitForSingleObject(ready_, 30000) != WAIT_OBJECT_0) {
                std::fprintf(stderr, "child %d did not start\n", i);
                return false;
            }
        }
        return true;
    }
    int started() const { return static_cast<int>(processes_.size()); }

private:
    HANDLE job_ = nullptr;
    HANDLE ready_ = nullptr;
    std::vector<HANDLE> processes_;
};

// One plain pass: every process opened, its base name and memory counters read.
int BaselinePass() {
    std::vector<DWORD> ids(8192);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * 4), &bytes)) return 0;
    int named = 0;
    for (DWORD i = 0; i < bytes / 4; ++i) {
        HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!h) continue;
        wchar_t name[MAX_PATH];
        if (GetModuleBaseNameW(h, nullptr, name, MAX_PATH)) ++named;
        PROCESS_MEMORY_COUNTERS pmc = {};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(h, &pmc, sizeof pmc);
        CloseHandle(h);
    }
    return named;
}

// The parts of one check, each timed alone.
std::vector<DWORD> Ids() {
    std::vector<DWORD> ids;
    tallowick::EnumerateProcessIds(ids);
    return ids;
}

void PartsPass(const std::vector<DWORD>& ids, int part) {
    if (part == 0) { Ids(); return; }
    if (part == 1) { tallowick::TakeProcessorTimes(); return; }
    if (part == 2) { tallowick::WtsProcessList l; l.Fetch(); return; }
    tallowick::AccountNameCache cache;
    for (DWORD id : ids) {
        HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
        if (!h) continue;
        HMODULE m = nullptr;
        DWORD needed = 0;
        wchar_t name[MAX_PATH];
        PROCESS_MEMORY_COUNTERS pmc = {};
        pmc.cb = sizeof pmc;
        tallowick::UniqueHandle token;
        wchar_t owner[tallowick::kOwnerField];
        switch (part) {
        case 4: EnumProcessModules(h, &m, sizeof m, &needed); break;
        case 5: GetModuleBaseNameW(h, nullptr, name, MAX_PATH); break;
        case 6: GetModuleFileNameExW(h, nullptr, name, MAX_PATH); break;
        case 7: GetProcessMemoryInfo(h, &pmc, sizeof pmc); break;
        case 8:
            if (OpenProcessToken(h, TOKEN_QUERY, token.put())) tallowick::GetOwnerFromToken(owner, token, &cache);
            break;
        case 9:
            if (OpenProcessToken(h, TOKEN_QUERY, token.put())) tallowick::GetOwnerFromToken(owner, token);
            break;
        default: break;
        }
        CloseHandle(h);
    }
}

const char* const kPartNames[] = {
    "EnumProcesses (grown)", "process snapshot", "terminal-services list", "OpenProcess alone",
    "Open+EnumProcessModules", "Open+GetModuleBaseNameW", "Open+GetModuleFileNameExW", "Open+memory counters",
    "Open+token owner (cached)", "Open+token owner (uncached)"};
constexpr int kParts = 10;

int CheckPass() {
    ProcessNode* list = nullptr;
    int count = 0;
    tallowick::CheckProcess(&list, &count);
    tallowick::ReleaseProcess(list);
    return count;
}

double MedianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double Median(int rounds, F f) {
    std::vector<double> t;
    for (int i = 0; i < rounds; ++i) {
        double s = Now();
        f();
        t.push_back(Now() - s);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") {
        HANDLE ready = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, kReadyName);
        if (ready) ReleaseSemaphore(ready, 1, nullptr);
        Sleep(INFINITE);
        return 0;
    }
    std::vector<int> sizes;
    bool parts = false;  // --parts: time each part of the check as well
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--parts") parts = true;
        else sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {50, 200};
    std::sort(sizes.begin(), sizes.end());

    const int rounds = 11;
    Children children;
    const int family = tallowick::GetOsFamily();
    std::printf("OS family %d: owners from the %s\n", family,
                family == tallowick::OsNtWorkstation ? "process tokens" : "terminal-services list");
    std::printf("%-10s %-10s %-14s %-14s %-8s %-16s %-16s\n", "target", "processes", "baseline ms", "check ms",
                "ratio", "baseline us/proc", "check us/proc");
    for (int target : sizes) {
        const int have = CountProcesses();
        if (have < target && !children.start(target - have)) return 1;
        CheckPass();  // warm up: libraries loaded, privilege enabled
        BaselinePass();
        const int n = CountProcesses();
        // Rounds alternate between the two, so that load from elsewhere on
        // the machine falls on both alike; medians of each and of the ratios.
        std::vector<double> bases, checks, ratios;
        for (int r = 0; r < rounds; ++r) {
            double s = Now();
            BaselinePass();
            const double b = Now() - s;
            s = Now();
            CheckPass();
            const double c = Now() - s;
            bases.push_back(b);
            checks.push_back(c);
            ratios.push_back(c / b);
        }
        const double base = MedianOf(bases);
        const double check = MedianOf(checks);
        std::printf("%-10d %-10d %-14.2f %-14.2f %-8.2f %-16.1f %-16.1f\n", target, n, base * 1e3, check * 1e3,
                    MedianOf(ratios), base * 1e6 / n, check * 1e6 / n);
        std::fflush(stdout);
        if (parts) {
            const std::vector<DWORD> ids = Ids();
            for (int part = 0; part < kParts; ++part) {
                const double t = Median(rounds, [&] { PartsPass(ids, part); });
                std::printf("    %-28s %9.2f ms\n", kPartNames[part], t * 1e3);
            }
        }
    }
    return 0;
}
