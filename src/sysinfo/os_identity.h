// The running Windows as it names itself (Check_OsVersion): the plain facts
// read from the system and the rules that turn them into the record's texts.
// Nothing here asks the system: os_identity_win.cpp reads the facts, and the
// tests make them up.
#pragma once

#include <cstdint>
#include <optional>

#include "core/os_version.h"
#include "core/text.h"

namespace tallowick {

// The first build of Windows 11 (client); its registry ProductName still says
// "Windows 10".
constexpr std::uint32_t kFirstWindows11Build = 22000;

struct OsIdentityFacts {
    // The true version (RtlGetVersion where present), as the shared reader
    // gives it: major, minor, build, product type (1 workstation, 2 domain
    // controller, 3 server), suite mask, service-pack text, SM_SERVERR2.
    VersionFacts version;

    // HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion; empty when absent.
    std::optional<Text> productName;
    std::optional<Text> displayVersion;
    std::optional<Text> releaseId;
    std::optional<Text> editionId;
    std::optional<Text> installationType;
    std::optional<std::uint32_t> ubr;

    // The marketed name from winbrand.dll (BrandingFormatString), where it exists.
    std::optional<Text> brandingName;
};

// The name Windows shows for itself: "Windows 11 Pro", "Windows XP Professional".
Text OsProductName(const OsIdentityFacts& facts);
// "23H2" (DisplayVersion), else the release id ("1909"), else the service
// pack text, else empty.
Text OsDisplayVersion(const OsIdentityFacts& facts);
// The stored installation type, else "Client" for a workstation and "Server"
// for the rest (empty when the product type is unknown).
Text OsInstallationType(const OsIdentityFacts& facts);

// An IMAGE_FILE_MACHINE_* number as a processor architecture (kArchUnknown
// for anything else).
std::uint32_t ArchitectureOfMachine(std::uint16_t machine);

// Seconds since 1970 of a FILETIME value (100 ns since 1601); 0 for times
// before 1970.
std::uint64_t UnixSecondsOfFileTime(std::uint64_t fileTime);
// The boot time: `nowUnix` less the uptime in milliseconds, 0 when that makes
// no sense (unknown now, an uptime longer than the time since 1970).
std::uint64_t BootTimeOf(std::uint64_t nowUnix, std::uint64_t uptimeMilliseconds);

}  // namespace tallowick
