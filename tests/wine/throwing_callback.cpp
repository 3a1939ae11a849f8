// A host callback that lets a C++ exception escape, over every check that
// calls the callback. Out of contract, but hosts do it: on x64 the check
// returns 1 and frees what it had built (the host's own handler never sees
// the exception); on x86 the exception cannot be carried through the
// library's frames and the process ends in std::terminate, which a child
// process shows. A throw while the drive survey's defragmenter runs (under
// an emulated XP) leaves no work file beside the host and no defragmenter
// running.
// ctest-lock: prefix
#include <gtest/gtest.h>

#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr bool kX64 = sizeof(void*) == 8;
const wchar_t kChildVariable[] = L"TALLOWICK_THROWING_CHILD";
// Exit codes of the child: the check came back with code 1 without the host's
// handler running; the host's handler ran.
constexpr int kChildCheckReturned = 7;
constexpr int kChildHandlerRan = 42;

// Throws at its `throwAt`-th call (counted in the context), answers 0 before.
struct Thrower {
    int calls = 0;
    int throwAt = 1;
};

int __cdecl ThrowingCallback(const wchar_t*, int, int, int, int, intptr_t context, const wchar_t*, int, int*) {
    Thrower* t = reinterpret_cast<Thrower*>(context);
    if (++t->calls >= t->throwAt) throw std::runtime_error("host callback failed");
    return 0;
}

// Calls the callback takes for one undisturbed run of `check`.
template <typename Check>
int CallbackCalls(Check check) {
    Thrower counter;
    counter.throwAt = 1 << 30;
    check(reinterpret_cast<intptr_t>(&counter));
    return counter.calls;
}

struct Figures {
    SIZE_T heap;
    DWORD handles;
};
Figures Measure() { return {tw::HeapBytesInUse(), tw::ProbeHandleCount()}; }

// Runs `check` with the callback throwing at each of its calls in turn,
// `rounds` times over; every run must return 1, and the heap and handle
// figures must come back to where they were.
template <typename Check>
void ExpectNoLeakWhenTheCallbackThrows(const char* name, Check check, int rounds) {
    const int calls = CallbackCalls(check);
    ASSERT_GT(calls, 0) << name << " never calls its callback";
    // Warm up: what the first runs set up for good is not a leak.
    for (int at = 1; at <= calls; ++at) {
        Thrower t;
        t.throwAt = at;
        check(reinterpret_cast<intptr_t>(&t));
    }
    const Figures before = Measure();
    for (int round = 0; round < rounds; ++round) {
        for (int at = 1; at <= calls; ++at) {
            Thrower t;
            t.throwAt = at;
            EXPECT_EQ(check(reinterpret_cast<intptr_t>(&t)), 1) << name << " throw at call " << at;
        }
    }
    const Figures after = Measure();
    std::printf("%s: %d callback calls, %d throws; heap %lld bytes, handles %ld\n", name, calls, rounds * calls,
                static_cast<long long>(after.heap) - static_cast<long long>(before.heap),
                static_cast<long>(after.handles) - static_cast<long>(before.handles));
    // A leaked hardware record alone is 18 KB a throw; allow the heap's own
    // noise, far below one record.
    EXPECT_LT(static_cast<long long>(after.heap) - static_cast<long long>(before.heap), 4096) << name;
    EXPECT_LE(after.handles, before.handles + 2) << name;
}

TEST(ThrowingCallback, X64ChecksReturnOneAndFreeWhatTheyBuilt) {
    if (!kX64) GTEST_SKIP() << "x86: the exception ends the process (std::terminate); see the child test";
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    ExpectNoLeakWhenTheCallbackThrows(
        "hardware",
        [&](intptr_t context) {
            HardwareConfigResult* r = nullptr;
            int count = 0;
            int rc = lib.Check_HardwareConfig_(&r, ThrowingCallback, &count, context);
            if (r) lib.Release_HardwareConfig_(r);
            return rc;
        },
        20);
    ExpectNoLeakWhenTheCallbackThrows(
        "hdd",
        [&](intptr_t context) {
            HddNode* r = nullptr;
            int count = 0;
            int rc = lib.Check_HDD_(&r, ThrowingCallback, &count, context);
            if (r) lib.Release_HDD_(r);
            return rc;
        },
        5);
}

// Run only as the child of the test below.
TEST(ThrowingCallbackChild, HardwareCheck) {
    if (GetEnvironmentVariableW(kChildVariable, nullptr, 0) == 0) GTEST_SKIP() << "run by ThrowingCallback only";
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    Thrower t;
    HardwareConfigResult* r = nullptr;
    int count = 0;
    int rc = -1;
    try {
        rc = lib.Check_HardwareConfig_(&r, ThrowingCallback, &count, reinterpret_cast<intptr_t>(&t));
    } catch (...) {
        std::fflush(stdout);
        std::_Exit(kChildHandlerRan);
    }
    std::fflush(stdout);
    std::_Exit(rc == 1 && r == nullptr ? kChildCheckReturned : 1);
}

// Throws at the first call after the stand-in defragmenter has started (its
// log exists), so that the throw comes from a poll of the running analysis.
int __cdecl ThrowOnceTheDefragmenterRuns(const wchar_t*, int, int, int, int, intptr_t context, const wchar_t*, int,
                                         int*) {
    const std::wstring* log = reinterpret_cast<const std::wstring*>(context);
    if (tw::FileExists(*log)) throw std::runtime_error("host callback failed");
    return 0;
}

// Run only as the child of the test below, from a folder of its own.
TEST(ThrowingCallbackChild, DriveSurvey) {
    if (GetEnvironmentVariableW(kChildVariable, nullptr, 0) == 0) GTEST_SKIP() << "run by ThrowingCallback only";
    wchar_t dir[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"TW_DEFRAG_DIR", dir, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    const std::wstring log = std::wstring(dir) + L"\\log.txt";
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    HddNode* r = nullptr;
    int count = 0;
    int rc = -1;
    try {
        rc = lib.Check_HDD_(&r, ThrowOnceTheDefragmenterRuns, &count, reinterpret_cast<intptr_t>(&log));
    } catch (...) {
        std::fflush(stdout);
        std::_Exit(kChildHandlerRan);
    }
    std::fflush(stdout);
    std::_Exit(rc == 1 && r == nullptr ? kChildCheckReturned : 1);
}

TEST(ThrowingCallback, X64DriveSurveyLeavesNoWorkFileAndNoDefragmenter) {
    if (!kX64) GTEST_SKIP() << "x86: the exception ends the process (std::terminate); see the child test";
    // The stand-in defragmenter in the system folder, running long enough
    // for several polls; the host copied into a folder of its own, which
    // the analysis's work files lie beside, told it runs on XP.
    const std::wstring defrag = tw::NativeSystemDir() + L"\\defrag.exe";
    ASSERT_TRUE(CopyFileW((tw::TestsDir() + L"\\defrag\\defrag.exe").c_str(), defrag.c_str(), FALSE));
    std::unique_ptr<const std::wstring, void (*)(const std::wstring*)> removeDefrag(
        &defrag, [](const std::wstring* path) { DeleteFileW(path->c_str()); });
    tw::TempDir instructions;
    ASSERT_TRUE(tw::WriteFileBytes(instructions.file(L"report.txt"), "free = 50%\r\ntotal = 15%\r\n"));
    ASSERT_TRUE(tw::WriteFileBytes(instructions.file(L"sleep.txt"), "30000"));
    tw::TempDir hostDir;
    const std::wstring host = hostDir.file(L"it_throwing_xp.exe");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, host.c_str(), FALSE));
    tw::ScopedRegKey version(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\it_throwing_xp.exe");
    ASSERT_EQ(version.setString(L"Version", L"winxp"), ERROR_SUCCESS);

    ASSERT_TRUE(SetEnvironmentVariableW(kChildVariable, L"1"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"TW_DEFRAG_DIR", instructions.path().c_str()));
    tw::ProgramRun run = tw::RunProgram(host, L"--gtest_filter=ThrowingCallbackChild.DriveSurvey", L"", 120000);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    SetEnvironmentVariableW(L"TW_DEFRAG_DIR", nullptr);
    ASSERT_TRUE(run.started) << run.error;
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kChildCheckReturned)) << "exit code " << run.exitCode;

    const std::string log = tw::ReadFileBytes(instructions.file(L"log.txt"));
    ASSERT_NE(log.find("start "), std::string::npos) << "the defragmenter never ran";
    EXPECT_FALSE(tw::FileExists(hostDir.file(L"defrag.bat")));
    EXPECT_FALSE(tw::FileExists(hostDir.file(L"defrag.txt")));
    for (const std::string& line : tw::Split(log, '\n')) {
        if (line.rfind("start ", 0) != 0) continue;
        DWORD pid = std::stoul(line.substr(6));
        std::unique_ptr<void, decltype(&CloseHandle)> process(OpenProcess(SYNCHRONIZE, FALSE, pid), &CloseHandle);
        bool alive = process.get() && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
        EXPECT_FALSE(alive) << "defragmenter " << pid << " outlived the survey";
        std::printf("defragmenter %lu: %s\n", static_cast<unsigned long>(pid), alive ? "running" : "gone");
    }
    DeleteFileW(host.c_str());
}

TEST(ThrowingCallback, OutcomeInAProcessOfItsOwn) {
    ASSERT_TRUE(SetEnvironmentVariableW(kChildVariable, L"1"));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    tw::ProgramRun run = tw::RunProgram(self, L"--gtest_filter=ThrowingCallbackChild.HardwareCheck", L"", 120000);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    ASSERT_TRUE(run.started) << run.error;
    ASSERT_TRUE(run.ended);
    std::printf("child exit code %lu\n", static_cast<unsigned long>(run.exitCode));
    EXPECT_NE(run.exitCode, static_cast<DWORD>(kChildHandlerRan)) << "the host's handler saw the exception";
    if (kX64) {
        // The library's guard took the exception: code 1, nothing handed over.
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(kChildCheckReturned));
    } else {
        // DWARF-2 unwinding cannot cross from the host's frames into the
        // library's: std::terminate, which aborts (exit code 3).
        EXPECT_EQ(run.exitCode, 3u);
    }
}

}  // namespace
