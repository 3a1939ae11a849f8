// The shared-folder list and its repair. Wine's own netapi32 lists no share,
// so these tests start a small host (share_host.exe) beside a stand-in
// netapi32.dll that serves a share table the test writes. The override
// netapi32=native,builtin is set for that program only, under
// HKCU\Software\Wine\AppDefaults\share_host.exe\DllOverrides: Wine takes
// WINEDLLOVERRIDES from the Unix environment, which a Windows parent cannot
// change for its child. The stand-in logs every call, which shows what the
// library asked of the platform.
// ctest-lock: netapi32_standin
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::vector<std::string> WithPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    }
    return out;
}

struct HostRun {
    DWORD exitCode = 99;
    std::vector<std::string> out;  // share_host's report
    std::vector<std::string> log;  // the stand-in's calls
};

std::wstring StandInDir() { return tw::TestsDir() + L"\\netapi32"; }

// Starts `commandLine`, whose program is named `program`, with the
// stand-in's table and log set and netapi32 loaded from the program's own
// folder; waits for it and returns its exit code.
// With `stdinFile`, the program's standard input comes from that file and
// its standard output goes to "stdout.txt" in `dir`. `loadOrder` is the
// program's netapi32 override: the empty text makes netapi32 unavailable.
DWORD RunWithStandIn(const tw::TempDir& dir, const std::wstring& program, const std::wstring& commandLine,
                     const std::wstring& workDir, const std::wstring& stdinFile = std::wstring(),
                     const std::wstring& loadOrder = L"native,builtin") {
    tw::ScopedRegKey overrides(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides");
    EXPECT_EQ(overrides.setString(L"netapi32", loadOrder), ERROR_SUCCESS);
    SetEnvironmentVariableW(L"TALLOWICK_SHARE_TABLE", dir.file(L"table.txt").c_str());
    SetEnvironmentVariableW(L"TALLOWICK_SHARE_LOG", dir.file(L"calls.log").c_str());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE in = INVALID_HANDLE_VALUE, out = INVALID_HANDLE_VALUE;
    if (!stdinFile.empty()) {
        in = CreateFileW(stdinFile.c_str(), GENERIC_READ, FILE_SHARE_READ, &sa, OPEN_EXISTING, 0, nullptr);
        out = CreateFileW(dir.file(L"stdout.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0,
                          nullptr);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = in;
        si.hStdOutput = out;
        si.hStdError = out;
    }
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = commandLine;
    DWORD code = 98;
    if (CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, workDir.c_str(), &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    return code;
}

HostRun RunShareHost(const std::string& table, const std::vector<std::wstring>& args = {},
                     const std::wstring& loadOrder = L"native,builtin") {
    tw::TempDir dir;
    HostRun run;
    EXPECT_TRUE(tw::WriteFileBytes(dir.file(L"table.txt"), table));
    std::wstring cmd = L"\"" + StandInDir() + L"\\share_host.exe\" \"" + tw::BinDir() + L"\\Tallowick.dll\" \"" +
                       dir.file(L"out.txt") + L"\"";
    for (const std::wstring& a : args) cmd += L" " + a;
    run.exitCode = RunWithStandIn(dir, L"share_host.exe", cmd, StandInDir(), std::wstring(), loadOrder);
    run.out = Lines(tw::ReadFileBytes(dir.file(L"out.txt")));
    run.log = Lines(tw::ReadFileBytes(dir.file(L"calls.log")));
    return run;
}

// Every buffer the stand-in handed out went back through NetApiBufferFree.
void ExpectBuffersFreed(const HostRun& run) {
    std::size_t enums = WithPrefix(run.log, "enum ").size();
    std::size_t handedOut = 0;
    for (const std::string& l : WithPrefix(run.log, "enum ")) {
        if (l.find("-> 0 ") != std::string::npos || l.find("-> 234 ") != std::string::npos) ++handedOut;
    }
    EXPECT_GT(enums, 0u);
    EXPECT_EQ(WithPrefix(run.log, "free ok").size(), handedOut);
    EXPECT_TRUE(WithPrefix(run.log, "free unknown").empty());
}

const std::string kMixedTable =
    "batch=2\n"
    "share|ADMIN$|0x80000000|0|C:\\windows|Remote Admin|\n"
    "share|C$|0x80000000|0|C:\\|Default share|\n"
    "share|docs|0|4|C:\\docs|文档 共享|\n"
    "share|IPC$|0x80000003|1|||\n"
    "share|printer|1|0||Laser|\n"
    "share|com1|2|0||Port|\n"
    "share|scratch|0x40000000|0|C:\\tmp|temporary|\n"
    "share|pub|0|0|C:\\pub||\n"
    "share|busy|0|4294967295|D:\\busy|wraps|\n";

TEST(Shares, KeepsOnlyPlainFoldersWithTheirTextsInPlatformOrder) {
    HostRun run = RunShareHost(kMixedTable);
    ASSERT_EQ(run.exitCode, 0u);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out[0], "check rc=0 count=3 head=1");
    std::vector<std::string> expected = {
        "node|docs|C:\\docs|Windows|4|文档 共享|0|0",
        "node|pub|C:\\pub|Windows|0||0|0",
        "node|busy|D:\\busy|Windows|-1|wraps|0|0",  // "%d" of the platform's count
    };
    EXPECT_EQ(WithPrefix(run.out, "node|"), expected);
    // Five batches of two, carried on by the resume handle from 0.
    std::vector<std::string> enums = WithPrefix(run.log, "enum ");
    std::vector<std::string> expectedEnums = {
        "enum server=- level=502 prefmax=4294967295 resume=0 -> 234 read=2",
        "enum server=- level=502 prefmax=4294967295 resume=2 -> 234 read=2",
        "enum server=- level=502 prefmax=4294967295 resume=4 -> 234 read=2",
        "enum server=- level=502 prefmax=4294967295 resume=6 -> 234 read=2",
        "enum server=- level=502 prefmax=4294967295 resume=8 -> 0 read=1",
    };
    EXPECT_EQ(enums, expectedEnums);
    ExpectBuffersFreed(run);
    EXPECT_TRUE(WithPrefix(run.log, "del ").empty());
}

TEST(Shares, OnlySystemSharesGiveAnEmptyList) {
    HostRun run = RunShareHost(
        "batch=3\n"
        "share|ADMIN$|0x80000000|0|C:\\windows||\n"
        "share|C$|0x80000000|0|C:\\||\n"
        "share|D$|0x80000000|0|D:\\||\n"
        "share|IPC$|0x80000003|2|||\n");
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out[0], "check rc=0 count=0 head=0");
    EXPECT_TRUE(WithPrefix(run.out, "node|").empty());
    ExpectBuffersFreed(run);
}

TEST(Shares, FailingEnumerationKeepsWhatWasListedBefore) {
    struct Case {
        const char* name;
        int failAt;
        const char* first;
        std::size_t nodes;
    };
    const Case cases[] = {
        {"first call fails", 1, "check rc=0 count=0 head=0", 0},  // with 53, not a refusal
        {"second call fails", 2, "check rc=0 count=1 head=1", 1},
        {"third call fails", 3, "check rc=0 count=3 head=1", 3},
    };
    for (const Case& c : cases) {
        HostRun run = RunShareHost("batch=2\nfail_status=53\nfail_at=" + std::to_string(c.failAt) +
                               "\n"
                               "share|a|0|0|C:\\a||\nshare|C$|0x80000000|0|C:\\||\n"
                               "share|b|0|0|C:\\b||\nshare|c|0|0|C:\\c||\n"
                               "share|d|0|0|C:\\d||\nshare|e|0|0|C:\\e||\n");
        ASSERT_EQ(run.exitCode, 0u) << c.name;
        EXPECT_EQ(run.out[0], c.first) << c.name;
        EXPECT_EQ(WithPrefix(run.out, "node|").size(), c.nodes) << c.name;
        EXPECT_EQ(WithPrefix(run.log, "enum ").size(), static_cast<std::size_t>(c.failAt)) << c.name;
        ExpectBuffersFreed(run);
    }
}

// A host without administrator rights is refused the detailed level (502):
// the shares come from the names level (1), with the same rules of which
// shares are listed and in what order; path and connections stay empty.
TEST(Shares, RefusedDetailComesFromTheNamesLevel) {
    HostRun run = RunShareHost("refuse_502\n" + kMixedTable);
    ASSERT_EQ(run.exitCode, 0u);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out[0], "check rc=0 count=3 head=1");
    std::vector<std::string> expected = {
        "node|docs||Windows||文档 共享|0|0",
        "node|pub||Windows|||0|0",
        "node|busy||Windows||wraps|0|0",
    };
    EXPECT_EQ(WithPrefix(run.out, "node|"), expected);
    std::vector<std::string> expectedEnums = {
        "enum server=- level=502 prefmax=4294967295 resume=0 -> 5 read=0",
        "enum server=- level=1 prefmax=4294967295 resume=0 -> 234 read=2",
        "enum server=- level=1 prefmax=4294967295 resume=2 -> 234 read=2",
        "enum server=- level=1 prefmax=4294967295 resume=4 -> 234 read=2",
        "enum server=- level=1 prefmax=4294967295 resume=6 -> 234 read=2",
        "enum server=- level=1 prefmax=4294967295 resume=8 -> 0 read=1",
    };
    EXPECT_EQ(WithPrefix(run.log, "enum "), expectedEnums);
    ExpectBuffersFreed(run);
}

// The repair still tries every selected share of a list read at the names
// level; a refused removal reports its error in the node.
TEST(Shares, RefusedDetailStillRemovesAndReportsRefusals) {
    HostRun run = RunShareHost("refuse_502\nbatch=2\n"
                               "share|alpha|0|0|C:\\alpha||\n"
                               "share|delta|0|3|C:\\delta|kept|protected\n"
                               "share|omega|0|0|C:\\omega||\n",
                               {L"--remove", L"delta", L"--remove", L"omega", L"--null-callback"});
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(WithPrefix(run.out, "check "), std::vector<std::string>{"check rc=0 count=3 head=1"});
    std::vector<std::string> dels = {"del server=- name=delta reserved=0 -> 5",
                                     "del server=- name=omega reserved=0 -> 0"};
    EXPECT_EQ(WithPrefix(run.log, "del "), dels);
    std::vector<std::string> after = {"after|alpha|0|0", "after|delta|1|5", "after|omega|1|0"};
    EXPECT_EQ(WithPrefix(run.out, "after|"), after);
    EXPECT_EQ(WithPrefix(run.out, "repair "), std::vector<std::string>{"repair rc=0"});
}

// Where the detailed level answers, nothing of the list changed: a refusal
// that comes only midway ends the list as any failure does.
TEST(Shares, RefusalAfterTheFirstBatchEndsTheList) {
    HostRun run = RunShareHost("batch=2\nfail_at=2\n"
                               "share|a|0|1|C:\\a|r|\nshare|b|0|2|C:\\b||\nshare|c|0|0|C:\\c||\n");
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out[0], "check rc=0 count=2 head=1");
    std::vector<std::string> expected = {"node|a|C:\\a|Windows|1|r|0|0", "node|b|C:\\b|Windows|2||0|0"};
    EXPECT_EQ(WithPrefix(run.out, "node|"), expected);
    EXPECT_EQ(WithPrefix(run.log, "enum ").size(), 2u);
    EXPECT_TRUE(WithPrefix(run.log, "enum server=- level=1 ").empty());
    ExpectBuffersFreed(run);
}

TEST(Shares, LongTextsAreCutToTheirFields) {
    std::string longName(300, 'n');
    std::string longPath = "C:\\" + std::string(297, 'p');
    HostRun run = RunShareHost("share|" + longName + "|0|0|" + longPath + "|" + std::string(400, 'r') + "|\n");
    ASSERT_EQ(run.exitCode, 0u);
    std::vector<std::string> nodes = WithPrefix(run.out, "node|");
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0], "node|" + std::string(259, 'n') + "|" + longPath.substr(0, 259) + "|Windows|0|" +
                            std::string(259, 'r') + "|0|0");
}

TEST(Shares, NullCountStillListsTheShares) {
    HostRun run = RunShareHost(kMixedTable, {L"--null-count"});
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out[0], "check rc=0 count=-7 head=1");
    EXPECT_EQ(WithPrefix(run.out, "node|").size(), 3u);
}

const std::string kRepairTable =
    "batch=2\n"
    "share|alpha|0|0|C:\\alpha||\n"
    "share|beta|0|1|C:\\beta||\n"
    "share|gamma|0|0|C:\\gamma||gone\n"
    "share|delta|0|0|C:\\delta||protected\n"
    "share|omega|0|0|C:\\omega||\n";

std::string Callback(const std::string& name, int node) {
    return "cb|" + name + "|node=" + std::to_string(node) + "|args=-1,-1,-1,-1|context=4660|message=0|style=0|value=0";
}

TEST(Shares, RepairRemovesTheSelectedSharesAndReportsEach) {
    struct Case {
        const char* name;
        std::vector<std::wstring> args;
        std::vector<std::string> dels;
        std::vector<std::string> callbacks;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"selected only, in list order",
         {L"--remove", L"omega", L"--remove", L"alpha"},
         {"del server=- name=alpha reserved=0 -> 0", "del server=- name=omega reserved=0 -> 0"},
         {Callback("alpha", 0), Callback("omega", 4)},
         {"after|alpha|1|0", "after|beta|0|0", "after|gamma|0|0", "after|delta|0|0", "after|omega|1|0"}},
        {"a share already gone counts as removed; access denied is stored and the walk goes on",
         {L"--remove", L"gamma", L"--remove", L"delta", L"--remove", L"omega"},
         {"del server=- name=gamma reserved=0 -> 2310", "del server=- name=delta reserved=0 -> 5",
          "del server=- name=omega reserved=0 -> 0"},
         {Callback("gamma", 2), Callback("delta", 3), Callback("omega", 4)},
         {"after|alpha|0|0", "after|beta|0|0", "after|gamma|1|0", "after|delta|1|5", "after|omega|1|0"}},
        {"a callback that answers non-zero at once stops after the first",
         {L"--remove", L"alpha", L"--remove", L"beta", L"--remove", L"omega", L"--stop-at", L"1"},
         {"del server=- name=alpha reserved=0 -> 0"},
         {Callback("alpha", 0)},
         {"after|alpha|1|0", "after|beta|1|0", "after|gamma|0|0", "after|delta|0|0", "after|omega|1|0"}},
        {"stopping at the second call leaves the third",
         {L"--remove", L"alpha", L"--remove", L"delta", L"--remove", L"omega", L"--stop-at", L"2"},
         {"del server=- name=alpha reserved=0 -> 0", "del server=- name=delta reserved=0 -> 5"},
         {Callback("alpha", 0), Callback("delta", 3)},
         {"after|alpha|1|0", "after|beta|0|0", "after|gamma|0|0", "after|delta|1|5", "after|omega|1|0"}},
        {"without a callback every selected share is handled",
         {L"--remove", L"alpha", L"--remove", L"delta", L"--remove", L"omega", L"--null-callback"},
         {"del server=- name=alpha reserved=0 -> 0", "del server=- name=delta reserved=0 -> 5",
          "del server=- name=omega reserved=0 -> 0"},
         {},
         {"after|alpha|1|0", "after|beta|0|0", "after|gamma|0|0", "after|delta|1|5", "after|omega|1|0"}},
        {"nothing selected: no removal, no callback",
         {L"--remove", L"nosuchshare"},
         {},
         {},
         {"after|alpha|0|0", "after|beta|0|0", "after|gamma|0|0", "after|delta|0|0", "after|omega|0|0"}},
    };
    for (const Case& c : cases) {
        HostRun run = RunShareHost(kRepairTable, c.args);
        ASSERT_EQ(run.exitCode, 0u) << c.name;
        EXPECT_EQ(WithPrefix(run.out, "check "), std::vector<std::string>{"check rc=0 count=5 head=1"}) << c.name;
        EXPECT_EQ(WithPrefix(run.log, "del "), c.dels) << c.name;
        EXPECT_EQ(WithPrefix(run.out, "cb|"), c.callbacks) << c.name;
        EXPECT_EQ(WithPrefix(run.out, "after|"), c.after) << c.name;
        EXPECT_EQ(WithPrefix(run.out, "repair "), std::vector<std::string>{"repair rc=0"}) << c.name;
        EXPECT_EQ(WithPrefix(run.out, "release "), std::vector<std::string>{"release rc=0"}) << c.name;
    }
}

// The command-line host's removal: a copy of tallowick.exe and the library
// beside the stand-in.
struct HostRemoval {
    DWORD exitCode = 99;
    std::string output;
    std::vector<std::string> log;
};

HostRemoval RunHostRemoval(const std::wstring& args, const std::string& answer) {
    tw::TempDir dir;
    HostRemoval r;
    std::wstring bin = dir.file(L"bin");
    tw::MakeDirs(bin);
    CopyFileW((tw::BinDir() + L"\\tallowick.exe").c_str(), (bin + L"\\tallowick.exe").c_str(), FALSE);
    CopyFileW((tw::BinDir() + L"\\Tallowick.dll").c_str(), (bin + L"\\Tallowick.dll").c_str(), FALSE);
    CopyFileW((StandInDir() + L"\\netapi32.dll").c_str(), (bin + L"\\netapi32.dll").c_str(), FALSE);
    EXPECT_TRUE(tw::WriteFileBytes(dir.file(L"table.txt"), kRepairTable));
    EXPECT_TRUE(tw::WriteFileBytes(dir.file(L"stdin.txt"), answer));
    r.exitCode = RunWithStandIn(dir, L"tallowick.exe", L"\"" + bin + L"\\tallowick.exe\" " + args, bin,
                                dir.file(L"stdin.txt"));
    r.output = tw::ReadFileBytes(dir.file(L"stdout.txt"));
    r.log = Lines(tw::ReadFileBytes(dir.file(L"calls.log")));
    return r;
}

TEST(Shares, HostRemovesNamedSharesAfterConfirmation) {
    const struct {
        const char* name;
        std::wstring args;
        std::string answer;
        std::vector<std::string> dels;
        std::vector<std::string> shown;
    } cases[] = {
        {"confirmed on the console",
         L"shares --remove ALPHA --remove delta --remove nosuch",
         "y\n",
         {"del server=- name=alpha reserved=0 -> 0", "del server=- name=delta reserved=0 -> 5"},
         {"Stop sharing alpha, delta? [y/N]", "nosuch: not shared", "removed", "failed, error 5 (access denied)"}},
        {"declined", L"shares --remove alpha", "n\n", {}, {"not confirmed: nothing removed"}},
        {"no answer at all", L"shares --remove alpha", "", {}, {"not confirmed: nothing removed"}},
        {"--yes asks nothing",
         L"shares --remove gamma --yes --json",
         "",
         {"del server=- name=gamma reserved=0 -> 2310"},
         {"\"removals\"", "\"nRemoveResult\": 0", "\"szConnections\": \"1\"", "\"nSelected\": 1"}},
    };
    for (const auto& c : cases) {
        HostRemoval r = RunHostRemoval(c.args, c.answer);
        EXPECT_EQ(r.exitCode, 0u) << c.name << "\n" << r.output;
        EXPECT_EQ(WithPrefix(r.log, "del "), c.dels) << c.name;
        for (const std::string& text : c.shown) {
            EXPECT_NE(r.output.find(text), std::string::npos) << c.name << ": no \"" << text << "\" in\n" << r.output;
        }
        if (c.answer.empty() && c.args.find(L"--yes") != std::wstring::npos) {
            EXPECT_EQ(r.output.find("[y/N]"), std::string::npos) << c.name;
        }
    }
}

// Wine's own netapi32 cannot enumerate shares (status 50): the check ends
// quietly with an empty list.
TEST(Shares, PlatformWithoutShareListingGivesEmptyList) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    ShareResourceNode* list = reinterpret_cast<ShareResourceNode*>(1);
    int count = 5;
    EXPECT_EQ(lib.Check_ShareResource_(&list, nullptr, &count, 0), 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(lib.Repair_ShareResource_(list, nullptr, 0), 0);
    EXPECT_EQ(lib.Release_ShareResource_(list), 0);
}

}  // namespace

// Hundreds of shares read in small batches, the platform failing midway:
// the shares of the batches before the failure stay listed, in order, and
// every buffer handed out is freed.
TEST(Shares, HundredsOfSharesWithAFailureMidway) {
    std::string table = "batch=7\nfail_at=30\n";
    for (int i = 0; i < 400; ++i) {
        const char* type = i % 5 == 4 ? "0x80000000" : "0";
        table += "share|s" + std::to_string(i) + "|" + type + "|" + std::to_string(i) + "|C:\\s" +
                 std::to_string(i) + "|r|\n";
    }
    HostRun run = RunShareHost(table);
    ASSERT_EQ(run.exitCode, 0u);
    // 29 batches of 7 read before the failure: shares 0 to 202, of which
    // every fifth is a system share.
    const std::size_t expected = 203 - 203 / 5;
    EXPECT_EQ(run.out[0], "check rc=0 count=" + std::to_string(expected) + " head=1");
    std::vector<std::string> nodes = WithPrefix(run.out, "node|");
    ASSERT_EQ(nodes.size(), expected);
    EXPECT_EQ(nodes.front(), "node|s0|C:\\s0|Windows|0|r|0|0");
    EXPECT_EQ(nodes.back(), "node|s202|C:\\s202|Windows|202|r|0|0");
    EXPECT_EQ(WithPrefix(run.log, "enum ").size(), 30u);
    ExpectBuffersFreed(run);
}

// netapi32 is loaded on first use. Where it cannot be loaded (the override
// "" disables it for the program), the library still loads, the check fails
// as it fails otherwise (1, no list, a count of 0), the repair of an empty
// list does nothing, and the host runs to its end.
TEST(Shares, WithoutNetapi32TheCheckFailsAndTheHostGoesOn) {
    HostRun run = RunShareHost(kMixedTable, {L"--remove", L"docs"}, L"");
    ASSERT_EQ(run.exitCode, 0u) << "3: the library did not load; 4: an export is missing";
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out[0], "check rc=1 count=0 head=0");
    EXPECT_TRUE(WithPrefix(run.out, "node|").empty());
    EXPECT_EQ(WithPrefix(run.out, "repair rc="), std::vector<std::string>{"repair rc=0"});
    EXPECT_EQ(WithPrefix(run.out, "release rc="), std::vector<std::string>{"release rc=0"});
    EXPECT_TRUE(WithPrefix(run.log, "enum ").empty()) << "the stand-in was loaded";
}
