// A C++ host of the installed package: results owned by unique_ptr with the
// release export as deleter, the callback's context carrying an object.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <tallowick.h>

namespace {

int failures = 0;
void Expect(bool ok, const char* what, int line) {
    if (!ok) {
        std::fprintf(stderr, "consumer_cpp: failed: %s (line %d)\n", what, line);
        ++failures;
    }
}
#define EXPECT(c) Expect((c), #c, __LINE__)

template <typename T, int(TALLOWICK_CALL* Release)(T*)>
struct Releaser {
    void operator()(T* p) const { Release(p); }
};
using ProcessList = std::unique_ptr<ProcessNode, Releaser<ProcessNode, Release_Process>>;
using DriveList = std::unique_ptr<HddNode, Releaser<HddNode, Release_HDD>>;
using SysInfo = std::unique_ptr<SysInfoResult, Releaser<SysInfoResult, Release_SysInfo>>;
using OsVersion = std::unique_ptr<OsVersionResult, Releaser<OsVersionResult, Release_OsVersion>>;

struct Progress {
    std::vector<std::wstring> statuses;
    int polls = 0;
};

int TALLOWICK_CALL OnCallback(const TwChar* status, int, int, int, int, intptr_t context, const TwChar*, int, int*) {
    auto* progress = reinterpret_cast<Progress*>(context);
    if (status) progress->statuses.emplace_back(status);
    else ++progress->polls;
    return 0;
}

}  // namespace

int main() {
    {
        SysInfoResult* raw = nullptr;
        int count = 0;
        EXPECT(Check_SysInfo(&raw, nullptr, &count, 0) == 0);
        SysInfo sys(raw);
        EXPECT(sys != nullptr);
        int vars = 0;
        for (auto* v = sys ? sys->pEnvironment : nullptr; v; v = v->pNext) {
            EXPECT(v->pszValue != nullptr);
            ++vars;
        }
        std::printf("environment variables: %d\n", vars);
    }
    {
        ProcessNode* raw = nullptr;
        int count = 0;
        EXPECT(Check_Process(&raw, nullptr, &count, 0) == 0);
        ProcessList list(raw);
        int n = 0;
        for (auto* p = list.get(); p; p = p->pNext) ++n;
        std::printf("processes: %d (count %d)\n", n, count);
    }
    {
        HddNode* raw = nullptr;
        int count = 0;
        Progress progress;
        EXPECT(Check_HDD(&raw, OnCallback, &count, reinterpret_cast<intptr_t>(&progress)) == 0);
        DriveList drives(raw);
        int n = 0;
        for (auto* d = drives.get(); d; d = d->pNext) {
            EXPECT(d->ullFreeBytes <= d->ullTotalBytes);
            ++n;
        }
        EXPECT(n == count);
        std::printf("drives: %d, %zu progress texts, %d polls\n", n, progress.statuses.size(), progress.polls);
    }
    {
        OsVersionResult* raw = nullptr;
        int count = 0;
        EXPECT(Check_OsVersion(&raw, nullptr, &count, 0) == 0 && count == 1);
        OsVersion os(raw);
        EXPECT(os && os->cbSize >= sizeof(OsVersionResult));
        if (os) std::printf("windows %u.%u.%u\n", unsigned(os->nMajorVersion), unsigned(os->nMinorVersion),
                            unsigned(os->nBuildNumber));
    }
    if (failures == 0) std::printf("consumer_cpp: passed\n");
    return failures ? 1 : 0;
}
