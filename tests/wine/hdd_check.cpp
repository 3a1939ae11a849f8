// Check_HDD end to end: a stand-in defragmenter in the prefix's system32 and a
// survey host (hdd_probe.exe) started per run with its own emulated Windows
// version. Under Wine the fixed drives are C: and Z:.
// ctest-lock: prefix
// ctest-labels: bitness probe
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/os_family.h"
#include "test_support.h"

namespace {

const std::string kRecommended = "建议进行碎片整理";
const std::string kNotNeeded = "不需碎片整理";

std::wstring HostDir() { return tw::TestsDir() + L"\\hddhost\\"; }

// Where the library looks for the defragmenter (under WoW64: the 64-bit
// system folder, through Sysnative).
std::wstring SystemDefrag() { return tw::NativeSystemDir() + L"\\defrag.exe"; }

bool WorkFilesLeft() { return tw::FileExists(HostDir() + L"defrag.bat") || tw::FileExists(HostDir() + L"defrag.txt"); }

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The stand-in defragmenter installed in system32 for the scope, with its
// instruction folder named by TW_DEFRAG_DIR (inherited by the survey host,
// the command interpreter and the stand-in).
class StandIn {
public:
    explicit StandIn(bool install = true) {
        if (install) {
            installed_ = CopyFileW((tw::TestsDir() + L"\\defrag\\defrag.exe").c_str(), SystemDefrag().c_str(), FALSE);
            EXPECT_TRUE(installed_) << "cannot place the stand-in in system32";
        }
        SetEnvironmentVariableW(L"TW_DEFRAG_DIR", dir_.path().c_str());
        DeleteFileW((HostDir() + L"defrag.bat").c_str());
        DeleteFileW((HostDir() + L"defrag.txt").c_str());
    }
    ~StandIn() {
        SetEnvironmentVariableW(L"TW_DEFRAG_DIR", nullptr);
        if (installed_) DeleteFileW(SystemDefrag().c_str());
    }
    // letter 0: every drive.
    void report(const std::string& bytes, wchar_t letter = 0) { put(L"report", letter, bytes); }
    void sleep(int ms, wchar_t letter = 0) { put(L"sleep", letter, std::to_string(ms)); }
    std::string log() const { return tw::ReadFileBytes(dir_.file(L"log.txt")); }
    void clearLog() { DeleteFileW(dir_.file(L"log.txt").c_str()); }

private:
    void put(const std::wstring& stem, wchar_t letter, const std::string& bytes) {
        std::wstring name = letter ? stem + L"-" + std::wstring(1, letter) + L".txt" : stem + L".txt";
        ASSERT_TRUE(tw::WriteFileBytes(dir_.file(name), bytes));
    }
    tw::TempDir dir_;
    bool installed_ = false;
};

struct Node {
    std::string root, label, fragmentation, advice;
    unsigned long long total = 0, free = 0;
    std::string reserved;
};

// One stand-in run as the survey host saw it in the log: milliseconds since
// the survey began at its start and at its end (-1: it logged no end).
struct StandInRun {
    int start = 0;
    int end = -1;
};

struct ProbeRun {
    int exitCode = -1;
    int family = -2;
    std::string count;
    int rc = -1;
    std::vector<std::string> calls;
    std::vector<Node> nodes;
    std::vector<int> latencies;
    int alive = 0;
    int elapsed = -1;
    std::vector<StandInRun> ran;
    std::string raw;

    int callsOf(const std::string& kind) const {
        int n = 0;
        for (const std::string& c : calls) n += c.rfind(kind, 0) == 0;
        return n;
    }
    // When each call of that kind came (its "t=").
    std::vector<int> timesOf(const std::string& kind) const {
        std::vector<int> times;
        for (const std::string& c : calls) {
            std::size_t at = c.rfind(" t=");
            if (c.rfind(kind, 0) == 0 && at != std::string::npos) times.push_back(std::stoi(c.substr(at + 3)));
        }
        return times;
    }
};

// Runs the survey host with the given emulated version ("" keeps the
// prefix's default) and options.
ProbeRun RunProbe(const std::wstring& version, const std::wstring& options = L"") {
    ProbeRun run;
    // The emulated version reaches the survey host alone: a prefix-wide
    // Version would also reach Wine's services started meanwhile.
    tw::SavedRegValue saved(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\hdd_probe.exe", L"Version");
    if (!version.empty()) saved.setString(version);
    else saved.remove();
    tw::TempDir scratch;
    std::wstring out = scratch.file(L"out.txt");
    std::wstring exe = HostDir() + L"hdd_probe.exe";
    tw::ProgramRun host =
        tw::RunProgram(exe, L"\"" + tw::BinDir() + L"\\Tallowick.dll\" \"" + out + L"\" " + options, HostDir());
    if (!host.started) {
        ADD_FAILURE() << "cannot start the survey host: " << host.error;
        return run;
    }
    EXPECT_TRUE(host.ended);
    run.exitCode = static_cast<int>(host.exitCode);

    run.raw = tw::ReadFileBytes(out);
    for (const std::string& line : tw::Split(run.raw, '\n')) {
        auto value = [&](const char* key) { return line.substr(std::string(key).size()); };
        if (line.rfind("family ", 0) == 0) run.family = std::stoi(value("family "));
        else if (line.rfind("rc ", 0) == 0) run.rc = std::stoi(value("rc "));
        else if (line.rfind("count ", 0) == 0) run.count = value("count ");
        else if (line.rfind("call ", 0) == 0) run.calls.push_back(value("call "));
        else if (line.rfind("latency ", 0) == 0) run.latencies.push_back(std::stoi(value("latency ")));
        else if (line.rfind("elapsed ", 0) == 0) run.elapsed = std::stoi(value("elapsed "));
        else if (line.rfind("alive ", 0) == 0) run.alive += line.back() == '1';
        else if (line.rfind("ran ", 0) == 0) {
            std::vector<std::string> f = tw::Split(value("ran "), ' ');
            if (f.size() != 3) { ADD_FAILURE() << line; continue; }
            run.ran.push_back({std::stoi(f[1]), std::stoi(f[2])});
        }
        else if (line.rfind("node ", 0) == 0) {
            std::vector<std::string> f = tw::Split(value("node "), '|');
            if (f.size() != 7) { ADD_FAILURE() << line; continue; }
            Node n;
            n.root = f[0];
            n.label = f[1];
            n.total = std::stoull(f[2]);
            n.free = std::stoull(f[3]);
            n.fragmentation = f[4];
            n.advice = f[5];
            n.reserved = f[6];
            run.nodes.push_back(n);
        }
    }
    EXPECT_EQ(run.exitCode, 0) << run.raw;
    for (const std::string& c : run.calls) EXPECT_EQ(c.find("malformed"), std::string::npos) << c;
    EXPECT_EQ(run.alive, 0) << "a defragmenter outlived the survey\n" << run.raw;
    EXPECT_FALSE(WorkFilesLeft()) << run.raw;
    return run;
}

const std::string kXpReport15 =
    "Analysis Report\r\n    Percent free space                 = 50%\r\n\r\nVolume fragmentation\r\n"
    "    Total fragmentation                = 15%\r\n    File fragmentation = 31%\r\n";

TEST(HddCheck, FragmentationAndAdviceFollowFamilyAndReportLayout) {
    struct Case {
        const char* name;
        std::wstring version;
        int family;
        std::string report;
        std::string fragmentation;  // "" = no figures
        std::string advice;
    };
    const Case cases[] = {
        {"xp layout, two signs", L"winxp", tallowick::OsWinXp, kXpReport15, "15%碎片", kRecommended},
        {"xp layout, one digit", L"winxp", tallowick::OsWinXp, "free = 50%\r\ntotal = 6%\r\n", "6%碎片", kNotNeeded},
        {"xp layout, 100 percent", L"winxp", tallowick::OsWinXp, "free = 0%\r\ntotal = 100%\r\n", "100%碎片", kRecommended},
        {"xp layout, no sign", L"winxp", tallowick::OsWinXp, "Analysis complete.\r\n", "", ""},
        {"xp layout, signs beyond 1024 bytes", L"winxp", tallowick::OsWinXp, std::string(1100, '.') + "\r\n= 50%\r\n= 15%\r\n", "",
         ""},
        {"vista layout, one sign", L"vista", tallowick::OsVista, "Total fragmented space = 12 %\r\nLargest free = 3 GB\r\n",
         "12%碎片", kRecommended},
        {"vista layout, blank two blank", L"vista", tallowick::OsVista, "Total fragmented space = 2 %\r\n", "2%碎片", kNotNeeded},
        {"vista layout, 100 percent", L"vista", tallowick::OsVista, "Total fragmented space = 100 %\r\n", "100%碎片", kRecommended},
    };
    StandIn standIn;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standIn.clearLog();
        standIn.report(c.report);
        ProbeRun run = RunProbe(c.version);
        EXPECT_EQ(run.family, c.family);
        EXPECT_EQ(run.rc, 0);
        EXPECT_EQ(run.count, "2");
        ASSERT_EQ(run.nodes.size(), 2u) << run.raw;
        EXPECT_EQ(run.nodes[0].root, "C:\\");
        EXPECT_EQ(run.nodes[1].root, "Z:\\");
        for (const Node& n : run.nodes) {
            EXPECT_EQ(n.fragmentation, c.fragmentation) << n.root;
            EXPECT_EQ(n.advice, c.advice) << n.root;
            EXPECT_EQ(n.reserved, "0");
        }
        EXPECT_GT(run.nodes[0].total, 0u);
        EXPECT_LE(run.nodes[0].free, run.nodes[0].total);
        // One progress text before each analysis, naming the drive.
        ASSERT_EQ(run.callsOf("text "), 2) << run.raw;
        std::vector<std::string> texts;
        for (const std::string& call : run.calls) {
            if (call.rfind("text ", 0) == 0) texts.push_back(call);
        }
        EXPECT_EQ(texts[0].rfind("text 正在分析: C:\\ ... starts-before=0 ", 0), 0u) << texts[0];
        EXPECT_EQ(texts[1].rfind("text 正在分析: Z:\\ ... starts-before=1 ", 0), 0u) << texts[1];
        EXPECT_EQ(run.callsOf("letter"), 26);
        // The system's defragmenter, by its full path, once per drive.
        std::string log = standIn.log();
        EXPECT_EQ(Occurrences(log, "start "), 2) << log;
        EXPECT_EQ(Occurrences(log, "end "), 2) << log;
        EXPECT_NE(log.find("C:\\ -a"), std::string::npos) << log;
        EXPECT_NE(log.find("Z:\\ -a"), std::string::npos) << log;
    }
}

TEST(HddCheck, Family5SendsProgressButRunsNoAnalysis) {
    StandIn standIn;
    standIn.report(kXpReport15);
    // Windows 2000 Professional, Windows 7 (Wine 8's win2008r2 is the
    // workstation) and Windows 10: no client from 7 on gets an analysis.
    for (const wchar_t* version : {L"win2k", L"win2008r2", L"win10"}) {
        SCOPED_TRACE(tw::ToUtf8(version));
        ProbeRun run = RunProbe(version);
        EXPECT_EQ(run.family, tallowick::OsNtWorkstation);
        EXPECT_EQ(run.count, "2");
        ASSERT_EQ(run.nodes.size(), 2u) << run.raw;
        for (const Node& n : run.nodes) {
            EXPECT_EQ(n.fragmentation, "");
            EXPECT_EQ(n.advice, "");
            EXPECT_GT(n.total, 0u);
        }
        EXPECT_EQ(run.callsOf("text 正在分析: "), 2) << run.raw;
        EXPECT_EQ(run.callsOf("analysis"), 0);
    }
    EXPECT_EQ(standIn.log(), "") << "no defragmenter may run";
}

TEST(HddCheck, CancelBeforeTheFirstLetterListsNothing) {
    StandIn standIn;
    standIn.report(kXpReport15);
    ProbeRun run = RunProbe(L"winxp", L"--cancel-letter 1");
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.count, "0");
    EXPECT_TRUE(run.nodes.empty());
    ASSERT_EQ(run.calls.size(), 1u) << run.raw;
    EXPECT_EQ(run.calls[0].rfind("letter answer=1", 0), 0u);
    EXPECT_EQ(standIn.log(), "");
}

TEST(HddCheck, CancelBetweenLettersKeepsTheDrivesListedSoFar) {
    StandIn standIn;
    standIn.report(kXpReport15);
    ProbeRun run = RunProbe(L"winxp", L"--cancel-letter 4");  // the poll before D:
    EXPECT_EQ(run.count, "1");
    ASSERT_EQ(run.nodes.size(), 1u) << run.raw;
    EXPECT_EQ(run.nodes[0].root, "C:\\");
    EXPECT_EQ(run.nodes[0].fragmentation, "15%碎片");
    EXPECT_EQ(run.callsOf("letter"), 4);
    EXPECT_EQ(run.calls.back().rfind("letter answer=1", 0), 0u) << run.raw;
    EXPECT_EQ(Occurrences(standIn.log(), "start "), 1);
}

TEST(HddCheck, CancelDuringAnAnalysisStopsTheDefragmenterWithinOneStep) {
    StandIn standIn;
    standIn.report(kXpReport15);
    standIn.sleep(5000, L'C');
    // Answers non-zero from then on; the first answer waits until the
    // stand-in has started, however long the machine takes to start it.
    ProbeRun run = RunProbe(L"winxp", L"--cancel-analysis 1");
    EXPECT_EQ(run.count, "1");
    ASSERT_EQ(run.nodes.size(), 1u) << run.raw;
    EXPECT_EQ(run.nodes[0].root, "C:\\");
    EXPECT_EQ(run.nodes[0].fragmentation, "");
    EXPECT_EQ(run.nodes[0].advice, "");
    EXPECT_GT(run.nodes[0].total, 0u);
    EXPECT_EQ(run.callsOf("analysis"), 1);
    EXPECT_EQ(run.callsOf("letter"), 4) << "the poll before D: ends the walk";
    ASSERT_FALSE(run.latencies.empty());
    EXPECT_LT(run.latencies[0], 500) << "from the cancel answer to the next poll";
    std::string log = standIn.log();
    EXPECT_EQ(Occurrences(log, "start "), 1) << log;
    EXPECT_EQ(Occurrences(log, "end "), 0) << "the defragmenter was stopped";
    ASSERT_EQ(run.ran.size(), 1u) << run.raw;
    // The call after the cancel came `latency` after the answer.
    std::vector<int> letters = run.timesOf("letter");
    ASSERT_EQ(letters.size(), 4u) << run.raw;
    EXPECT_LE(run.ran[0].start, letters.back() - run.latencies[0]) << "the stand-in started before the cancel\n"
                                                                    << run.raw;
    std::printf("stand-in started at %d ms; cancel answer to the next poll: %d ms; survey %d ms\n",
                run.ran[0].start, run.latencies[0], run.elapsed);
    // Long before the 5 s the defragmenter would have run, counted from its
    // start (a loaded machine may take seconds to start it).
    EXPECT_LT(run.elapsed - run.ran[0].start, 3000) << run.raw;
}

TEST(HddCheck, CancelledDriveLeavesNothingForTheNextDrive) {
    StandIn standIn;
    standIn.report("free = 50%\r\ntotal = 42%\r\n", L'C');  // printed before the stand-in sleeps
    standIn.sleep(5000, L'C');
    standIn.report("free = 50%\r\ntotal = 7%\r\n", L'Z');
    ProbeRun run = RunProbe(L"winxp", L"--cancel-analysis 1 --once");
    EXPECT_EQ(run.count, "2");
    ASSERT_EQ(run.nodes.size(), 2u) << run.raw;
    EXPECT_EQ(run.nodes[0].fragmentation, "");
    EXPECT_EQ(run.nodes[1].fragmentation, "7%碎片");
    EXPECT_EQ(run.nodes[1].advice, kNotNeeded);
    EXPECT_EQ(run.callsOf("letter"), 26);
}

TEST(HddCheck, PollsEvery500msWhileTheDefragmenterRuns) {
    StandIn standIn;
    standIn.report(kXpReport15);
    standIn.sleep(1300, L'C');
    ProbeRun run = RunProbe(L"winxp");
    ASSERT_EQ(run.nodes.size(), 2u) << run.raw;
    EXPECT_EQ(run.nodes[0].fragmentation, "15%碎片");
    std::vector<int> polls = run.timesOf("analysis");
    EXPECT_GE(polls.size(), 2u) << run.raw;
    // Against the time things really took (a loaded machine starts the
    // command interpreter and the stand-in late): every poll follows a full
    // 500 ms wait, so a drive's analysis has no more polls than 500 ms steps
    // from its progress text (its batch starts after it) to the next drive's
    // text or the survey's end, nor more than one per 500 ms of the
    // stand-in's run (from its log); and the library polls while the
    // stand-in runs. A few milliseconds allow for the clock's rounding.
    std::vector<int> texts = run.timesOf("text ");
    ASSERT_EQ(texts.size(), 2u) << run.raw;
    ASSERT_EQ(run.ran.size(), 2u) << run.raw;
    texts.push_back(run.elapsed);
    for (std::size_t drive = 0; drive < 2; ++drive) {
        const int from = texts[drive], to = texts[drive + 1];
        std::size_t n = 0;
        for (int t : polls) n += t > from && t <= to;
        std::printf("drive %zu: %zu polls over the %d ms from its progress text on\n", drive, n, to - from);
        EXPECT_LE(n, static_cast<std::size_t>((to - from + 20) / 500)) << "drive " << drive << "\n" << run.raw;
    }
    const StandInRun c = run.ran[0];
    ASSERT_GE(c.end, c.start) << run.raw;
    std::size_t duringStandIn = 0;
    for (int t : polls) duringStandIn += t >= c.start && t <= c.end;
    std::printf("%zu polls over the %d ms the stand-in ran for C: (from %d ms on)\n", duringStandIn, c.end - c.start,
                c.start);
    EXPECT_LE(duringStandIn, static_cast<std::size_t>((c.end - c.start + 20) / 500 + 1)) << run.raw;
    EXPECT_GE(duringStandIn, 2u) << run.raw;
}

TEST(HddCheck, LeftoverReportIsNotReadAgain) {
    StandIn standIn;
    standIn.report(kXpReport15);
    ASSERT_TRUE(tw::WriteFileBytes(HostDir() + L"defrag.txt", "old = 1%\r\nold = 99%\r\n"));
    ProbeRun run = RunProbe(L"winxp");
    ASSERT_EQ(run.nodes.size(), 2u) << run.raw;
    EXPECT_EQ(run.nodes[0].fragmentation, "15%碎片");
}

TEST(HddCheck, NullCallbackRunsToTheEnd) {
    StandIn standIn;
    standIn.report(kXpReport15);
    standIn.sleep(600, L'C');  // at least one wait step without anyone to ask
    ProbeRun run = RunProbe(L"winxp", L"--no-callback");
    EXPECT_TRUE(run.calls.empty());
    EXPECT_EQ(run.count, "2");
    ASSERT_EQ(run.nodes.size(), 2u) << run.raw;
    EXPECT_EQ(run.nodes[0].fragmentation, "15%碎片");
    EXPECT_EQ(run.nodes[1].fragmentation, "15%碎片");
}

TEST(HddCheck, NullCountIsAccepted) {
    StandIn standIn;
    standIn.report(kXpReport15);
    ProbeRun run = RunProbe(L"vista", L"--no-count");
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.count, "none");
    EXPECT_EQ(run.nodes.size(), 2u) << run.raw;
}

TEST(HddCheck, WithoutADefragmenterDrivesHaveNoFigures) {
    StandIn standIn(false);
    ProbeRun run = RunProbe(L"winxp");
    EXPECT_EQ(run.count, "2");
    ASSERT_EQ(run.nodes.size(), 2u) << run.raw;
    for (const Node& n : run.nodes) {
        EXPECT_EQ(n.fragmentation, "");
        EXPECT_EQ(n.advice, "");
    }
    EXPECT_EQ(run.callsOf("text "), 2);
}

TEST(HddCheck, DefragmenterBesideTheHostIsNotTheOneRun) {
    StandIn standIn;
    standIn.report(kXpReport15);
    std::wstring decoy = HostDir() + L"defrag.exe";
    ASSERT_TRUE(CopyFileW((tw::TestsDir() + L"\\defrag\\defrag.exe").c_str(), decoy.c_str(), FALSE));
    ProbeRun run = RunProbe(L"winxp");
    DeleteFileW(decoy.c_str());
    std::string log = standIn.log();
    EXPECT_EQ(Occurrences(log, "start "), 2) << log;
    EXPECT_EQ(Occurrences(log, "hddhost"), 0) << log;
    // The system folder's defragmenter, under WoW64 reached through Sysnative.
    EXPECT_EQ(Occurrences(log, "system32\\defrag.exe |") + Occurrences(log, "Sysnative\\defrag.exe |"), 2) << log;
}

}  // namespace
