// The facts about the running Windows version that the OS family and the
// display name are derived from, and the two derivations. Nothing here asks
// the system: os_version_reader_win.cpp reads the facts, and the tests make them up.
#pragma once

#include <cstdint>
#include <optional>

#include "core/text.h"

namespace tallowick {

// Platform ids of GetVersionEx.
constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows = 1;  // Windows 95 family
constexpr std::uint32_t kPlatformNt = 2;

// Product types of OSVERSIONINFOEX.
constexpr std::uint8_t kProductWorkstation = 1;
constexpr std::uint8_t kProductDomainController = 2;
constexpr std::uint8_t kProductServer = 3;

// Suite bits.
constexpr std::uint16_t kSuiteEnterprise = 0x0002;
constexpr std::uint16_t kSuiteDatacenter = 0x0080;
constexpr std::uint16_t kSuitePersonal = 0x0200;
constexpr std::uint16_t kSuiteBlade = 0x0400;  // compared with the whole mask

// Processor architectures (PROCESSOR_ARCHITECTURE_*).
constexpr std::uint32_t kArchX86 = 0;
constexpr std::uint32_t kArchAmd64 = 9;
constexpr std::uint32_t kArchArm64 = 12;
constexpr std::uint32_t kArchUnknown = 0xFFFF;

// Stored registry texts are read into 80 bytes: at most 40 units.
constexpr std::size_t kStoredTextUnits = 40;

struct VersionFacts {
    bool versionRead = false;  // one of the two GetVersionEx calls succeeded
    bool extended = false;     // the OSVERSIONINFOEX call succeeded
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    Text servicePack;          // szCSDVersion
    std::uint16_t suiteMask = 0;
    std::uint8_t productType = 0;
    std::uint16_t architecture = 0;  // native wProcessorArchitecture
    bool serverR2 = false;           // GetSystemMetrics(SM_SERVERR2) != 0

    // Registry facts; the reader fills only those that Needs...() asks for.
    // An empty optional means the value could not be read.
    std::optional<Text> storedProductName;  // CurrentVersion\ProductName
    std::optional<Text> storedProductType;  // ProductOptions\ProductType
    bool hotfixQ246009 = false;             // the service pack 6a hotfix key opens
};

// Which registry facts the derivations look at for these version facts.
bool FamilyNeedsStoredProductType(const VersionFacts& facts);
bool NameNeedsStoredProductName(const VersionFacts& facts);
bool NameNeedsStoredProductType(const VersionFacts& facts);
bool NameNeedsHotfixTest(const VersionFacts& facts);
// Whether the 5.2 rules need the R2 metric (read only for version 5.2).
bool NeedsServerR2(const VersionFacts& facts);

// The OsFamily code (os_family.h) of these facts.
std::int32_t ClassifyOsFamily(const VersionFacts& facts);

// The English display name of these facts, appended to `name`. Returns 1 when
// the name was built to its end, 0 when it stopped early (`name` then holds
// what was appended so far).
int BuildOsDisplayName(const VersionFacts& facts, Text& name);

}  // namespace tallowick
