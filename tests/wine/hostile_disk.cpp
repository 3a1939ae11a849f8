// The drive survey against a defragmenter that misbehaves (writes nothing,
// writes megabytes, writes binary, exits at once) and against host
// directories where the work files cannot be written, whose path is near
// the 260-character limit, or whose name is not plain ASCII. The survey host (hdd_probe.exe) is copied into a
// folder of the test's choosing, since the work files lie beside the host.
// ctest-lock: prefix
// ctest-labels: bitness probe
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

// Where the library looks for the defragmenter (under WoW64: the 64-bit
// system folder, through Sysnative).
std::wstring SystemDefrag() { return tw::NativeSystemDir() + L"\\defrag.exe"; }

// The stand-in defragmenter in system32, told what to print through the
// folder named by TW_DEFRAG_DIR.
class StandIn {
public:
    StandIn() {
        // The XP layout of the report (two percent signs), for the survey
        // host alone.
        version_.setString(L"Version", L"winxp");
        installed_ = CopyFileW((tw::TestsDir() + L"\\defrag\\defrag.exe").c_str(), SystemDefrag().c_str(), FALSE);
        EXPECT_TRUE(installed_);
        SetEnvironmentVariableW(L"TW_DEFRAG_DIR", dir_.path().c_str());
    }
    ~StandIn() {
        SetEnvironmentVariableW(L"TW_DEFRAG_DIR", nullptr);
        if (installed_) DeleteFileW(SystemDefrag().c_str());
    }
    // The emulated Windows version of the survey host (winxp by default).
    void version(const wchar_t* name) { version_.setString(L"Version", name); }
    void report(const std::string& bytes) { ASSERT_TRUE(tw::WriteFileBytes(dir_.file(L"report.txt"), bytes)); }
    std::string log() const { return tw::ReadFileBytes(dir_.file(L"log.txt")); }
    void clearLog() { DeleteFileW(dir_.file(L"log.txt").c_str()); }
    // Points the stand-in at a folder that does not exist: it prints
    // nothing and ends at once.
    void lost() { SetEnvironmentVariableW(L"TW_DEFRAG_DIR", (dir_.path() + L"\\missing").c_str()); }

private:
    tw::ScopedRegKey version_{HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\hdd_probe.exe"};
    tw::TempDir dir_;
    bool installed_ = false;
};

struct SurveyRun {
    int exitCode = -1;
    int rc = -1;
    std::string count;
    std::vector<std::vector<std::string>> nodes;  // root, label, total, free, fragmentation, advice, reserved
    int elapsed = -1;
    std::string raw;
};

// Copies the survey host into `dir` and runs it there (long paths through
// the \\?\ form).
SurveyRun RunHostIn(const std::wstring& dir) {
    SurveyRun run;
    std::wstring exe = dir + L"\\hdd_probe.exe";
    if (!CopyFileW((L"\\\\?\\" + tw::TestsDir() + L"\\hddhost\\hdd_probe.exe").c_str(), (L"\\\\?\\" + exe).c_str(),
                   FALSE)) {
        ADD_FAILURE() << "cannot copy the survey host: " << GetLastError();
        return run;
    }
    tw::TempDir scratch;
    std::wstring out = scratch.file(L"out.txt");
    tw::ProgramRun host = tw::RunProgram(exe, L"\"" + tw::BinDir() + L"\\Tallowick.dll\" \"" + out + L"\"");
    if (!host.started) {
        run.exitCode = -static_cast<int>(host.error);
        DeleteFileW((L"\\\\?\\" + exe).c_str());
        return run;
    }
    EXPECT_TRUE(host.ended);
    run.exitCode = static_cast<int>(host.exitCode);
    DeleteFileW((L"\\\\?\\" + exe).c_str());
    run.raw = tw::ReadFileBytes(out);
    for (const std::string& line : tw::Split(run.raw, '\n')) {
        if (line.rfind("rc ", 0) == 0) run.rc = std::stoi(line.substr(3));
        else if (line.rfind("count ", 0) == 0) run.count = line.substr(6);
        else if (line.rfind("elapsed ", 0) == 0) run.elapsed = std::stoi(line.substr(8));
        else if (line.rfind("alive ", 0) == 0) EXPECT_EQ(line.back(), '0') << "a defragmenter outlived the survey";
        else if (line.rfind("node ", 0) == 0) run.nodes.push_back(tw::Split(line.substr(5), '|'));
    }
    EXPECT_EQ(run.exitCode, 0) << run.raw;
    EXPECT_EQ(run.rc, 0) << run.raw;
    EXPECT_EQ(run.count, "2") << run.raw;
    EXPECT_EQ(run.nodes.size(), 2u) << run.raw;
    for (const auto& node : run.nodes) EXPECT_EQ(node.size(), 7u);
    return run;
}

// Both drives carry this fragmentation text ("" = no figures and no advice).
void ExpectFragmentation(const SurveyRun& run, const std::string& fragmentation) {
    for (const auto& node : run.nodes) {
        if (node.size() != 7) continue;
        EXPECT_EQ(node[4], fragmentation) << node[0];
        if (fragmentation.empty()) EXPECT_EQ(node[5], "") << node[0];
        else EXPECT_NE(node[5], "") << node[0];
    }
}

const std::string kTwoSigns = "free = 50%\r\ntotal = 15%\r\n";

TEST(HostileDisk, DefragmenterOutputOfEveryShape) {
    StandIn standIn;
    tw::TempDir host;
    struct Case {
        const char* name;
        std::string report;
        std::string fragmentation;
    } cases[] = {
        {"writes nothing", "", ""},
        {"writes megabytes after the figures", kTwoSigns + std::string(4 << 20, 'x'), "15%碎片"},
        {"writes megabytes without a sign", std::string(4 << 20, 'y'), ""},
        {"a zero byte before the signs", std::string("ab\0cd", 5) + kTwoSigns, ""},
        {"binary bytes around the signs", std::string("\xff\xfe\x01=", 4) + "99%\x80\x81 7%", "7%碎片"},
        {"signs only", "%%%%", "0%碎片"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standIn.report(c.report);
        SurveyRun run = RunHostIn(host.path());
        ExpectFragmentation(run, c.fragmentation);
        EXPECT_FALSE(tw::FileExists(host.file(L"defrag.bat")));
        EXPECT_FALSE(tw::FileExists(host.file(L"defrag.txt")));
        std::printf("%s: survey %d ms\n", c.name, run.elapsed);
    }
    // A defragmenter that ends at once without writing anything.
    standIn.lost();
    SurveyRun run = RunHostIn(host.path());
    ExpectFragmentation(run, "");
    EXPECT_FALSE(tw::FileExists(host.file(L"defrag.bat")));
    EXPECT_FALSE(tw::FileExists(host.file(L"defrag.txt")));
}

// A work file name taken by a folder: the batch or the report cannot be
// written. The drives are still listed, without figures; no defragmenter
// runs when the batch cannot be written.
TEST(HostileDisk, WorkFilesThatCannotBeWritten) {
    StandIn standIn;
    standIn.report(kTwoSigns);
    for (const wchar_t* blocked : {L"defrag.bat", L"defrag.txt"}) {
        SCOPED_TRACE(tw::ToUtf8(blocked));
        tw::TempDir host;
        ASSERT_TRUE(CreateDirectoryW(host.file(blocked).c_str(), nullptr));
        standIn.clearLog();
        SurveyRun run = RunHostIn(host.path());
        ExpectFragmentation(run, "");
        if (std::wstring(blocked) == L"defrag.bat") {
            EXPECT_EQ(standIn.log().find("start "), std::string::npos) << "a defragmenter ran without a batch";
        } else {
            EXPECT_FALSE(tw::FileExists(host.file(L"defrag.bat")));
        }
        RemoveDirectoryW(host.file(blocked).c_str());
    }
    // A folder marked read-only: Windows ignores the mark for creating files
    // inside a folder, and so does the survey.
    tw::TempDir host;
    ASSERT_TRUE(SetFileAttributesW(host.path().c_str(), FILE_ATTRIBUTE_READONLY));
    SurveyRun run = RunHostIn(host.path());
    ExpectFragmentation(run, "15%碎片");
    SetFileAttributesW(host.path().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Host paths near 260 characters: a host path that fits is analysed, with
// work-file paths of up to 256 characters; a longer one cannot be read whole
// and the drives are listed without figures.
TEST(HostileDisk, HostPathsNearTheLimit) {
    StandIn standIn;
    standIn.report(kTwoSigns);
    tw::TempDir base;
    const std::wstring exeName = L"\\hdd_probe.exe";
    struct Case {
        std::size_t exeLength;  // whole path of the host program
        std::string fragmentation;
    } cases[] = {{240, "15%碎片"}, {259, "15%碎片"}, {275, ""}};
    std::vector<std::wstring> created;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exeLength);
        std::wstring dir = base.path() + L"\\";
        ASSERT_LT(dir.size() + exeName.size(), c.exeLength);
        // Folders of at most 100 characters until the length is reached.
        std::size_t need = c.exeLength - exeName.size() - base.path().size();
        std::wstring path = base.path();
        while (need > 0) {
            std::size_t part = need - 1 > 100 ? 100 : need - 1;
            if (need - 1 - part == 1) --part;  // never leave a one-character remainder
            path += L"\\" + std::wstring(part, L'd');
            need -= part + 1;
            if (CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr)) created.push_back(path);
            else ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        }
        ASSERT_EQ(path.size() + exeName.size(), c.exeLength);
        SurveyRun run = RunHostIn(path);
        if (run.exitCode < 0) {
            std::printf("a host path of %zu characters cannot be started (error %d)\n", c.exeLength, -run.exitCode);
            continue;
        }
        ExpectFragmentation(run, c.fragmentation);
        EXPECT_FALSE(tw::FileExists(L"\\\\?\\" + path + L"\\defrag.bat"));
        EXPECT_FALSE(tw::FileExists(L"\\\\?\\" + path + L"\\defrag.txt"));
    }
    // Remove the folders, deepest first (the long ones need the \\?\ form).
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
}

// Every file in the tree under `dir` (folders themselves are not listed).
void ListFiles(const std::wstring& dir, std::vector<std::string>& files) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFiles(dir + L"\\" + name, files);
        else files.push_back(tw::ToUtf8(dir + L"\\" + name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// The folder name that the command interpreter would make of `name` written
// in the ANSI code page and read in the OEM one; empty when that is `name`
// itself or no valid folder name.
std::wstring LookAlike(const std::wstring& name) {
    char ansi[MAX_PATH] = {};
    int n = WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), ansi, MAX_PATH, nullptr,
                                nullptr);
    wchar_t oem[MAX_PATH] = {};
    int m = n > 0 ? MultiByteToWideChar(CP_OEMCP, 0, ansi, n, oem, MAX_PATH) : 0;
    std::wstring read(oem, m > 0 ? m : 0);
    if (read == name || read.find_first_of(L"?*<>|\"") != std::wstring::npos) return std::wstring();
    return read;
}

// Host folders named beyond ASCII, under both families that run an analysis.
// The command interpreter reads the batch file in the OEM code page: a folder
// whose name it can hold gets the figures of an ASCII one; a name with a
// letter it lacks gets no analysis (no figures, no advice) and no file is
// left anywhere. Nothing lands in the look-alike folder that reading ANSI
// bytes in the OEM code page would name.
TEST(HostileDisk, HostFolderNamesBeyondAscii) {
    // The rows are written for the Western code pages of this prefix.
    if (GetACP() != 1252 || GetOEMCP() != 437) {
        GTEST_SKIP() << "code pages " << GetACP() << "/" << GetOEMCP() << ", not 1252/437";
    }
    const std::string vistaReport = "Total fragmented space = 12 %\r\n";
    struct Case {
        const wchar_t* folder;
        const wchar_t* version;
        std::string fragmentation;  // "" = no analysis
    } cases[] = {
        {L"Tools", L"winxp", "15%碎片"},
        {L"Tools", L"vista", "12%碎片"},
        {L"Müller-été", L"winxp", "15%碎片"},
        {L"Müller-été", L"vista", "12%碎片"},
        {L"Ω-Müller", L"winxp", "15%碎片"},    // in OEM 437, not in ANSI 1252
        {L"50% Müller", L"winxp", "15%碎片"},  // a percent sign
        {L"Müller-中文", L"winxp", ""},        // in neither code page
        {L"Müller-中文", L"vista", ""},
        {L"λ-été", L"vista", ""},
    };
    StandIn standIn;
    for (const Case& c : cases) {
        SCOPED_TRACE(tw::ToUtf8(c.folder) + " " + tw::ToUtf8(c.version));
        standIn.version(c.version);
        standIn.report(std::wstring(c.version) == L"vista" ? vistaReport : kTwoSigns);
        standIn.clearLog();
        tw::TempDir base;
        std::wstring host = base.file(c.folder);
        ASSERT_TRUE(CreateDirectoryW(host.c_str(), nullptr));
        std::wstring lookAlike = LookAlike(c.folder);
        if (!lookAlike.empty()) ASSERT_TRUE(CreateDirectoryW(base.file(lookAlike).c_str(), nullptr));
        SurveyRun run = RunHostIn(host);
        ExpectFragmentation(run, c.fragmentation);
        std::string log = standIn.log();
        std::size_t starts = 0;
        for (std::size_t at = log.find("start "); at != std::string::npos; at = log.find("start ", at + 1)) ++starts;
        EXPECT_EQ(starts, c.fragmentation.empty() ? 0u : 2u) << log;
        std::vector<std::string> left;
        ListFiles(base.path(), left);
        for (const std::string& file : left) ADD_FAILURE() << "left behind: " << file;
        EXPECT_FALSE(tw::FileExists(L"defrag.txt")) << "in the current folder";
        std::printf("%s %s: survey %d ms\n", tw::ToUtf8(c.folder).c_str(), tw::ToUtf8(c.version).c_str(), run.elapsed);
    }
}

}  // namespace
