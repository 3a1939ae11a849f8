// The OS family, the display name and the OS identity end to end, one
// emulated Windows version per case: the case sets the version Wine reports
// to os_probe.exe and starts it in a new process. The prefix lock is for the
// HKLM values some cases change (stored product name, hotfix key, the
// CurrentVersion values of the identity), which every program reads.
// ctest-lock: prefix
// ctest-labels: bitness probe
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <memory>
#include <vector>

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
// and reads what it wrote; with `identity`, also the identity record's lines.
ProbeResult RunProbe(const std::wstring& version, std::map<std::string, std::string>* identity = nullptr) {
    ProbeResult result;
    // The per-program setting: it reaches os_probe.exe alone, never another
    // program that starts in the prefix meanwhile.
    tw::SavedRegValue setting(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\os_probe.exe", L"Version");
    if (version.empty()) setting.remove();
    else EXPECT_EQ(setting.setString(version), ERROR_SUCCESS);

    tw::TempDir dir;
    std::wstring out = dir.file(L"probe.txt");
    std::wstring identityOut = dir.file(L"identity.txt");
    std::wstring args = L"\"" + out + L"\"";
    if (identity) args += L" \"" + identityOut + L"\"";
    tw::ProgramRun probe = tw::RunProgram(tw::TestsDir() + L"\\os_probe.exe", args, L"", 30000);
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
    if (identity) {
        std::string lines = tw::ReadFileBytes(identityOut);
        std::size_t at = 0;
        while (at < lines.size()) {
            std::size_t end = lines.find('\n', at);
            if (end == std::string::npos) end = lines.size();
            std::string line = lines.substr(at, end - at);
            std::size_t eq = line.find('=');
            if (eq != std::string::npos) (*identity)[line.substr(0, eq)] = line.substr(eq + 1);
            at = end + 1;
        }
    }
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
    // GetVersionEx says 6.2.9200 to all three (no manifest); the name carries
    // the true build that RtlGetVersion gives.
    {L"win8", tallowick::OsNtWorkstation, "Professional  (Build 9200) ", " (Build 9200) "},
    {L"win81", tallowick::OsNtWorkstation, "Professional  (Build 9600) ", " (Build 9600) "},
    {L"win10", tallowick::OsNtWorkstation, "Professional  (Build 18362) ", " (Build 18362) "},
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

// ---- Check_OsVersion ---------------------------------------------------------

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// One value of CurrentVersion for a case: set to a text or a number, or
// removed (the system's, 64-bit, view; the 32-bit build under WoW64 reads that
// one too). The value comes back as it was when the case ends.
struct StoredValue {
    const wchar_t* name;
    const wchar_t* text = nullptr;  // set as REG_SZ
    DWORD number = 0;               // set as REG_DWORD when text is null and number is not 0
};

class StoredState {
public:
    explicit StoredState(const std::vector<StoredValue>& values) {
        // Every value the identity reads starts removed unless the case sets it.
        for (const wchar_t* name : {L"ProductName", L"DisplayVersion", L"ReleaseId", L"EditionID",
                                    L"InstallationType", L"UBR", L"InstallDate", L"InstallTime"}) {
            saved_.emplace_back(new tw::SavedRegValue(HKEY_LOCAL_MACHINE, kCurrentVersion, name, KEY_WOW64_64KEY));
            saved_.back()->remove();
        }
        for (const StoredValue& v : values) {
            for (auto& s : saved_) {
                if (s->name() != v.name) continue;
                if (v.text) EXPECT_EQ(s->setString(v.text), ERROR_SUCCESS);
                else EXPECT_EQ(s->setDword(v.number), ERROR_SUCCESS);
            }
        }
    }

private:
    std::vector<std::unique_ptr<tw::SavedRegValue>> saved_;
};

struct IdentityCase {
    const char* name;
    const wchar_t* version;
    std::vector<StoredValue> stored;
    unsigned major, minor, build;  // what RtlGetVersion gives under Wine 8
    const char* product;
    const char* display;
    unsigned revision;
    const char* edition;
    const char* installation;  // nullptr: "Client" or "Server" by the product type
    unsigned long long install;
};

// Wine keeps no DisplayVersion, UBR, EditionID or InstallationType: each case
// sets the state it needs and removes the rest.
const IdentityCase kIdentityCases[] = {
    {"winxp", L"winxp", {{L"ProductName", L"Microsoft Windows XP"}}, 5, 1, 2600, "Windows XP Professional",
     "Service Pack 3", 0, "", nullptr, 0},
    {"vista", L"vista", {{L"ProductName", L"Windows Vista (TM) Business"}, {L"EditionID", L"Business"}}, 6, 0, 6002,
     "Windows Vista (TM) Business", "Service Pack 2", 0, "Business", nullptr, 0},
    {"win7", L"win7",
     {{L"ProductName", L"Windows 7 Professional"}, {L"InstallationType", L"Client"}, {L"InstallDate", nullptr, 1262304000}},
     6, 1, 7601, "Windows 7 Professional", "Service Pack 1", 0, "", "Client", 1262304000},
    {"win8_no_product_name", L"win8", {}, 6, 2, 9200, "Windows 8", "", 0, "", nullptr, 0},
    {"win81", L"win81", {{L"ProductName", L"Microsoft Windows 8.1"}, {L"ReleaseId", L"1511"}}, 6, 3, 9600,
     "Microsoft Windows 8.1", "1511", 0, "", nullptr, 0},
    {"win10_22h2", L"win10",
     {{L"ProductName", L"Microsoft Windows 10"}, {L"DisplayVersion", L"22H2"}, {L"ReleaseId", L"2009"},
      {L"UBR", nullptr, 5247}, {L"EditionID", L"Professional"}, {L"InstallationType", L"Client"}},
     10, 0, 18362, "Windows 10", "22H2", 5247, "Professional", "Client", 0},
    {"win10_release_id", L"win10", {{L"ProductName", L"Windows 10 Enterprise"}, {L"ReleaseId", L"1903"}}, 10, 0,
     18362, "Windows 10 Enterprise", "1903", 0, "", nullptr, 0},
    // A Windows 11 state of the registry on a system whose true build is
    // 18362: the true build decides, so the stored name stays.
    {"win10_with_windows11_values", L"win10",
     {{L"ProductName", L"Windows 10 Pro"}, {L"DisplayVersion", L"23H2"}, {L"UBR", nullptr, 2861},
      {L"EditionID", L"Professional"}, {L"InstallationType", L"Server Core"}},
     10, 0, 18362, "Windows 10 Pro", "23H2", 2861, "Professional", "Server Core", 0},
    {"win10_empty_registry", L"win10", {}, 10, 0, 18362, "Windows 10", "", 0, "", nullptr, 0},
};

class EmulatedIdentity : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(EmulatedIdentity, AnswersTheTrueSystem) {
    const IdentityCase& c = GetParam();
    StoredState state(c.stored);
    std::map<std::string, std::string> id;
    RunProbe(c.version, &id);
    auto num = [&](const char* key) { return id.count(key) ? std::stoull(id[key]) : ~0ull; };

    // The version is the one the probe reads itself from RtlGetVersion.
    ASSERT_TRUE(id.count("rtl.build")) << "the probe could not call RtlGetVersion";
    EXPECT_EQ(num("rc"), 0u);
    EXPECT_EQ(num("count"), 1u);
    EXPECT_EQ(num("cbSize"), sizeof(OsVersionResult));
    EXPECT_EQ(num("major"), num("rtl.major"));
    EXPECT_EQ(num("minor"), num("rtl.minor"));
    EXPECT_EQ(num("build"), num("rtl.build"));
    EXPECT_EQ(num("type"), num("rtl.type"));
    EXPECT_EQ(num("major"), c.major);
    EXPECT_EQ(num("minor"), c.minor);
    EXPECT_EQ(num("build"), c.build);

    EXPECT_EQ(id["product"], c.product);
    EXPECT_EQ(id["display"], c.display);
    EXPECT_EQ(num("revision"), c.revision);
    EXPECT_EQ(id["edition"], c.edition);
    EXPECT_EQ(id["installation"], c.installation ? c.installation : (num("type") == 1 ? "Client" : "Server"));
    EXPECT_EQ(num("install"), c.install);

    const bool amd64 = NativeAmd64();
    const bool process64 = sizeof(void*) == 8;
    EXPECT_EQ(num("native"), amd64 ? 9u : 0u);
    EXPECT_EQ(num("process"), process64 ? 9u : 0u);
    EXPECT_EQ(num("wow64"), amd64 && !process64 ? 1u : 0u);
    const unsigned long long now = static_cast<unsigned long long>(time(nullptr));
    EXPECT_GT(num("boot"), 1577836800u);  // after 2020
    EXPECT_LE(num("boot"), now + 1);
}

std::string IdentityCaseName(const ::testing::TestParamInfo<IdentityCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Wine, EmulatedIdentity, ::testing::ValuesIn(kIdentityCases), IdentityCaseName);

// The export itself, in the test process: the null rules, the count, the
// record's size, the release, and the library's own version.
TEST(OsVersion, ExportFollowsTheCheckRules) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    ASSERT_TRUE(lib.Check_OsVersion_ && lib.Release_OsVersion_ && lib.Tallowick_GetVersion_);
    int count = -1;
    EXPECT_EQ(lib.Check_OsVersion_(nullptr, nullptr, &count, 0), 1);
    EXPECT_EQ(lib.Release_OsVersion_(nullptr), 1);

    StoredState state({{L"ProductName", L"Windows 10 Pro"}, {L"DisplayVersion", L"22H2"}, {L"UBR", nullptr, 5247}});
    OsVersionResult* r = nullptr;
    ASSERT_EQ(lib.Check_OsVersion_(&r, nullptr, &count, 0), 0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(r->cbSize, sizeof(OsVersionResult));
    EXPECT_TRUE(TALLOWICK_HAS_FIELD(r, OsVersionResult, szInstallationType));
    EXPECT_EQ(r->nRevision, 5247u);
    EXPECT_EQ(tw::ToUtf8(r->szDisplayVersion), "22H2");
    EXPECT_EQ(r->dwReserved, 0u);
    EXPECT_EQ(lib.Release_OsVersion_(r), 0);
    r = nullptr;
    EXPECT_EQ(lib.Check_OsVersion_(&r, nullptr, nullptr, 0), 0);  // no count
    EXPECT_EQ(lib.Release_OsVersion_(r), 0);

    int major = -1, minor = -1, patch = -1;
    EXPECT_EQ(lib.Tallowick_GetVersion_(&major, &minor, &patch), TALLOWICK_VERSION);
    EXPECT_EQ(major, TALLOWICK_VERSION_MAJOR);
    EXPECT_EQ(minor, TALLOWICK_VERSION_MINOR);
    EXPECT_EQ(patch, TALLOWICK_VERSION_PATCH);
    EXPECT_EQ(lib.Tallowick_GetVersion_(nullptr, nullptr, nullptr), TALLOWICK_MAKE_VERSION(1, 1, 0));
}

}  // namespace
