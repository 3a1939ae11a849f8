#include "core/os_version_reader.h"

#include <cstring>

#include "core/registry_reader.h"
#include "core/win_util.h"

namespace tallowick {
namespace {

constexpr DWORD kStoredTextBytes = 80;

// Reads a value without a type check into 80 bytes. The buffer has one unit
// more than the read may fill, so the text is terminated inside it even when
// the stored data carries no terminator.
std::optional<Text> ReadStoredText(const wchar_t* keyPath, const wchar_t* valueName) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char16_t buffer[kStoredTextUnits + 1] = {};
    DWORD length = kStoredTextBytes;
    LONG rc = RegQueryValueExW(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
    if (rc != ERROR_SUCCESS || length > kStoredTextBytes) return std::nullopt;
    return RegistryBufferText(buffer, kStoredTextUnits + 1, length);
}

// The version the system really runs, from ntdll's RtlGetVersion (looked up at
// run time). GetVersionEx answers 6.2.9200 to every program whose manifest
// names no later Windows, and a compatibility mode changes its answer too;
// RtlGetVersion is subject to neither. False where ntdll lacks the function
// or it fails; `info` is then untouched.
bool ReadTrueVersion(OSVERSIONINFOEXW& info) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return false;
    auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion) return false;
    OSVERSIONINFOEXW answer = {};
    answer.dwOSVersionInfoSize = sizeof(answer);
    if (rtlGetVersion(reinterpret_cast<OSVERSIONINFOW*>(&answer)) != 0) return false;
    info = answer;
    return true;
}

WORD NativeArchitecture() {
    SYSTEM_INFO info = {};
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    auto native = Kernel32Function<NativeInfoFn>("GetNativeSystemInfo");
    if (native) native(&info);
    else GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

// GetSystemMetrics(SM_SERVERR2), asked only of Windows Server 2003: user32 is
// loaded for this one question, so that the library imports nothing from it
// and no other check pays for loading it. False when user32 is missing.
bool AskServerR2() {
    UniqueModule user32(LoadLibraryW(L"user32.dll"));
    if (!user32) return false;
    using MetricsFn = int(WINAPI*)(int);
    auto metrics = reinterpret_cast<MetricsFn>(reinterpret_cast<void*>(GetProcAddress(user32.get(), "GetSystemMetrics")));
    return metrics && metrics(SM_SERVERR2) != 0;
}

}  // namespace

std::optional<Text> ReadStoredProductType() {
    return ReadStoredText(L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions", L"ProductType");
}

std::optional<Text> ReadStoredProductName() {
    return ReadStoredText(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"ProductName");
}

bool HotfixQ246009Present() {
    UniqueRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", 0,
                         KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

VersionFacts ReadVersionFacts(VersionPurpose purpose) {
    VersionFacts facts;
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);  // 284
    facts.extended = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
    if (!facts.extended) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);  // 276
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return facts;
    }
    facts.versionRead = true;
    // The true version where ntdll gives it: the same fields, read from the
    // system that runs rather than from the answer made for this program.
    // Without it (or when it fails) the GetVersionEx answer stands.
    OSVERSIONINFOEXW trueInfo = {};
    if (ReadTrueVersion(trueInfo)) {
        info.dwPlatformId = trueInfo.dwPlatformId;
        info.dwMajorVersion = trueInfo.dwMajorVersion;
        info.dwMinorVersion = trueInfo.dwMinorVersion;
        info.dwBuildNumber = trueInfo.dwBuildNumber;
        std::memcpy(info.szCSDVersion, trueInfo.szCSDVersion, sizeof(info.szCSDVersion));
        if (facts.extended) {
            info.wServicePackMajor = trueInfo.wServicePackMajor;
            info.wServicePackMinor = trueInfo.wServicePackMinor;
            info.wSuiteMask = trueInfo.wSuiteMask;
            info.wProductType = trueInfo.wProductType;
        }
    }
    facts.platformId = info.dwPlatformId;
    facts.major = info.dwMajorVersion;
    facts.minor = info.dwMinorVersion;
    facts.build = info.dwBuildNumber;
    facts.servicePack.assign(U16(info.szCSDVersion), BoundedLength(U16(info.szCSDVersion), 128));
    facts.suiteMask = info.wSuiteMask;
    facts.productType = info.wProductType;
    facts.architecture = NativeArchitecture();
    if (NeedsServerR2(facts)) facts.serverR2 = AskServerR2();

    if (purpose == VersionPurpose::Family) {
        if (FamilyNeedsStoredProductType(facts)) facts.storedProductType = ReadStoredProductType();
    } else {
        if (NameNeedsStoredProductName(facts)) facts.storedProductName = ReadStoredProductName();
        if (NameNeedsStoredProductType(facts)) facts.storedProductType = ReadStoredProductType();
        if (NameNeedsHotfixTest(facts)) facts.hotfixQ246009 = HotfixQ246009Present();
    }
    return facts;
}

}  // namespace tallowick
