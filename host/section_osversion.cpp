// The Windows version section: the system as Windows names it (product name,
// display version, build and revision, architectures, install and boot
// times), and the report's first line made of it.
#include "host.h"

namespace host {
namespace {

Field NumberAs(const char* key, const char* label, unsigned long long value, const std::string& text) {
    return {key, label, Json::Int(static_cast<long long>(value)), text};
}

}  // namespace

// "Windows 10 Pro 22H2, build 19045.5247, x64".
std::string OsSummary(const OsVersionResult& r) {
    std::string line = Utf8(r.szProductName);
    if (line.empty()) line = "Windows " + std::to_string(r.nMajorVersion) + "." + std::to_string(r.nMinorVersion);
    std::string display = Utf8(r.szDisplayVersion);
    if (!display.empty()) line += " " + display;
    line += ", build " + std::to_string(r.nBuildNumber);
    if (r.nRevision != 0) line += "." + std::to_string(r.nRevision);
    line += ", " + ArchitectureText(r.nNativeArchitecture);
    if (r.nWow64) line += " (32-bit host under WOW64)";
    return line;
}

namespace {

void ShowOsVersion(SectionOutput& out, const OsVersionResult& r, int) {
    const std::string version = std::to_string(r.nMajorVersion) + "." + std::to_string(r.nMinorVersion);
    ShowRecord(out, {{"summary", "System", Json::Str(OsSummary(r)), OsSummary(r)},
                     TextField("szProductName", "Product", r.szProductName),
                     DashField("szDisplayVersion", "Display version", r.szDisplayVersion),
                     DashField("szEditionId", "Edition", r.szEditionId),
                     DashField("szInstallationType", "Installation type", r.szInstallationType),
                     NumberField("nMajorVersion", nullptr, r.nMajorVersion),
                     NumberAs("nMinorVersion", "Version", r.nMinorVersion, version),
                     NumberField("nBuildNumber", "Build", r.nBuildNumber),
                     NumberField("nRevision", "Revision", r.nRevision),
                     NumberAs("nProductType", "Product type", r.nProductType,
                              std::to_string(r.nProductType) + " (" + ProductTypeText(r.nProductType) + ")"),
                     NumberAs("nNativeArchitecture", "Machine", r.nNativeArchitecture,
                              ArchitectureText(r.nNativeArchitecture)),
                     NumberAs("nProcessArchitecture", "Host process", r.nProcessArchitecture,
                              ArchitectureText(r.nProcessArchitecture)),
                     NumberAs("nWow64", "WOW64", r.nWow64, r.nWow64 ? "yes" : "no"),
                     NumberAs("ullInstallTime", "Installed", r.ullInstallTime, UtcText(r.ullInstallTime)),
                     NumberAs("ullBootTime", "Started", r.ullBootTime, UtcText(r.ullBootTime)),
                     NumberField("cbSize", nullptr, r.cbSize)});
}

SectionOutput RunOsVersion(const Api& api, const Options&) {
    return RunRecordCheck(api.Check_OsVersion, api.Release_OsVersion, ShowOsVersion);
}

SectionRegistrar registrar({"os", "Windows version", 5, RunOsVersion});

}  // namespace

std::string SystemLine(const Api& api) {
    std::string line;
    OsVersionResult* os = nullptr;
    int count = 0;
    if (api.Check_OsVersion(&os, nullptr, &count, 0) == 0 && os) line = OsSummary(*os);
    api.Release_OsVersion(os);
    SysInfoResult* sys = nullptr;
    if (api.Check_SysInfo(&sys, nullptr, &count, 0) == 0 && sys) {
        std::string legacy = "legacy name \"" + Utf8(sys->szOsName) + "\"";
        line = line.empty() ? legacy : line + " (" + legacy + ")";
    }
    api.Release_SysInfo(sys);
    return line;
}

}  // namespace host
