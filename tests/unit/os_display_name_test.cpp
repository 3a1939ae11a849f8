// The display name over made-up version facts: every stage's rules, the
// examples and the edges.
#include <gtest/gtest.h>

#include "core/os_version.h"

using namespace tallowick;

namespace {

struct Facts {
    VersionFacts f;
    Facts(std::uint32_t platform, std::uint32_t major, std::uint32_t minor) {
        f.versionRead = true;
        f.extended = true;
        f.platformId = platform;
        f.major = major;
        f.minor = minor;
    }
    Facts& type(std::uint8_t t) { f.productType = t; return *this; }
    Facts& suite(std::uint16_t s) { f.suiteMask = s; return *this; }
    Facts& sp(const char16_t* t) { f.servicePack = t; return *this; }
    Facts& build(std::uint32_t b) { f.build = b; return *this; }
    Facts& amd64() { f.architecture = kArchAmd64; return *this; }
    Facts& r2() { f.serverR2 = true; return *this; }
    Facts& basic() { f.extended = false; f.productType = 0; f.suiteMask = 0; return *this; }
    Facts& storedType(std::optional<Text> t) { f.storedProductType = std::move(t); return *this; }
    Facts& storedName(std::optional<Text> t) { f.storedProductName = std::move(t); return *this; }
    Facts& hotfix() { f.hotfixQ246009 = true; return *this; }
};

Facts Nt(std::uint32_t major, std::uint32_t minor) { return Facts(kPlatformNt, major, minor); }
Facts Win9x(std::uint32_t minor) { return Facts(kPlatformWindows, 4, minor).basic(); }

struct NameCase {
    const char* name;
    Facts facts;
    Text expected;
    int built;
};

constexpr std::uint8_t kWs = kProductWorkstation, kDc = kProductDomainController, kSrv = kProductServer;

TEST(BuildOsDisplayName, EveryRule) {
    const NameCase cases[] = {
        // The examples.
        {"xp professional sp2", Nt(5, 1).type(kWs).sp(u"Service Pack 2").build(2600),
         u"Microsoft Windows XP Professional Service Pack 2 (Build 2600) ", 1},
        {"2003 r2 enterprise", Nt(5, 2).r2().type(kSrv).suite(kSuiteEnterprise).sp(u"Service Pack 2").build(3790),
         u"Microsoft Windows Server 2003 R2 Enterprise Edition Service Pack 2 (Build 3790) ", 1},
        {"nt4 sp6 with hotfix", Nt(4, 0).type(kWs).sp(u"Service Pack 6").build(1381).hotfix(),
         u"Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381) ", 1},
        // Stage 1 base names and stage 2 editions for workstations.
        {"xp home, empty service pack", Nt(5, 1).type(kWs).suite(kSuitePersonal).build(2600),
         u"Microsoft Windows XP Home Edition  (Build 2600) ", 1},
        {"2000 professional", Nt(5, 0).type(kWs).sp(u"Service Pack 4").build(2195),
         u"Microsoft Windows 2000 Professional Service Pack 4 (Build 2195) ", 1},
        {"xp x64 without edition", Nt(5, 2).type(kWs).amd64().sp(u"Service Pack 2").build(3790),
         u"Microsoft Windows XP Professional x64 Edition Service Pack 2 (Build 3790) ", 1},
        {"5.2 workstation amd64 r2", Nt(5, 2).type(kWs).amd64().r2().build(3790),
         u"Microsoft Windows Server 2003 R2  (Build 3790) ", 1},
        {"5.2 workstation x86", Nt(5, 2).type(kWs).build(3790),
         u"Microsoft Windows Server 2003 Professional  (Build 3790) ", 1},
        {"nt4 workstation amd64", Nt(4, 0).type(kWs).amd64().sp(u"Service Pack 6").build(1381),
         u"Microsoft Windows NT Service Pack 6 (Build 1381) ", 1},
        // 5.2 servers: suite rules in order.
        {"2003 datacenter", Nt(5, 2).type(kSrv).suite(kSuiteDatacenter | kSuiteEnterprise).build(3790),
         u"Microsoft Windows Server 2003 Datacenter Edition  (Build 3790) ", 1},
        {"2003 enterprise dc", Nt(5, 2).type(kDc).suite(kSuiteEnterprise).build(3790),
         u"Microsoft Windows Server 2003 Enterprise Edition  (Build 3790) ", 1},
        {"2003 web", Nt(5, 2).type(kSrv).suite(kSuiteBlade).build(3790),
         u"Microsoft Windows Server 2003 Web Edition  (Build 3790) ", 1},
        {"2003 blade plus terminal", Nt(5, 2).type(kSrv).suite(kSuiteBlade | 0x0010).build(3790),
         u"Microsoft Windows Server 2003 Standard Edition  (Build 3790) ", 1},
        {"2003 blade plus enterprise", Nt(5, 2).type(kSrv).suite(kSuiteBlade | kSuiteEnterprise).build(3790),
         u"Microsoft Windows Server 2003 Enterprise Edition  (Build 3790) ", 1},
        {"2003 standard", Nt(5, 2).type(kSrv).suite(0x0100).build(3790),
         u"Microsoft Windows Server 2003 Standard Edition  (Build 3790) ", 1},
        // 5.0 servers.
        {"2000 datacenter", Nt(5, 0).type(kSrv).suite(kSuiteDatacenter).build(2195),
         u"Microsoft Windows 2000 Datacenter Server  (Build 2195) ", 1},
        {"2000 advanced", Nt(5, 0).type(kDc).suite(kSuiteEnterprise).build(2195),
         u"Microsoft Windows 2000 Advanced Server  (Build 2195) ", 1},
        {"2000 server", Nt(5, 0).type(kSrv).build(2195), u"Microsoft Windows 2000 Server  (Build 2195) ", 1},
        // Other servers.
        {"nt4 server", Nt(4, 0).type(kSrv).sp(u"Service Pack 5").build(1381),
         u"Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381) ", 1},
        {"nt4 enterprise", Nt(4, 0).type(kSrv).suite(kSuiteEnterprise).build(1381),
         u"Microsoft Windows NT Server 4.0, Enterprise Edition  (Build 1381) ", 1},
        {"5.1 server type", Nt(5, 1).type(kSrv).build(2600), u"Microsoft Windows XP Server 4.0  (Build 2600) ", 1},
        {"5.3 has no base name", Nt(5, 3).type(kWs).build(1), u"Professional  (Build 1) ", 1},
        // Version 6.0.
        {"vista stored name only", Nt(6, 0).type(kWs).sp(u"Service Pack 2").build(6002)
                                       .storedName(u"Windows Vista (TM) Ultimate"),
         u"Windows Vista (TM) Ultimate", 1},
        {"vista empty stored name", Nt(6, 0).type(kWs).storedName(u""), u"", 1},
        {"vista stored name unreadable", Nt(6, 0).type(kWs).storedName(std::nullopt), u"", 0},
        {"longhorn server", Nt(6, 0).type(kSrv).sp(u"Service Pack 1").build(6001),
         u"Windows Server Longhorn Server 4.0 Service Pack 1 (Build 6001) ", 1},
        {"longhorn enterprise", Nt(6, 0).type(kDc).suite(kSuiteEnterprise).build(6001),
         u"Windows Server Longhorn Server 4.0, Enterprise Edition  (Build 6001) ", 1},
        // 6.1 and later: no base name.
        {"6.1 workstation", Nt(6, 1).type(kWs).sp(u"Service Pack 1").build(7601),
         u"Professional Service Pack 1 (Build 7601) ", 1},
        {"6.1 home", Nt(6, 1).type(kWs).suite(kSuitePersonal).build(7601), u"Home Edition  (Build 7601) ", 1},
        {"6.1 workstation amd64", Nt(6, 1).type(kWs).amd64().sp(u"Service Pack 1").build(7601),
         u"Service Pack 1 (Build 7601) ", 1},
        {"6.1 server", Nt(6, 1).type(kSrv).build(7601), u"Server 4.0  (Build 7601) ", 1},
        {"10.0 enterprise server", Nt(10, 0).type(kSrv).suite(kSuiteEnterprise).build(17763),
         u"Server 4.0, Enterprise Edition  (Build 17763) ", 1},
        {"product type 0 with extended", Nt(5, 1).type(0).build(2600), u"Microsoft Windows XP  (Build 2600) ", 1},
        // Build numbers: the low word, unsigned.
        {"build above 65535", Nt(6, 1).type(kWs).build(65536 + 7601), u"Professional  (Build 7601) ", 1},
        {"build high bit set", Nt(6, 1).type(kWs).build(0xF000FFFFu), u"Professional  (Build 65535) ", 1},
        // Service pack 6a.
        {"sp6 lower case with hotfix", Nt(4, 0).type(kWs).sp(u"service pack 6").build(1381).hotfix(),
         u"Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381) ", 1},
        {"sp6 lower case without hotfix", Nt(4, 0).type(kWs).sp(u"service pack 6").build(1381),
         u"Microsoft Windows NT Workstation 4.0 service pack 6 (Build 1381) ", 1},
        {"sp6a text with hotfix", Nt(4, 0).type(kWs).sp(u"Service Pack 6a").build(1381).hotfix(),
         u"Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381) ", 1},
        {"sp6 on 5.0 ignores hotfix", Nt(5, 0).type(kWs).sp(u"Service Pack 6").build(2195).hotfix(),
         u"Microsoft Windows 2000 Professional Service Pack 6 (Build 2195) ", 1},
        // NT without extended information: stored product type, case-insensitive.
        {"basic lanmannt sp5", Nt(4, 0).basic().storedType(u"LANMANNT").sp(u"Service Pack 5").build(1381),
         u"Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381) ", 1},
        {"basic winnt", Nt(4, 0).basic().storedType(u"WINNT").sp(u"Service Pack 3").build(1381),
         u"Microsoft Windows NT Workstation 4.0 Service Pack 3 (Build 1381) ", 1},
        {"basic WinNT mixed case", Nt(4, 0).basic().storedType(u"WinNT").build(1381),
         u"Microsoft Windows NT Workstation 4.0  (Build 1381) ", 1},
        {"basic servernt", Nt(3, 51).basic().storedType(u"servernt").build(1057),
         u"Microsoft Windows NT Advanced Server 3.51  (Build 1057) ", 1},
        {"basic unknown type", Nt(4, 0).basic().storedType(u"Other").build(1381),
         u"Microsoft Windows NT 4.0  (Build 1381) ", 1},
        {"basic empty type", Nt(4, 0).basic().storedType(u"").build(1381),
         u"Microsoft Windows NT 4.0  (Build 1381) ", 1},
        {"basic type unreadable", Nt(4, 0).basic().storedType(std::nullopt).build(1381),
         u"Microsoft Windows NT ", 0},
        {"basic 6.0 is longhorn", Nt(6, 0).basic().storedType(u"WinNT").build(6002),
         u"Windows Server Longhorn Workstation 6.0  (Build 6002) ", 1},
        {"basic sp6 with hotfix", Nt(4, 0).basic().storedType(u"WINNT").sp(u"Service Pack 6").build(1381).hotfix(),
         u"Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381) ", 1},
        {"basic major 7", Nt(7, 0).basic().storedType(u"WINNT").build(1), u"Workstation 7.0  (Build 1) ", 1},
        {"basic version printed signed", Nt(0x80000000u, 1).basic().storedType(u"WINNT").build(1),
         u"Workstation -2147483648.1  (Build 1) ", 1},
        // Windows 95 family.
        {"95", Win9x(0).sp(u""), u"Microsoft Windows 95 ", 1},
        {"95 osr2 B", Win9x(0).sp(u" B"), u"Microsoft Windows 95 OSR2 ", 1},
        {"95 osr2 C", Win9x(0).sp(u" C "), u"Microsoft Windows 95 OSR2 ", 1},
        {"95 lower c", Win9x(0).sp(u" c"), u"Microsoft Windows 95 ", 1},
        {"95 letter first", Win9x(0).sp(u"C"), u"Microsoft Windows 95 ", 1},
        {"95 with A", Win9x(0).sp(u" A "), u"Microsoft Windows 95 ", 1},
        {"98", Win9x(10).sp(u""), u"Microsoft Windows 98 ", 1},
        {"98 se", Win9x(10).sp(u" A "), u"Microsoft Windows 98 SE ", 1},
        {"98 with B", Win9x(10).sp(u" B"), u"Microsoft Windows 98 ", 1},
        {"me", Win9x(90).sp(u" A "), u"Microsoft Windows Millennium Edition ", 1},
        {"4.3", Win9x(3), u"", 1},
        {"9x major 5", Facts(kPlatformWindows, 5, 0).basic(), u"", 1},
        // Other platforms.
        {"win32s", Facts(kPlatformWin32s, 3, 10).basic(), u"Microsoft Win32s", 1},
        {"platform 3", Facts(3, 5, 1).type(kWs).build(1), u"", 1},
        {"platform 3 basic", Facts(3, 4, 0).basic(), u"", 1},
    };
    for (const NameCase& c : cases) {
        Text name;
        EXPECT_EQ(BuildOsDisplayName(c.facts.f, name), c.built) << c.name;
        EXPECT_EQ(ToUtf8(name), ToUtf8(c.expected)) << c.name;
    }
}

TEST(BuildOsDisplayName, UnreadableVersionGivesNothing) {
    Text name;
    EXPECT_EQ(BuildOsDisplayName(VersionFacts(), name), 0);
    EXPECT_EQ(name, u"");
}

TEST(BuildOsDisplayName, LongestNamesFitTheCallersBuffer) {
    // The longest service-pack text (127 units) behind the longest base name
    // and edition, and the longest stored-type path.
    Text sp(127, u'x');
    Text a, b;
    BuildOsDisplayName(Nt(5, 2).type(kWs).suite(0).sp(sp.c_str()).build(65535).f, a);
    BuildOsDisplayName(Nt(0xFFFFFFFFu, 0xFFFFFFFFu).basic().storedType(u"LANMANNT").sp(sp.c_str()).build(65535).f, b);
    EXPECT_LT(a.size(), 256u);
    EXPECT_LT(b.size(), 256u);
}

TEST(BuildOsDisplayName, RegistryFactsAreAskedForOnlyWhereTheyDecide) {
    EXPECT_TRUE(NameNeedsStoredProductName(Nt(6, 0).type(kWs).f));
    EXPECT_FALSE(NameNeedsStoredProductName(Nt(6, 0).type(kSrv).f));
    EXPECT_FALSE(NameNeedsStoredProductName(Nt(6, 1).type(kWs).f));
    EXPECT_TRUE(NameNeedsStoredProductType(Nt(4, 0).basic().f));
    EXPECT_TRUE(NameNeedsStoredProductType(Nt(6, 0).basic().f));
    EXPECT_FALSE(NameNeedsStoredProductType(Nt(4, 0).type(kWs).f));
    EXPECT_FALSE(NameNeedsStoredProductType(Win9x(0).f));
    EXPECT_TRUE(NameNeedsHotfixTest(Nt(4, 0).type(kWs).sp(u"SERVICE PACK 6").f));
    EXPECT_FALSE(NameNeedsHotfixTest(Nt(4, 0).type(kWs).sp(u"Service Pack 6a").f));
    EXPECT_FALSE(NameNeedsHotfixTest(Nt(5, 0).type(kWs).sp(u"Service Pack 6").f));
    EXPECT_TRUE(NeedsServerR2(Nt(5, 2).f));
    EXPECT_FALSE(NeedsServerR2(Nt(5, 1).f));
}

}  // namespace
