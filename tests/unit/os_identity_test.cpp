// The OS identity over made-up facts: a row per Windows version and registry
// state, from XP to Windows 11 and Server 2025, and a registry that is empty.
#include <gtest/gtest.h>

#include "sysinfo/os_identity.h"

using namespace tallowick;

namespace {

constexpr std::uint8_t kWs = 1, kDc = 2, kSrv = 3;

struct Os {
    OsIdentityFacts f;
    Os(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::uint8_t type) {
        f.version.major = major;
        f.version.minor = minor;
        f.version.build = build;
        f.version.productType = type;
    }
    Os& name(const char16_t* t) { f.productName = Text(t); return *this; }
    Os& display(const char16_t* t) { f.displayVersion = Text(t); return *this; }
    Os& release(const char16_t* t) { f.releaseId = Text(t); return *this; }
    Os& edition(const char16_t* t) { f.editionId = Text(t); return *this; }
    Os& install(const char16_t* t) { f.installationType = Text(t); return *this; }
    Os& sp(const char16_t* t) { f.version.servicePack = t; return *this; }
    Os& suite(std::uint16_t s) { f.version.suiteMask = s; return *this; }
    Os& r2() { f.version.serverR2 = true; return *this; }
    Os& brand(const char16_t* t) { f.brandingName = Text(t); return *this; }
};

struct Row {
    const char* what;
    Os os;
    Text product;
    Text displayVersion;
    Text installationType;
};

TEST(OsIdentity, EveryVersionAndRegistryState) {
    const Row rows[] = {
        // XP and 2003: the stored name has no edition; the name is built.
        {"xp professional sp3", Os(5, 1, 2600, kWs).name(u"Microsoft Windows XP").sp(u"Service Pack 3"),
         u"Windows XP Professional", u"Service Pack 3", u"Client"},
        {"xp home", Os(5, 1, 2600, kWs).suite(0x0200).sp(u"Service Pack 2"), u"Windows XP Home Edition",
         u"Service Pack 2", u"Client"},
        {"xp x64", Os(5, 2, 3790, kWs).sp(u"Service Pack 2"), u"Windows XP Professional x64 Edition",
         u"Service Pack 2", u"Client"},
        {"2003 r2 enterprise", Os(5, 2, 3790, kSrv).r2().suite(0x0002).sp(u"Service Pack 2"),
         u"Windows Server 2003 R2 Enterprise Edition", u"Service Pack 2", u"Server"},
        // Vista to 8.1: the stored name as it is.
        {"vista ultimate", Os(6, 0, 6002, kWs).name(u"Windows Vista (TM) Ultimate").sp(u"Service Pack 2"),
         u"Windows Vista (TM) Ultimate", u"Service Pack 2", u"Client"},
        {"7 ultimate", Os(6, 1, 7601, kWs).name(u"Windows 7 Ultimate").sp(u"Service Pack 1").edition(u"Ultimate")
                           .install(u"Client"),
         u"Windows 7 Ultimate", u"Service Pack 1", u"Client"},
        {"2008 r2 datacenter core",
         Os(6, 1, 7601, kSrv).name(u"Windows Server 2008 R2 Datacenter").sp(u"Service Pack 1")
             .install(u"Server Core"),
         u"Windows Server 2008 R2 Datacenter", u"Service Pack 1", u"Server Core"},
        {"8.1 pro", Os(6, 3, 9600, kWs).name(u"Windows 8.1 Pro").edition(u"Professional"), u"Windows 8.1 Pro", u"",
         u"Client"},
        {"8.1 as wine stores it", Os(6, 3, 9600, kWs).name(u"Microsoft Windows 8.1"), u"Microsoft Windows 8.1", u"",
         u"Client"},
        // Windows 10: DisplayVersion, else ReleaseId; no "Microsoft ".
        {"10 1909", Os(10, 0, 18363, kWs).name(u"Windows 10 Pro").release(u"1909"), u"Windows 10 Pro", u"1909",
         u"Client"},
        {"10 20h2", Os(10, 0, 19042, kWs).name(u"Windows 10 Enterprise").release(u"2009").display(u"20H2"),
         u"Windows 10 Enterprise", u"20H2", u"Client"},
        {"10 22h2", Os(10, 0, 19045, kWs).name(u"Windows 10 Pro").release(u"2009").display(u"22H2"),
         u"Windows 10 Pro", u"22H2", u"Client"},
        {"10 ltsc 2021", Os(10, 0, 19044, kWs).name(u"Windows 10 Enterprise LTSC 2021").display(u"21H2"),
         u"Windows 10 Enterprise LTSC 2021", u"21H2", u"Client"},
        {"10 as wine stores it", Os(10, 0, 18362, kWs).name(u"Microsoft Windows 10"), u"Windows 10", u"", u"Client"},
        {"10 empty display version", Os(10, 0, 17763, kWs).name(u"Windows 10 Home").display(u"").release(u"1809"),
         u"Windows 10 Home", u"1809", u"Client"},
        // Windows 11: ProductName still says 10 from build 22000.
        {"11 23h2", Os(10, 0, 22631, kWs).name(u"Windows 10 Pro").display(u"23H2").edition(u"Professional"),
         u"Windows 11 Pro", u"23H2", u"Client"},
        {"11 21h2 home", Os(10, 0, 22000, kWs).name(u"Windows 10 Home").display(u"21H2"), u"Windows 11 Home",
         u"21H2", u"Client"},
        {"11 bare", Os(10, 0, 26100, kWs).name(u"Windows 10"), u"Windows 11", u"", u"Client"},
        {"11 with microsoft", Os(10, 0, 22631, kWs).name(u"Microsoft Windows 10 Pro"), u"Windows 11 Pro", u"",
         u"Client"},
        {"10.0 below 22000 stays 10", Os(10, 0, 21999, kWs).name(u"Windows 10 Pro"), u"Windows 10 Pro", u"",
         u"Client"},
        {"10 1000 is not 10", Os(10, 0, 22631, kWs).name(u"Windows 100"), u"Windows 100", u"", u"Client"},
        {"11 branding wins", Os(10, 0, 26100, kWs).name(u"Windows 10 Pro").brand(u"Windows 11 Pro").display(u"24H2"),
         u"Windows 11 Pro", u"24H2", u"Client"},
        // Servers of version 10: never renamed, whatever their build.
        {"2016", Os(10, 0, 14393, kSrv).name(u"Windows Server 2016 Standard").release(u"1607"),
         u"Windows Server 2016 Standard", u"1607", u"Server"},
        {"2019 dc", Os(10, 0, 17763, kDc).name(u"Windows Server 2019 Datacenter").release(u"1809")
                         .install(u"Server"),
         u"Windows Server 2019 Datacenter", u"1809", u"Server"},
        {"2022 core", Os(10, 0, 20348, kSrv).name(u"Windows Server 2022 Datacenter").display(u"21H2")
                          .install(u"Server Core").edition(u"ServerDatacenter"),
         u"Windows Server 2022 Datacenter", u"21H2", u"Server Core"},
        {"2025", Os(10, 0, 26100, kSrv).name(u"Windows Server 2025 Standard").display(u"24H2"),
         u"Windows Server 2025 Standard", u"24H2", u"Server"},
        {"2025 says 10 somehow", Os(10, 0, 26100, kSrv).name(u"Windows 10 Server"), u"Windows 10 Server", u"",
         u"Server"},
        // No registry at all: the name from the version and the edition id.
        {"10 empty registry", Os(10, 0, 19045, kWs), u"Windows 10", u"", u"Client"},
        {"11 empty registry pro", Os(10, 0, 22631, kWs).edition(u"Professional"), u"Windows 11 Pro", u"", u"Client"},
        {"2022 empty registry", Os(10, 0, 20348, kSrv).edition(u"ServerDatacenter"),
         u"Windows Server 2022 Datacenter", u"", u"Server"},
        {"2019 empty registry", Os(10, 0, 17763, kSrv), u"Windows Server 2019", u"", u"Server"},
        {"2016 empty registry", Os(10, 0, 14393, kSrv), u"Windows Server 2016", u"", u"Server"},
        {"2025 empty registry", Os(10, 0, 26100, kSrv), u"Windows Server 2025", u"", u"Server"},
        {"8.1 empty registry", Os(6, 3, 9600, kWs), u"Windows 8.1", u"", u"Client"},
        {"7 empty registry", Os(6, 1, 7601, kWs).sp(u"Service Pack 1"), u"Windows 7", u"Service Pack 1", u"Client"},
        {"2008 r2 empty name", Os(6, 1, 7601, kSrv).name(u""), u"Windows Server 2008 R2", u"", u"Server"},
        {"vista blank name", Os(6, 0, 6002, kWs).name(u"  "), u"Windows Vista", u"", u"Client"},
        {"nothing read", Os(0, 0, 0, 0), u"", u"", u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(OsProductName(row.os.f), row.product);
        EXPECT_EQ(OsDisplayVersion(row.os.f), row.displayVersion);
        EXPECT_EQ(OsInstallationType(row.os.f), row.installationType);
    }
}

TEST(OsIdentity, ArchitecturesAndTimes) {
    EXPECT_EQ(ArchitectureOfMachine(0x014c), kArchX86);
    EXPECT_EQ(ArchitectureOfMachine(0x8664), kArchAmd64);
    EXPECT_EQ(ArchitectureOfMachine(0xAA64), kArchArm64);
    EXPECT_EQ(ArchitectureOfMachine(0), kArchUnknown);

    // 2024-01-01T00:00:00Z: 1704067200 s after 1970, 13348540800 s after 1601.
    EXPECT_EQ(UnixSecondsOfFileTime(13348540800ull * 10000000ull), 1704067200ull);
    EXPECT_EQ(UnixSecondsOfFileTime(0), 0u);
    EXPECT_EQ(UnixSecondsOfFileTime(11644473600ull * 10000000ull), 0u);  // 1970 itself reads as unknown
    EXPECT_EQ(BootTimeOf(1704067200, 3600 * 1000 + 999), 1704067200ull - 3600);
    EXPECT_EQ(BootTimeOf(0, 5000), 0u);
    EXPECT_EQ(BootTimeOf(100, 200 * 1000), 0u);
}

}  // namespace
