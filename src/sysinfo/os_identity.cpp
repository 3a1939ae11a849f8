#include "sysinfo/os_identity.h"

namespace tallowick {
namespace {

constexpr char16_t kMicrosoftPrefix[] = u"Microsoft ";
constexpr char16_t kWindows10[] = u"Windows 10";

bool HasText(const std::optional<Text>& text) { return text && !text->empty(); }

bool StartsWith(TextView text, TextView prefix) { return text.substr(0, prefix.size()) == prefix; }

// Drops blanks at both ends.
Text Trimmed(TextView text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsAsciiSpace(text[begin])) ++begin;
    while (end > begin && IsAsciiSpace(text[end - 1])) --end;
    return Text(text.substr(begin, end - begin));
}

// The edition word Windows 10 and later show for an EditionID.
TextView EditionWord(TextView editionId) {
    struct Pair {
        TextView id;
        TextView word;
    };
    static constexpr Pair kWords[] = {
        {u"Core", u"Home"},
        {u"CoreSingleLanguage", u"Home Single Language"},
        {u"Professional", u"Pro"},
        {u"ProfessionalWorkstation", u"Pro for Workstations"},
        {u"Education", u"Education"},
        {u"Enterprise", u"Enterprise"},
        {u"EnterpriseS", u"Enterprise LTSC"},
        {u"IoTEnterpriseS", u"IoT Enterprise LTSC"},
        {u"ServerStandard", u"Standard"},
        {u"ServerDatacenter", u"Datacenter"},
        {u"ServerStandardEval", u"Standard Evaluation"},
        {u"ServerDatacenterEval", u"Datacenter Evaluation"},
    };
    for (const Pair& pair : kWords) {
        if (pair.id == editionId) return pair.word;
    }
    return TextView();
}

// Windows 2000, XP and Server 2003 store no edition in their ProductName
// ("Microsoft Windows XP"): their name is built from the version facts.
Text NameBefore6(const OsIdentityFacts& f) {
    const bool workstation = f.version.productType == kProductWorkstation;
    const std::uint16_t suite = f.version.suiteMask;
    if (f.version.major == 5 && f.version.minor == 2) {
        if (workstation && !f.version.serverR2) return u"Windows XP Professional x64 Edition";
        Text name = f.version.serverR2 ? u"Windows Server 2003 R2" : u"Windows Server 2003";
        if (suite & kSuiteDatacenter) name += u" Datacenter Edition";
        else if (suite & kSuiteEnterprise) name += u" Enterprise Edition";
        else if (suite == kSuiteBlade) name += u" Web Edition";
        else name += u" Standard Edition";
        return name;
    }
    if (f.version.major == 5 && f.version.minor == 1) {
        return (suite & kSuitePersonal) ? u"Windows XP Home Edition" : u"Windows XP Professional";
    }
    if (f.version.major == 5 && f.version.minor == 0) {
        if (workstation) return u"Windows 2000 Professional";
        if (suite & kSuiteDatacenter) return u"Windows 2000 Datacenter Server";
        if (suite & kSuiteEnterprise) return u"Windows 2000 Advanced Server";
        return u"Windows 2000 Server";
    }
    if (f.version.major == 4) return workstation ? u"Windows NT 4.0 Workstation" : u"Windows NT 4.0 Server";
    return u"Windows";
}

// The name of a version 6 or later from the version facts alone, for a
// system whose registry names none: "Windows 10 Pro", "Windows Server 2019".
Text NameFromVersion(const OsIdentityFacts& f) {
    const bool workstation = f.version.productType == kProductWorkstation;
    Text name;
    if (f.version.major >= 10) {
        if (workstation) {
            name = f.version.build >= kFirstWindows11Build ? u"Windows 11" : u"Windows 10";
        } else if (f.version.build >= 26100) {
            name = u"Windows Server 2025";
        } else if (f.version.build >= 20348) {
            name = u"Windows Server 2022";
        } else if (f.version.build >= 17763) {
            name = u"Windows Server 2019";
        } else if (f.version.build >= 14393) {
            name = u"Windows Server 2016";
        } else {
            name = u"Windows Server";
        }
        if (f.editionId) {
            TextView word = EditionWord(*f.editionId);
            if (!word.empty()) {
                name += u' ';
                name += word;
            }
        }
        return name;
    }
    if (f.version.major == 6) {
        switch (f.version.minor) {
        case 0: return workstation ? u"Windows Vista" : u"Windows Server 2008";
        case 1: return workstation ? u"Windows 7" : u"Windows Server 2008 R2";
        case 2: return workstation ? u"Windows 8" : u"Windows Server 2012";
        default: return workstation ? u"Windows 8.1" : u"Windows Server 2012 R2";
        }
    }
    return NameBefore6(f);
}

}  // namespace

Text OsProductName(const OsIdentityFacts& f) {
    if (f.version.major == 0) return Text();  // the version could not be read
    // The branding call's name, else the stored one (from Vista on: older
    // ones store no edition), else one built from the version.
    Text name;
    if (f.brandingName) name = Trimmed(*f.brandingName);
    if (name.empty() && f.version.major >= 6 && f.productName) name = Trimmed(*f.productName);
    if (name.empty()) name = NameFromVersion(f);
    // Windows 10 and later show no "Microsoft " before their name.
    if (f.version.major >= 10 && StartsWith(name, kMicrosoftPrefix)) {
        name.erase(0, std::char_traits<char16_t>::length(kMicrosoftPrefix));
    }
    // Windows 11 keeps "Windows 10" in its stored ProductName.
    if (f.version.major == 10 && f.version.productType == kProductWorkstation && f.version.build >= kFirstWindows11Build &&
        StartsWith(name, kWindows10) &&
        (name.size() == std::char_traits<char16_t>::length(kWindows10) || name[10] == u' ')) {
        name[9] = u'1';
    }
    return name;
}

Text OsDisplayVersion(const OsIdentityFacts& f) {
    if (HasText(f.displayVersion)) return Trimmed(*f.displayVersion);
    if (HasText(f.releaseId)) return Trimmed(*f.releaseId);
    return Trimmed(f.version.servicePack);
}

Text OsInstallationType(const OsIdentityFacts& f) {
    if (HasText(f.installationType)) return Trimmed(*f.installationType);
    if (f.version.productType == kProductWorkstation) return u"Client";
    if (f.version.productType == kProductDomainController || f.version.productType == kProductServer) return u"Server";
    return Text();
}

std::uint32_t ArchitectureOfMachine(std::uint16_t machine) {
    switch (machine) {
    case 0x014c: return kArchX86;    // IMAGE_FILE_MACHINE_I386
    case 0x8664: return kArchAmd64;  // IMAGE_FILE_MACHINE_AMD64
    case 0xAA64: return kArchArm64;  // IMAGE_FILE_MACHINE_ARM64
    default: return kArchUnknown;
    }
}

std::uint64_t UnixSecondsOfFileTime(std::uint64_t fileTime) {
    constexpr std::uint64_t kTicksPerSecond = 10000000ull;
    constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ull;
    const std::uint64_t seconds = fileTime / kTicksPerSecond;
    return seconds > kSecondsFrom1601To1970 ? seconds - kSecondsFrom1601To1970 : 0;
}

std::uint64_t BootTimeOf(std::uint64_t nowUnix, std::uint64_t uptimeMilliseconds) {
    const std::uint64_t uptime = uptimeMilliseconds / 1000;
    if (nowUnix == 0 || uptime >= nowUnix) return 0;
    return nowUnix - uptime;
}

}  // namespace tallowick
