#include "core/os_version.h"

#include "core/os_family.h"

namespace tallowick {
namespace {

bool IsNt(const VersionFacts& f) { return f.versionRead && f.platformId == kPlatformNt; }
bool Is(const VersionFacts& f, std::uint32_t major, std::uint32_t minor) {
    return f.major == major && f.minor == minor;
}
bool IsServerType(std::uint8_t productType) {
    return productType == kProductDomainController || productType == kProductServer;
}

// The piece "%s (Build %d) ": the build is the low word, printed unsigned.
// The blank behind it ends every NT name: kept on purpose, hosts compare it.
Text BuildPiece(TextView servicePack, std::uint32_t build) {
    Text piece(servicePack);
    piece += u" (Build ";
    piece += FormatInt(build & 0xFFFFu);
    piece += u") ";
    return piece;
}

// Windows 95 family: only major version 4 is named; no build or service pack.
void NameWindows9x(const VersionFacts& f, Text& name) {
    if (f.major != 4) return;
    // The second unit of the service-pack text, the terminator when shorter.
    char16_t letter = f.servicePack.size() > 1 ? f.servicePack[1] : u'\0';
    switch (f.minor) {
    case 0:
        name += u"Microsoft Windows 95 ";
        if (letter == u'C' || letter == u'B') name += u"OSR2 ";
        break;
    case 10:
        name += u"Microsoft Windows 98 ";
        if (letter == u'A') name += u"SE ";
        break;
    case 90:
        name += u"Microsoft Windows Millennium Edition ";
        break;
    default:
        break;
    }
}

// NT stage 1 for everything but the 6.0 workstation.
void NtBaseName(const VersionFacts& f, Text& name) {
    // Versions 6.1 and later get no base name (the name starts with the
    // edition or the service pack): kept on purpose, hosts rely on the text.
    if (f.major == 6) {
        if (f.minor == 0) name += u"Windows Server Longhorn ";
    } else if (f.major == 5) {
        if (f.minor == 2) {
            if (f.serverR2) {
                name += u"Microsoft Windows Server 2003 R2 ";
            } else if (f.productType == kProductWorkstation && f.architecture == kArchAmd64) {
                name += u"Microsoft Windows XP Professional x64 Edition ";
            } else {
                name += u"Microsoft Windows Server 2003 ";
            }
        } else if (f.minor == 1) {
            name += u"Microsoft Windows XP ";
        } else if (f.minor == 0) {
            name += u"Microsoft Windows 2000 ";
        }
    } else if (f.major <= 4) {
        name += u"Microsoft Windows NT ";
    }
}

// NT stage 2 with extended information: the edition from product type and suite.
void NtEdition(const VersionFacts& f, Text& name) {
    const std::uint16_t suite = f.suiteMask;
    if (f.productType == kProductWorkstation) {
        if (f.architecture == kArchAmd64) return;
        if (f.major == 4) name += u"Workstation 4.0 ";
        else if (suite & kSuitePersonal) name += u"Home Edition ";
        else name += u"Professional ";
    } else if (IsServerType(f.productType)) {
        if (Is(f, 5, 2)) {
            if (suite & kSuiteDatacenter) name += u"Datacenter Edition ";
            else if (suite & kSuiteEnterprise) name += u"Enterprise Edition ";
            else if (suite == kSuiteBlade) name += u"Web Edition ";
            else name += u"Standard Edition ";
        } else if (Is(f, 5, 0)) {
            if (suite & kSuiteDatacenter) name += u"Datacenter Server ";
            else if (suite & kSuiteEnterprise) name += u"Advanced Server ";
            else name += u"Server ";
        } else {
            // Every server other than 5.0 and 5.2, 6.0 and later included, is
            // "Server 4.0": kept on purpose, hosts show and compare this text.
            if (suite & kSuiteEnterprise) name += u"Server 4.0, Enterprise Edition ";
            else name += u"Server 4.0 ";
        }
    }
}

// NT stage 2 without extended information: the stored product type and the
// version number. Returns false when the product type cannot be read.
bool NtStoredEdition(const VersionFacts& f, Text& name) {
    if (!f.storedProductType) return false;
    const Text& type = *f.storedProductType;
    if (EqualsIgnoreCase(type, u"WINNT")) name += u"Workstation ";
    if (EqualsIgnoreCase(type, u"LANMANNT")) name += u"Server ";
    if (EqualsIgnoreCase(type, u"SERVERNT")) name += u"Advanced Server ";
    // "%d.%d": the version words printed as signed integers.
    name += FormatInt(static_cast<std::int32_t>(f.major));
    name += u'.';
    name += FormatInt(static_cast<std::int32_t>(f.minor));
    name += u' ';
    return true;
}

bool IsServicePack6(const VersionFacts& f) {
    return f.major == 4 && EqualsIgnoreCase(f.servicePack, u"Service Pack 6");
}

}  // namespace

bool FamilyNeedsStoredProductType(const VersionFacts& f) {
    if (!IsNt(f) || f.extended) return false;
    return !(Is(f, 6, 0) || Is(f, 5, 1) || Is(f, 5, 2));
}

bool NameNeedsStoredProductName(const VersionFacts& f) {
    return IsNt(f) && Is(f, 6, 0) && f.productType == kProductWorkstation;
}

bool NameNeedsStoredProductType(const VersionFacts& f) {
    return IsNt(f) && !f.extended && !NameNeedsStoredProductName(f);
}

bool NameNeedsHotfixTest(const VersionFacts& f) {
    return IsNt(f) && !NameNeedsStoredProductName(f) && IsServicePack6(f);
}

bool NeedsServerR2(const VersionFacts& f) { return IsNt(f) && Is(f, 5, 2); }

std::int32_t ClassifyOsFamily(const VersionFacts& f) {
    if (!f.versionRead) return OsUnknown;
    switch (f.platformId) {
    case kPlatformWindows:
        if (f.major == 4 && (f.minor == 0 || f.minor == 10)) return OsWin9x;
        if (f.major == 4 && f.minor == 90) return OsWinMe;
        return OsUnknown;
    case kPlatformNt:
        break;
    default:  // Win32s and unknown platforms
        return OsUnknown;
    }

    if (Is(f, 6, 0)) return OsVista;
    if (Is(f, 5, 1)) return OsWinXp;
    if (Is(f, 5, 2)) {
        if (f.serverR2) return OsServer2003;
        if (f.productType == kProductWorkstation && f.architecture == kArchAmd64) return OsWinXp;
        return OsServer2003;
    }

    if (f.extended) {
        if (f.productType == kProductWorkstation) return f.major == 4 ? OsNt4Workstation : OsNtWorkstation;
        if (IsServerType(f.productType)) return Is(f, 5, 0) ? OsWin2000Server : OsNtServer;
        return OsUnknown;
    }

    // Without extended information the stored product type decides, with case
    // (the display name compares it without): kept on purpose.
    if (!f.storedProductType) return OsUnknown;
    const Text& type = *f.storedProductType;
    if (type == u"WINNT") return OsNt4Workstation;
    if (type == u"LANMANNT" || type == u"SERVERNT") return OsNtServer;
    return OsUnknown;
}

int BuildOsDisplayName(const VersionFacts& f, Text& name) {
    if (!f.versionRead) return 0;
    switch (f.platformId) {
    case kPlatformWin32s:
        name += u"Microsoft Win32s";
        return 1;
    case kPlatformWindows:
        NameWindows9x(f, name);
        return 1;
    case kPlatformNt:
        break;
    default:
        return 1;
    }

    // Stage 1: the base name; the 6.0 workstation is named by its stored text.
    if (NameNeedsStoredProductName(f)) {
        if (!f.storedProductName) return 0;
        name += *f.storedProductName;
        return 1;
    }
    NtBaseName(f, name);

    // Stage 2: the edition.
    if (f.extended) {
        NtEdition(f, name);
    } else if (!NtStoredEdition(f, name)) {
        return 0;
    }

    // Stage 3: service pack 6 with the hotfix that makes it 6a.
    if (IsServicePack6(f) && f.hotfixQ246009) {
        name += BuildPiece(u"Service Pack 6a", f.build);
        return 1;
    }

    // Stage 4: service pack and build.
    name += BuildPiece(f.servicePack, f.build);
    return 1;
}

}  // namespace tallowick
