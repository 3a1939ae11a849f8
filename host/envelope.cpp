// The JSON report's envelope: when the report was made, by which tool and
// library, on which machine and which Windows. A fleet's collector tells the
// reports apart by it (machineGuid first: two machines may share a name).
#include <memory>
#include <type_traits>

#include "host.h"

namespace host {
namespace {

#if defined(_WIN64)
constexpr const char* kToolArchitecture = "x64";
#else
constexpr const char* kToolArchitecture = "x86";
#endif

std::string VersionText(int major, int minor, int patch) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::string ComputerName(COMPUTER_NAME_FORMAT format) {
    wchar_t name[256] = {};
    DWORD size = 256;
    return GetComputerNameExW(format, name, &size) ? Utf8(name) : std::string();
}

// HKLM\SOFTWARE\Microsoft\Cryptography\MachineGuid in the 64-bit view (a
// 32-bit host on 64-bit Windows would otherwise read the 32-bit view, which
// has no such value); systems that know no views are asked plainly.
Json MachineGuid() {
    const wchar_t* path = L"SOFTWARE\\Microsoft\\Cryptography";
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return Json::Null();
    }
    const std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&RegCloseKey)> key(opened, &RegCloseKey);
    wchar_t value[64] = {};
    DWORD type = 0, bytes = sizeof(value) - sizeof(wchar_t);
    LONG rc = RegQueryValueExW(key.get(), L"MachineGuid", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    if (rc != ERROR_SUCCESS || type != REG_SZ || value[0] == L'\0') return Json::Null();
    return Json::Text(value);
}

Json Tool() {
    Json tool = Json::Object();
    tool.set("name", Json::Str("tallowick.exe"));
    tool.set("version",
             Json::Str(VersionText(TALLOWICK_VERSION_MAJOR, TALLOWICK_VERSION_MINOR, TALLOWICK_VERSION_PATCH)));
    tool.set("architecture", Json::Str(kToolArchitecture));
    return tool;
}

Json Library(const Api& api) {
    int major = 0, minor = 0, patch = 0;
    int packed = api.Tallowick_GetVersion(&major, &minor, &patch);
    Json library = Json::Object();
    library.set("version", Json::Str(VersionText(major, minor, patch)));
    library.set("versionNumber", Json::Int(packed));
    return library;
}

Json Machine(const Api& api) {
    std::string workgroup;
    NetInfoResult* info = nullptr;
    int count = 0;
    if (api.Check_NetInfo(&info, nullptr, &count, 0) == 0 && info) workgroup = Utf8(info->szWorkgroup);
    api.Release_NetInfo(info);
    Json machine = Json::Object();
    machine.set("computerName", Json::Str(ComputerName(ComputerNameNetBIOS)));
    machine.set("dnsHostName", Json::Str(ComputerName(ComputerNameDnsHostname)));
    machine.set("dnsDomain", Json::Str(ComputerName(ComputerNameDnsDomain)));
    machine.set("workgroup", Json::Str(workgroup));
    machine.set("machineGuid", MachineGuid());
    return machine;
}

// The Windows identity from Check_OsVersion; null when it gives none.
Json Os(const Api& api) {
    OsVersionResult* os = nullptr;
    int count = 0;
    Json out = Json::Null();
    if (api.Check_OsVersion(&os, nullptr, &count, 0) == 0 && os) {
        const OsVersionResult& r = *os;
        out = Json::Object();
        out.set("summary", Json::Str(OsSummary(r)));
        out.set("productName", Json::Text(r.szProductName));
        out.set("displayVersion", Json::Text(r.szDisplayVersion));
        out.set("editionId", Json::Text(r.szEditionId));
        out.set("version", Json::Str(std::to_string(r.nMajorVersion) + "." + std::to_string(r.nMinorVersion) + "." +
                                     std::to_string(r.nBuildNumber)));
        out.set("majorVersion", Json::Int(r.nMajorVersion));
        out.set("minorVersion", Json::Int(r.nMinorVersion));
        out.set("buildNumber", Json::Int(r.nBuildNumber));
        out.set("revision", Json::Int(r.nRevision));
        out.set("productType", Json::Str(ProductTypeText(r.nProductType)));
        out.set("architecture", Json::Str(ArchitectureText(r.nNativeArchitecture)));
        out.set("wow64", Json::Bool(r.nWow64 != 0));
    }
    api.Release_OsVersion(os);
    return out;
}

}  // namespace

Json ReportEnvelope(const Api& api, const std::string& generatedUtc) {
    Json envelope = Json::Object();
    envelope.set("generated", Json::Str(generatedUtc));
    envelope.set("tool", Tool());
    envelope.set("library", Library(api));
    envelope.set("machine", Machine(api));
    envelope.set("os", Os(api));
    return envelope;
}

std::string CatalogueText(const Api& api, const wchar_t* id) {
    std::wstring ini = CataloguePath(api.module);
    wchar_t text[512] = {};
    GetPrivateProfileStringW(L"Tallowick", id, id, text, 512, ini.c_str());
    return Utf8(text);
}

}  // namespace host
