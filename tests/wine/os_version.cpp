// The OS family and the display name end to end, one emulated Windows version
// per case: the case sets the version Wine reports to os_probe.exe and starts
// it in a new process. The prefix lock is for the HKLM values some cases
// change (stored product name, hotfix key), which every program reads.
// ctest-lock: prefix
// ctest-labels: bitness probe
#include <gtest/gtest.h>

#include "sysinfo/os_display_name.h"
#include "core/os_family.h"
#include "test_support.h"

namespace {

struct ProbeResult {
    int family = -100;
    int built = -100;
    std::string name;
};

// Runs os_probe.exe under the emulated version `version` ("" for Wine's own)
// and reads what it wrote.
ProbeResult RunProbe(const std::wstring& version) {
    ProbeResult result;
    // The per-program setting: it reaches os_probe.exe alone, never another
    // program that starts in the prefix meanwhile.
    tw::SavedRegValue setting(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\os_probe.exe", L"Version");
    if (version.empty()) setting.remove();
    else EXPECT_EQ(setting.setString(version), ERROR_SUCCESS);

    tw::TempDir dir;
    std::wstring out = dir.file(L"probe.txt");
    tw::ProgramRun probe = tw::RunProgram(tw::TestsDir() + L"\\os_probe.exe", L"\"" + out + L"\"", L"", 30000);
    if (!probe.started) {
        ADD_FAILURE() << "os_probe.exe did not start: " << probe.error;
        return result;
    }
    EXPECT_TRUE(probe.ended);
    EXPECT_EQ(probe.exitCode, 0u);

    std::string text = tw::ReadFileBytes(out);
    std::size_t a = text.find('\n');
    std::size_t b = a == std::string::npos ? a : text.find('\n', a + 1);
    if (b == std::string::npos) {
        ADD_FAILURE() << "unexpected probe output: " << text;
        return result;
    }
    result.family = std::stoi(text.substr(0, a));
    result.built = std::stoi(text.substr(a + 1, b - a - 1));
    result.name = text.substr(b + 1);
    return result;
}

// Whether the prefix's native architecture is AMD64 (a 64-bit prefix, for
// the 32-bit build under WoW64 as well as for the x64 build).
bool NativeAmd64() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

struct VersionCase {
    const wchar_t* version;
    int family;
    const char* name;
    // On a 64-bit system (architecture AMD64), where the rules differ: a
    // workstation gets no edition word, and version 5.2 workstation is
    // Windows XP x64. nullptr: the same as on x86.
    const char* amd64Name = nullptr;
    int amd64Family = 0;  // 0: the same as on x86
};

// What Wine 8 reports for each emulated version decides the expectations:
// win7 reports a server product type and win2008r2 a workstation (swapped),
// the architecture is x86 in a 32-bit prefix and AMD64 in a 64-bit one, the
// R2 metric 0, and the stored product name "Microsoft Windows 7" whatever
// the emulated version.
const VersionCase kCases[] = {
    {L"winxp", tallowick::OsWinXp, "Microsoft Windows XP Professional Service Pack 3 (Build 2600) ",
     "Microsoft Windows XP Service Pack 3 (Build 2600) "},
    {L"winxp64", tallowick::OsServer2003, "Microsoft Windows Server 2003 Professional Service Pack 2 (Build 3790) ",
     "Microsoft Windows XP Professional x64 Edition Service Pack 2 (Build 3790) ", tallowick::OsWinXp},
    {L"win2003", tallowick::OsServer2003, "Microsoft Windows Server 2003 Standard Edition Service Pack 2 (Build 3790) "},
    {L"vista", tallowick::OsVista, "Microsoft Windows 7"},
    {L"win2008", tallowick::OsVista, "Windows Server Longhorn Server 4.0 Service Pack 2 (Build 6002) "},
    {L"win7", tallowick::OsNtServer, "Server 4.0 Service Pack 1 (Build 7601) "},
    {L"win2008r2", tallowick::OsNtWorkstation, "Professional Service Pack 1 (Build 7601) ", "Service Pack 1 (Build 7601) "},
    {L"win2k", tallowick::OsNtWorkstation, "Microsoft Windows 2000 Professional Service Pack 4 (Build 2195) ",
     "Microsoft Windows 2000 Service Pack 4 (Build 2195) "},
    {L"nt40", tallowick::OsNt4Workstation, "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381) ",
     "Microsoft Windows NT Service Pack 6a (Build 1381) "},
    {L"win98", tallowick::OsWin9x, "Microsoft Windows 98 SE "},
    {L"winme", tallowick::OsWinMe, "Microsoft Windows Millennium Edition "},
    {L"win95", tallowick::OsWin9x, "Microsoft Windows 95 "},
};

class EmulatedVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(EmulatedVersion, FamilyAndDisplayName) {
    const VersionCase& c = GetParam();
    const bool amd64 = NativeAmd64();
    ProbeResult r = RunProbe(c.version);
    EXPECT_EQ(r.family, amd64 && c.amd64Family ? c.amd64Family : c.family);
    EXPECT_EQ(r.built, 1);
    EXPECT_EQ(r.name, amd64 && c.amd64Name ? c.amd64Name : c.name);
}

std::string CaseName(const ::testing::TestParamInfo<VersionCase>& info) {
    return tw::ToUtf8(info.param.version);
}

INSTANTIATE_TEST_SUITE_P(Wine, EmulatedVersion, ::testing::ValuesIn(kCases), CaseName);

// Wine's NT 4.0 already says "Service Pack 6a": the hotfix test, made only
// for the text "Service Pack 6", leaves it as it is even with the key present.
TEST(OsVersion, Nt4WithHotfixKeyKeepsItsOwnText) {
    tw::ScopedRegKey hotfix(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
    ASSERT_TRUE(hotfix.ok());
    ProbeResult r = RunProbe(L"nt40");
    EXPECT_EQ(r.name, NativeAmd64() ? "Microsoft Windows NT Service Pack 6a (Build 1381) "
                                    : "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381) ");
}

// Vista names itself by the stored product name; without it the name is empty.
TEST(OsVersion, VistaWithoutStoredProductName) {
    tw::SavedRegValue productName(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                  L"ProductName");
    productName.remove();
    ProbeResult r = RunProbe(L"vista");
    EXPECT_EQ(r.family, tallowick::OsVista);
    EXPECT_EQ(r.built, 0);
    EXPECT_EQ(r.name, "");
}

// The stored product name is read without a type check: 80 bytes of binary
// data without a terminator are taken whole and nothing behind them.
TEST(OsVersion, VistaWithUnterminatedProductName) {
    tw::SavedRegValue productName(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                  L"ProductName");
    std::wstring forty(40, L'N');
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                            KEY_SET_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, L"ProductName", 0, REG_BINARY, reinterpret_cast<const BYTE*>(forty.data()), 80),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ProbeResult r = RunProbe(L"vista");
    EXPECT_EQ(r.built, 1);
    EXPECT_EQ(r.name, std::string(40, 'N'));

    productName.setString(std::wstring(41, L'N'));  // 84 bytes: too long
    r = RunProbe(L"vista");
    EXPECT_EQ(r.built, 0);
    EXPECT_EQ(r.name, "");
}

// In the test process itself (Wine's default version) the two operations
// agree with a probe started alike.
TEST(OsVersion, InProcessMatchesDefault) {
    char16_t name[tallowick::kOsDisplayNameUnits];
    std::fill(std::begin(name), std::end(name), u'#');
    int built = tallowick::GetOsDisplayName(name);
    ProbeResult r = RunProbe(L"");
    EXPECT_EQ(tallowick::GetOsFamily(), r.family);
    EXPECT_EQ(built, r.built);
    EXPECT_EQ(tw::ToUtf8(reinterpret_cast<const wchar_t*>(name)), r.name);
}

}  // namespace
