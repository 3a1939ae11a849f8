// The owner routes of the process check, one emulated Windows version per
// case: the case sets the version Wine reports to process_probe.exe alone and
// starts it. A workstation of the NT family past XP reads owners from the
// process tokens; the other families from the terminal-services list. Both
// must name this session's user.
// ctest-lock: process_probe
// ctest-labels: bitness probe
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "core/os_family.h"
#include "test_support.h"

namespace {

struct Probe {
    int family = -100, count = -1, nodes = -1, sum = -1;
    std::string name, owner, memory, cpu, user;
};

Probe RunProbe(const std::wstring& version) {
    Probe p;
    tw::SavedRegValue setting(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\process_probe.exe", L"Version");
    if (version.empty()) setting.remove();
    else EXPECT_EQ(setting.setString(version), ERROR_SUCCESS);

    tw::TempDir dir;
    const std::wstring out = dir.file(L"probe.txt");
    tw::ProgramRun probe = tw::RunProgram(tw::TestsDir() + L"\\process_probe.exe", L"\"" + out + L"\"");
    if (!probe.started) {
        ADD_FAILURE() << "process_probe.exe did not start: " << probe.error;
        return p;
    }
    EXPECT_TRUE(probe.ended);
    EXPECT_EQ(probe.exitCode, 0u);

    std::istringstream in(tw::ReadFileBytes(out));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (lines.size() < 9) {
        ADD_FAILURE() << "unexpected probe output";
        return p;
    }
    p.family = std::stoi(lines[0]);
    p.count = std::stoi(lines[1]);
    p.nodes = std::stoi(lines[2]);
    p.sum = std::stoi(lines[3]);
    p.name = lines[4];
    p.owner = lines[5];
    p.memory = lines[6];
    p.cpu = lines[7];
    p.user = lines[8];
    return p;
}

struct RouteCase {
    const wchar_t* version;
    int family;  // OsNtWorkstation: token route; others: terminal-services route
};

// Wine 8 swaps the product types of win7 (server) and win2008r2 (workstation).
const RouteCase kCases[] = {
    {L"win2008r2", tallowick::OsNtWorkstation},
    {L"", tallowick::OsNtWorkstation},  // Wine's own version: a 6.1 workstation
    {L"win7", tallowick::OsNtServer},
    {L"winxp", tallowick::OsWinXp},
    {L"win2003", tallowick::OsServer2003},
    {L"vista", tallowick::OsVista},
};

class ProcessRoute : public ::testing::TestWithParam<RouteCase> {};

TEST_P(ProcessRoute, FindsItselfWithItsOwner) {
    const RouteCase& c = GetParam();
    Probe p = RunProbe(c.version);
    EXPECT_EQ(p.family, c.family);
    EXPECT_GT(p.count, 1);
    EXPECT_EQ(p.count, p.nodes);
    EXPECT_GE(p.sum, 0);
    EXPECT_LE(p.sum, 100);
    EXPECT_EQ(p.name, "process_probe.exe");
    EXPECT_FALSE(p.user.empty());
    EXPECT_EQ(p.owner, p.user);
    ASSERT_GE(p.memory.size(), 3u);
    EXPECT_EQ(p.memory.substr(p.memory.size() - 2), " K");
    EXPECT_NE(p.memory, "0 K");
    ASSERT_FALSE(p.cpu.empty());
    EXPECT_GE(std::stoi(p.cpu), 0);
    EXPECT_LE(std::stoi(p.cpu), 100);
}

std::string CaseName(const ::testing::TestParamInfo<RouteCase>& info) {
    std::wstring v = info.param.version;
    return v.empty() ? "wine_default" : std::string(v.begin(), v.end());
}

INSTANTIATE_TEST_SUITE_P(Versions, ProcessRoute, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
