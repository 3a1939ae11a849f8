// The body of Check_OsVersion: reads the facts of the running Windows (the
// true version, the CurrentVersion values, the branding name, the machine's
// and the process's architecture, the install and boot times) and fills the
// record through the rules of os_identity.cpp.
#include "core/win_util.h"  // windows.h first

#include "core/os_version_reader.h"
#include "core/records.h"
#include "core/registry_reader.h"
#include "sysinfo/checks.h"
#include "sysinfo/os_identity.h"

namespace tallowick {
namespace {

const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr DWORD kValueBytesLimit = 1024;

// The key in the system's own (64-bit) view: the 32-bit build under WOW64
// asks for it explicitly, and nowhere else is the flag passed (Windows 2000
// knows no view flags).
UniqueRegKey OpenCurrentVersion() {
    UniqueRegKey key;
    REGSAM access = KEY_QUERY_VALUE | (RunsUnderWow64() ? KEY_WOW64_64KEY : 0);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, access, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

std::optional<Text> ReadText(HKEY key, const wchar_t* name) {
    if (!key) return std::nullopt;
    char16_t buffer[kValueBytesLimit / 2 + 1] = {};
    DWORD type = 0;
    DWORD bytes = kValueBytesLimit;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > kValueBytesLimit) return std::nullopt;
    return RegistryBufferText(buffer, kValueBytesLimit / 2 + 1, bytes);
}

template <typename Number>
std::optional<Number> ReadNumber(HKEY key, const wchar_t* name, DWORD wantedType) {
    if (!key) return std::nullopt;
    Number value = 0;
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
        type != wantedType || bytes != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

// "%WINDOWS_LONG%" through winbrand.dll (Windows 7 and later), loaded from
// the system folder at run time; nothing where it is missing.
std::optional<Text> ReadBrandingName() {
    wchar_t path[MAX_PATH + 16] = {};
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    lstrcatW(path, L"\\winbrand.dll");
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    UniqueModule module(LoadLibraryW(path));
    if (!module) return std::nullopt;
    using BrandingFormatStringFn = LPWSTR(WINAPI*)(LPCWSTR);
    auto branding = reinterpret_cast<BrandingFormatStringFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "BrandingFormatString")));
    if (!branding) return std::nullopt;
    LPWSTR text = branding(L"%WINDOWS_LONG%");
    if (!text) return std::nullopt;
    auto freeText = OnScopeExit([text] { GlobalFree(text); });
    Text name(ViewOf(text).substr(0, 255));
    // An unknown format comes back as itself.
    if (name.empty() || name.find(u'%') != Text::npos) return std::nullopt;
    return name;
}

struct Architectures {
    std::uint32_t native = kArchUnknown;
    std::uint32_t process = kArchUnknown;
    bool wow64 = false;
};

Architectures ReadArchitectures(std::uint16_t nativeFromSystemInfo) {
    Architectures arch;
#if defined(_WIN64)
    arch.process = kArchAmd64;
#else
    arch.process = kArchX86;
#endif
    arch.native = nativeFromSystemInfo;
    arch.wow64 = RunsUnderWow64();
    // IsWow64Process2 (Windows 10) also names an ARM64 machine under an x86
    // or x64 process, which GetNativeSystemInfo does not.
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    auto isWow64Process2 = Kernel32Function<IsWow64Process2Fn>("IsWow64Process2");
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (isWow64Process2 && isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine)) {
        std::uint32_t native = ArchitectureOfMachine(nativeMachine);
        if (native != kArchUnknown) arch.native = native;
        if (processMachine != 0) arch.wow64 = true;  // IMAGE_FILE_MACHINE_UNKNOWN: not under WOW64
    }
    return arch;
}

std::uint64_t NowUnix() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return UnixSecondsOfFileTime((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

std::uint64_t UptimeMilliseconds() {
    using GetTickCount64Fn = ULONGLONG(WINAPI*)();
    auto tick64 = Kernel32Function<GetTickCount64Fn>("GetTickCount64");
    return tick64 ? tick64() : GetTickCount();
}

}  // namespace

int CheckOsVersion(OsVersionResult** result, int* count) {
    *count = 0;
    const VersionFacts version = ReadVersionFacts(VersionPurpose::Family);
    if (!version.versionRead) return 1;
    NodePtr<OsVersionResult> record = MakeZeroed<OsVersionResult>();
    if (!record) return 1;

    OsIdentityFacts facts;
    facts.version = version;
    UniqueRegKey key = OpenCurrentVersion();
    facts.productName = ReadText(key.get(), L"ProductName");
    facts.displayVersion = ReadText(key.get(), L"DisplayVersion");
    facts.releaseId = ReadText(key.get(), L"ReleaseId");
    facts.editionId = ReadText(key.get(), L"EditionID");
    facts.installationType = ReadText(key.get(), L"InstallationType");
    facts.ubr = ReadNumber<DWORD>(key.get(), L"UBR", REG_DWORD);
    facts.brandingName = ReadBrandingName();
    const Architectures arch = ReadArchitectures(version.architecture);

    record->cbSize = sizeof(OsVersionResult);
    record->nMajorVersion = facts.version.major;
    record->nMinorVersion = facts.version.minor;
    record->nBuildNumber = facts.version.build;
    record->nRevision = facts.ubr.value_or(0);
    record->nProductType = facts.version.productType;
    record->nNativeArchitecture = arch.native;
    record->nProcessArchitecture = arch.process;
    record->nWow64 = arch.wow64 ? 1 : 0;
    // InstallTime (a FILETIME, Windows 10) is the precise one; InstallDate
    // (seconds since 1970) the older.
    if (auto installTime = ReadNumber<std::uint64_t>(key.get(), L"InstallTime", REG_QWORD)) {
        record->ullInstallTime = UnixSecondsOfFileTime(*installTime);
    } else if (auto installDate = ReadNumber<DWORD>(key.get(), L"InstallDate", REG_DWORD)) {
        record->ullInstallTime = *installDate;
    }
    record->ullBootTime = BootTimeOf(NowUnix(), UptimeMilliseconds());
    CopyField(record->szProductName, OsProductName(facts));
    CopyField(record->szDisplayVersion, OsDisplayVersion(facts));
    CopyField(record->szEditionId, facts.editionId.value_or(Text()));
    CopyField(record->szInstallationType, OsInstallationType(facts));

    *result = record.release();
    *count = 1;
    return 0;
}

int ReleaseOsVersion(OsVersionResult* record) {
    if (!record) return 1;
    NodeDeleter<OsVersionResult>()(record);
    return 0;
}

}  // namespace tallowick
