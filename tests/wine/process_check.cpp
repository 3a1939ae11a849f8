// Check_Process against the processes of the Wine session, and the owner and
// privilege operations on this test program's own process. One case starts a
// process that no other may open, whose row the other cases would see: the
// cases of this file run one at a time.
// ctest-lock: sealed_process
// ctest-labels: bitness
#include <gtest/gtest.h>

#include "test_support.h"

#include <psapi.h>
#include <wtsapi32.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "process/process_win.h"

namespace {

struct Row {
    std::wstring name, owner, memory;
    int cpu = 0;
};

struct Outcome {
    int rc = -1;
    int count = -1;
    int nodes = 0;
    std::vector<Row> rows;
};

Outcome RunCheck(tw::Library& lib) {
    Outcome o;
    ProcessNode* list = reinterpret_cast<ProcessNode*>(1);
    o.rc = lib.Check_Process_(&list, nullptr, &o.count, 0);
    for (const ProcessNode* n = list; n; n = n->pNext) {
        ++o.nodes;
        o.rows.push_back({n->szName, n->szOwner, n->szMemory, n->nCpuPercent});
    }
    EXPECT_EQ(lib.Release_Process_(list), 0);
    return o;
}

std::wstring OwnBaseName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(p.find_last_of(L"\\/") + 1);
}

std::wstring CurrentUser() {
    wchar_t name[261] = {};
    DWORD len = 260;
    GetUserNameW(name, &len);
    return name;
}

bool IsMemoryText(const std::wstring& text) { return std::regex_match(text, std::wregex(L"[0-9]+ K")); }

TEST(Process, ListsItselfWithNameMemoryAndOwner) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    Outcome o = RunCheck(lib);
    EXPECT_EQ(o.rc, 0);
    const std::wstring self = OwnBaseName();
    const Row* found = nullptr;
    for (const Row& r : o.rows) {
        if (_wcsicmp(r.name.c_str(), self.c_str()) == 0) found = &r;
    }
    ASSERT_NE(found, nullptr) << "own process not listed";
    EXPECT_EQ(found->name, self);
    EXPECT_TRUE(IsMemoryText(found->memory)) << std::string(found->memory.begin(), found->memory.end());
    EXPECT_NE(found->memory, L"0 K");
    EXPECT_FALSE(found->owner.empty());
    EXPECT_EQ(found->owner, CurrentUser());
}

// Every process that this program can open and name by its image path is
// listed under that name with its memory and owner: under WOW64 the 32-bit
// build cannot read the modules of 64-bit processes, and names them from
// their image path instead.
TEST(Process, EveryProcessTheHostCanNameIsNamed) {
    struct Nameable {
        HANDLE process;  // held, so that its end can be seen afterwards
        std::wstring name;
    };
    std::vector<Nameable> nameable;
    DWORD ids[4096];
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcesses(ids, sizeof ids, &bytes));
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        if (ids[i] == 0 || ids[i] == 4 || ids[i] == 8) continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!process) continue;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, path, &size)) {
            std::wstring p = path;
            nameable.push_back({process, p.substr(p.find_last_of(L"\\/") + 1)});
        } else {
            CloseHandle(process);
        }
    }
    ASSERT_FALSE(nameable.empty());
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    Outcome o = RunCheck(lib);
    int named = 0;
    for (const Row& r : o.rows) {
        if (r.name.empty()) continue;
        ++named;
        if (r.name == L"System Idle Process" || r.name == L"System") continue;
        EXPECT_TRUE(IsMemoryText(r.memory)) << tw::ToUtf8(r.name);
        EXPECT_FALSE(r.owner.empty()) << tw::ToUtf8(r.name);
    }
    for (const Nameable& n : nameable) {
        DWORD code = 0;
        const bool ran = GetExitCodeProcess(n.process, &code) && code == STILL_ACTIVE;
        CloseHandle(n.process);
        if (!ran) continue;  // ended meanwhile: the check may rightly have missed it
        bool listed = false;
        for (const Row& r : o.rows) listed = listed || _wcsicmp(r.name.c_str(), n.name.c_str()) == 0;
        EXPECT_TRUE(listed) << tw::ToUtf8(n.name) << " is not listed by name";
    }
    std::printf("process: %d of %d nodes named; %zu processes nameable by this program\n", named, o.nodes,
                nameable.size());
}

// sealed_process.exe, started and held: a process that has denied itself to
// every other process. The handle from its start keeps the rights it was
// given, so the test can still end it.
class SealedProcess {
public:
    explicit SealedProcess(bool limitedRight = false) {
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        HANDLE ready = CreateEventW(&sa, TRUE, FALSE, nullptr);
        if (!ready) return;
        std::wstring cmd = L"\"" + tw::TestsDir() + L"\\sealed_process.exe\" " +
                           std::to_wstring(reinterpret_cast<ULONG_PTR>(ready)) + (limitedRight ? L" --limited" : L"");
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        if (CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &info_)) {
            HANDLE waits[] = {ready, info_.hProcess};
            sealed_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
        }
        CloseHandle(ready);
    }
    ~SealedProcess() {
        if (!info_.hProcess) return;
        TerminateProcess(info_.hProcess, 0);
        WaitForSingleObject(info_.hProcess, 10000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    bool sealed() const { return sealed_; }
    DWORD id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
    bool sealed_ = false;
};

// The account name of the user the terminal-services list gives for `id`;
// empty when the list names none.
std::wstring SessionListUser(DWORD id) {
    WTS_PROCESS_INFOW* info = nullptr;
    DWORD count = 0;
    std::wstring user;
    if (!WTSEnumerateProcessesW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) return user;
    for (DWORD i = 0; i < count; ++i) {
        if (info[i].ProcessId != id) continue;
        std::printf("session list: %s user for the sealed process\n", info[i].pUserSid ? "a" : "no");
        wchar_t name[256] = {}, domain[256] = {};
        DWORD nameLen = 255, domainLen = 255;
        SID_NAME_USE use;
        if (info[i].pUserSid && LookupAccountSidW(nullptr, info[i].pUserSid, name, &nameLen, domain, &domainLen, &use)) {
            user = name;
        }
        break;
    }
    WTSFreeMemory(info);
    return user;
}

// A process the host may not open at all, with the full rights or the
// limited ones, as services and other users' programs are to a host without
// administrator rights: named from the system's snapshot, with its working
// set, its owner from the session list and its processor share.
TEST(Process, NamesAProcessItMayNotOpen) {
    SealedProcess sealed;
    ASSERT_TRUE(sealed.sealed()) << "sealed_process.exe did not start";
    for (DWORD rights : {DWORD(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ), DWORD(PROCESS_QUERY_LIMITED_INFORMATION)}) {
        SetLastError(0);
        HANDLE h = OpenProcess(rights, FALSE, sealed.id());
        EXPECT_EQ(h, nullptr) << "rights " << rights;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "rights " << rights;
        if (h) CloseHandle(h);
    }
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    Outcome o = RunCheck(lib);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.count, o.nodes);
    const Row* found = nullptr;
    int named = 0;
    for (const Row& r : o.rows) {
        if (_wcsicmp(r.name.c_str(), L"sealed_process.exe") == 0) {
            found = &r;
            ++named;
        }
    }
    ASSERT_NE(found, nullptr) << "the sealed process is not named";
    EXPECT_EQ(named, 1);
    EXPECT_EQ(found->name, L"sealed_process.exe");
    EXPECT_TRUE(IsMemoryText(found->memory)) << tw::ToUtf8(found->memory);
    EXPECT_NE(found->memory, L"0 K");
    // The owner is the user the session list names for it. Windows' list
    // names every process's user; Wine's reads it from the process and is
    // refused too, and then the owner stays empty rather than guessed.
    const std::wstring listed = SessionListUser(sealed.id());
    if (!listed.empty()) EXPECT_EQ(listed, CurrentUser());
    EXPECT_EQ(found->owner, listed);
    EXPECT_GE(found->cpu, 0);
    EXPECT_LE(found->cpu, 100);
    long sum = 0;
    for (const Row& r : o.rows) sum += r.cpu;
    EXPECT_LE(sum, 100);
    std::printf("sealed process: name %s, memory %s, owner \"%s\", share %d\n", tw::ToUtf8(found->name).c_str(),
                tw::ToUtf8(found->memory).c_str(), tw::ToUtf8(found->owner).c_str(), found->cpu);
}

// A process that allows the limited query right alone, as most processes
// of other users do on Windows: named from its image path, with its memory
// counters and, through its token or the session list, its owner.
TEST(Process, NamesAProcessOpenOnlyToTheLimitedRight) {
    SealedProcess limited(true);
    ASSERT_TRUE(limited.sealed()) << "sealed_process.exe did not start";
    HANDLE full = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, limited.id());
    EXPECT_EQ(full, nullptr);
    if (full) CloseHandle(full);
    HANDLE query = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, limited.id());
    ASSERT_NE(query, nullptr) << GetLastError();
    CloseHandle(query);
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    Outcome o = RunCheck(lib);
    const Row* found = nullptr;
    for (const Row& r : o.rows) {
        if (r.name == L"sealed_process.exe") found = &r;
    }
    ASSERT_NE(found, nullptr) << "the process is not named";
    EXPECT_TRUE(IsMemoryText(found->memory)) << tw::ToUtf8(found->memory);
    EXPECT_NE(found->memory, L"0 K");
    EXPECT_EQ(found->owner, CurrentUser());
    std::printf("limited right: memory %s, owner \"%s\", share %d\n", tw::ToUtf8(found->memory).c_str(),
                tw::ToUtf8(found->owner).c_str(), found->cpu);
}

TEST(Process, CountEqualsNodesAndSharesStayInRange) {
    tw::Library lib;
    Outcome o = RunCheck(lib);
    EXPECT_EQ(o.rc, 0);
    EXPECT_GT(o.count, 1);
    EXPECT_EQ(o.count, o.nodes);
    long sum = 0;
    for (const Row& r : o.rows) {
        EXPECT_GE(r.cpu, 0);
        EXPECT_LE(r.cpu, 100);
        sum += r.cpu;
        if (!r.name.empty()) {
            EXPECT_TRUE(IsMemoryText(r.memory));
            EXPECT_FALSE(r.owner.empty()) << std::string(r.name.begin(), r.name.end());
        }
    }
    EXPECT_LE(sum, 100);
}

TEST(Process, CountMatchesTheIdentifiersOfTheSystem) {
    tw::Library lib;
    Outcome o = RunCheck(lib);
    DWORD ids[4096];
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcesses(ids, sizeof ids, &bytes));
    // Processes of the session may come and go between the two listings.
    EXPECT_NEAR(o.count, static_cast<int>(bytes / 4), 3);
}

TEST(Process, NullListIsReleased) {
    tw::Library lib;
    EXPECT_EQ(lib.Release_Process_(nullptr), 0);
}

TEST(Process, ListingTwiceGivesTwoIndependentLists) {
    tw::Library lib;
    ProcessNode* a = nullptr;
    ProcessNode* b = nullptr;
    int ca = 0, cb = 0;
    ASSERT_EQ(lib.Check_Process_(&a, nullptr, &ca, 0), 0);
    ASSERT_EQ(lib.Check_Process_(&b, nullptr, &cb, 0), 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(lib.Release_Process_(a), 0);
    EXPECT_EQ(lib.Release_Process_(b), 0);
}

// ---- internal operations ---------------------------------------------------------

TEST(ProcessInternals, DebugPrivilegeIsEnabled) { EXPECT_TRUE(tallowick::EnableDebugPrivilege()); }

TEST(ProcessInternals, OwnerFromOwnToken) {
    tallowick::UniqueHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
    wchar_t owner[tallowick::kOwnerField] = {};
    EXPECT_TRUE(tallowick::GetOwnerFromToken(owner, token));
    EXPECT_TRUE(token);  // borrowed, not closed
    EXPECT_EQ(std::wstring(owner), CurrentUser());
    EXPECT_EQ(std::wstring(owner).find(L'\\'), std::wstring::npos);  // no domain
}

TEST(ProcessInternals, OwnerFromTokenWithoutQueryRightLeavesFieldAlone) {
    tallowick::UniqueHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_DEFAULT, token.put()));
    wchar_t owner[tallowick::kOwnerField] = L"untouched";
    EXPECT_FALSE(tallowick::GetOwnerFromToken(owner, token));
    EXPECT_EQ(std::wstring(owner), L"untouched");
}

TEST(ProcessInternals, OwnerFromWtsList) {
    wchar_t owner[261] = {};
    EXPECT_TRUE(tw::GetOwnerFromWtsList(GetCurrentProcessId(), owner));
    EXPECT_EQ(std::wstring(owner), CurrentUser());
}

TEST(ProcessInternals, ProcessMissingFromWtsListKeepsEmptyOwner) {
    wchar_t owner[261] = {};
    // Identifiers are multiples of four: this one is never a process.
    EXPECT_TRUE(tw::GetOwnerFromWtsList(0xFFFFFFF1u, owner));
    EXPECT_EQ(owner[0], L'\0');
}

TEST(ProcessInternals, SnapshotHoldsThisProcess) {
    std::vector<tallowick::SnapshotRecord> records;
    ASSERT_TRUE(tallowick::ReadProcessSnapshot(records));
    bool found = false;
    for (const auto& r : records) found = found || r.id == GetCurrentProcessId();
    EXPECT_TRUE(found);
    const int share = tallowick::TakeProcessorTimes().share(GetCurrentProcessId());
    EXPECT_GE(share, 0);
    EXPECT_LE(share, 100);
}

TEST(ProcessInternals, FillProcessNodeForItselfAndForAnEndedProcess) {
    ProcessNode* node = new ProcessNode();
    EXPECT_TRUE(tw::FillProcessNode(GetCurrentProcessId(), node));
    EXPECT_EQ(std::wstring(node->szName), OwnBaseName());
    EXPECT_FALSE(std::wstring(node->szOwner).empty());
    delete node;

    node = new ProcessNode();
    EXPECT_FALSE(tw::FillProcessNode(0xFFFFFFF1u, node));
    EXPECT_EQ(node->szName[0], L'\0');
    EXPECT_EQ(node->szOwner[0], L'\0');
    EXPECT_EQ(node->szMemory[0], L'\0');
    EXPECT_EQ(node->nCpuPercent, 0);
    delete node;
}

TEST(ProcessInternals, IdentifiersListIsComplete) {
    std::vector<DWORD> ids;
    ASSERT_TRUE(tallowick::EnumerateProcessIds(ids));
    bool found = false;
    for (DWORD id : ids) found = found || id == GetCurrentProcessId();
    EXPECT_TRUE(found);
}

}  // namespace
