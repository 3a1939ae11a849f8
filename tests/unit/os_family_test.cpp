// OS family classification over made-up version facts: every row of the
// family table and the edges between them.
#include <gtest/gtest.h>

#include "core/os_family.h"
#include "core/os_version.h"

using namespace tallowick;

namespace {

VersionFacts Nt(std::uint32_t major, std::uint32_t minor, std::uint8_t productType, bool extended = true) {
    VersionFacts f;
    f.versionRead = true;
    f.extended = extended;
    f.platformId = kPlatformNt;
    f.major = major;
    f.minor = minor;
    f.productType = extended ? productType : 0;
    return f;
}

VersionFacts Win9x(std::uint32_t major, std::uint32_t minor, const char16_t* letters = u"") {
    VersionFacts f;
    f.versionRead = true;
    f.extended = false;
    f.platformId = kPlatformWindows;
    f.major = major;
    f.minor = minor;
    f.servicePack = letters;
    return f;
}

VersionFacts WithArch(VersionFacts f, std::uint16_t arch) { f.architecture = arch; return f; }
VersionFacts WithR2(VersionFacts f) { f.serverR2 = true; return f; }
VersionFacts WithStoredType(VersionFacts f, std::optional<Text> type) { f.storedProductType = std::move(type); return f; }
VersionFacts WithPlatform(VersionFacts f, std::uint32_t id) { f.platformId = id; return f; }

struct FamilyCase {
    const char* name;
    VersionFacts facts;
    std::int32_t family;
};

TEST(ClassifyOsFamily, EveryRule) {
    const std::uint8_t ws = kProductWorkstation, dc = kProductDomainController, srv = kProductServer;
    const FamilyCase cases[] = {
        {"version unreadable", VersionFacts(), OsUnknown},
        {"win32s", WithPlatform(Nt(3, 10, 0, false), kPlatformWin32s), OsUnknown},
        {"platform 3", WithPlatform(Nt(5, 1, ws), 3), OsUnknown},
        // Windows 95 family.
        {"95", Win9x(4, 0), OsWin9x},
        {"95 OSR2 letter", Win9x(4, 0, u" C"), OsWin9x},
        {"98", Win9x(4, 10, u" A "), OsWin9x},
        {"me", Win9x(4, 90), OsWinMe},
        {"9x minor 3", Win9x(4, 3), OsUnknown},
        {"9x major 5", Win9x(5, 0), OsUnknown},
        {"9x major 3 minor 10", Win9x(3, 10), OsUnknown},
        // NT fixed versions, whatever the product type.
        {"vista", Nt(6, 0, ws), OsVista},
        {"server 2008", Nt(6, 0, srv), OsVista},
        {"6.0 without extended", Nt(6, 0, 0, false), OsVista},
        {"xp", Nt(5, 1, ws), OsWinXp},
        {"5.1 server type", Nt(5, 1, srv), OsWinXp},
        {"5.1 without extended", Nt(5, 1, 0, false), OsWinXp},
        {"5.2 workstation amd64", WithArch(Nt(5, 2, ws), kArchAmd64), OsWinXp},
        {"5.2 workstation amd64 r2", WithR2(WithArch(Nt(5, 2, ws), kArchAmd64)), OsServer2003},
        {"5.2 workstation x86", WithArch(Nt(5, 2, ws), 0), OsServer2003},
        {"5.2 workstation ia64", WithArch(Nt(5, 2, ws), 6), OsServer2003},
        {"5.2 server amd64", WithArch(Nt(5, 2, srv), kArchAmd64), OsServer2003},
        {"5.2 server r2", WithR2(Nt(5, 2, srv)), OsServer2003},
        {"5.2 without extended amd64", WithArch(Nt(5, 2, 0, false), kArchAmd64), OsServer2003},
        // NT with extended information, by product type.
        {"nt4 workstation", Nt(4, 0, ws), OsNt4Workstation},
        {"2000 professional", Nt(5, 0, ws), OsNtWorkstation},
        {"6.1 workstation", Nt(6, 1, ws), OsNtWorkstation},
        {"6.2 workstation", Nt(6, 2, ws), OsNtWorkstation},
        {"10.0 workstation", Nt(10, 0, ws), OsNtWorkstation},
        {"3.51 workstation", Nt(3, 51, ws), OsNtWorkstation},
        {"2000 server", Nt(5, 0, srv), OsWin2000Server},
        {"2000 domain controller", Nt(5, 0, dc), OsWin2000Server},
        {"nt4 server", Nt(4, 0, srv), OsNtServer},
        {"6.1 server", Nt(6, 1, srv), OsNtServer},
        {"6.1 domain controller", Nt(6, 1, dc), OsNtServer},
        {"5.0 product type 0", Nt(5, 0, 0), OsUnknown},
        {"4.0 product type 4", Nt(4, 0, 4), OsUnknown},
        // NT without extended information: the stored product type, with case.
        {"stored WINNT 4.0", WithStoredType(Nt(4, 0, 0, false), u"WINNT"), OsNt4Workstation},
        {"stored WINNT 5.0", WithStoredType(Nt(5, 0, 0, false), u"WINNT"), OsNt4Workstation},
        {"stored WINNT 6.1", WithStoredType(Nt(6, 1, 0, false), u"WINNT"), OsNt4Workstation},
        {"stored LANMANNT", WithStoredType(Nt(4, 0, 0, false), u"LANMANNT"), OsNtServer},
        {"stored SERVERNT", WithStoredType(Nt(4, 0, 0, false), u"SERVERNT"), OsNtServer},
        {"stored winnt lower case", WithStoredType(Nt(4, 0, 0, false), u"winnt"), OsUnknown},
        {"stored WinNT mixed case", WithStoredType(Nt(4, 0, 0, false), u"WinNT"), OsUnknown},
        {"stored empty", WithStoredType(Nt(4, 0, 0, false), u""), OsUnknown},
        {"stored WINNT with blank", WithStoredType(Nt(4, 0, 0, false), u"WINNT "), OsUnknown},
        {"stored unreadable", WithStoredType(Nt(4, 0, 0, false), std::nullopt), OsUnknown},
    };
    for (const FamilyCase& c : cases) {
        EXPECT_EQ(ClassifyOsFamily(c.facts), c.family) << c.name;
    }
}

TEST(ClassifyOsFamily, CodesAreTheFixedNumbers) {
    const std::pair<std::int32_t, int> codes[] = {
        {OsUnknown, -1}, {OsWin9x, 1}, {OsWinMe, 2}, {OsNt4Workstation, 3}, {OsNtServer, 4},
        {OsNtWorkstation, 5}, {OsWin2000Server, 6}, {OsWinXp, 7}, {OsServer2003, 8}, {OsVista, 9},
    };
    for (const auto& c : codes) EXPECT_EQ(c.first, c.second);
}

TEST(ClassifyOsFamily, StoredTypeIsReadOnlyWhenItDecides) {
    EXPECT_TRUE(FamilyNeedsStoredProductType(Nt(4, 0, 0, false)));
    EXPECT_TRUE(FamilyNeedsStoredProductType(Nt(5, 0, 0, false)));
    EXPECT_FALSE(FamilyNeedsStoredProductType(Nt(5, 2, 0, false)));
    EXPECT_FALSE(FamilyNeedsStoredProductType(Nt(6, 0, 0, false)));
    EXPECT_FALSE(FamilyNeedsStoredProductType(Nt(5, 1, 0, false)));
    EXPECT_FALSE(FamilyNeedsStoredProductType(Nt(4, 0, kProductWorkstation)));
    EXPECT_FALSE(FamilyNeedsStoredProductType(Win9x(4, 0)));
}

}  // namespace
