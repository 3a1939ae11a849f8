// What the benchmark programs share: the clock, the summary of a series of
// times, and where the library sits beside a benchmark.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

// Seconds on the performance counter.
inline double Now() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

inline double NowMs() { return Now() * 1000.0; }

// A series of times: its median, extremes and quartiles (interpolated
// between neighbours, so the median of an even series is the mean of its
// middle two).
struct Stats {
    int runs = 0;
    double median = 0, min = 0, max = 0, q1 = 0, q3 = 0;
};

inline Stats Summarise(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    auto at = [&](double q) {
        double pos = q * static_cast<double>(v.size() - 1);
        std::size_t lo = static_cast<std::size_t>(pos);
        std::size_t hi = std::min(lo + 1, v.size() - 1);
        return v[lo] + (v[hi] - v[lo]) * (pos - static_cast<double>(lo));
    };
    s.runs = static_cast<int>(v.size());
    s.median = at(0.5);
    s.min = v.front();
    s.max = v.back();
    s.q1 = at(0.25);
    s.q3 = at(0.75);
    return s;
}

inline double Median(std::vector<double> v) { return Summarise(std::move(v)).median; }

// The folder of this program, with its trailing backslash.
inline std::wstring ProgramFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    return dir.substr(0, dir.rfind(L'\\') + 1);
}

// The library of the build tree: ..\bin\Tallowick.dll beside the program.
inline std::wstring DefaultLibrary() { return ProgramFolder() + L"..\\bin\\Tallowick.dll"; }

}  // namespace bench
