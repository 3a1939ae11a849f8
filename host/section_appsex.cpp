// The installed programs as Windows lists them (Check_InstalledAppsEx): name,
// publisher, version, install date, size and where each entry came from; the
// JSON carries every field of the record.
#include "host.h"

namespace host {

namespace {

Field NumberAs(const char* key, const char* label, unsigned long long value, const std::string& text) {
    return {key, label, Json::Int(static_cast<long long>(value)), text};
}

Record Program(const InstalledAppExNode& n) {
    return {TextField("szDisplayName", "Program", n.szDisplayName),
            DashField("szPublisher", "Publisher", n.szPublisher),
            DashField("szDisplayVersion", "Version", n.szDisplayVersion),
            TextField("szInstallDate", nullptr, n.szInstallDate),
            NumberAs("nInstallDate", "Installed", n.nInstallDate, InstallDateText(n.nInstallDate, Utf8(n.szInstallDate))),
            NumberAs("nEstimatedSizeKiB", "Size", n.nEstimatedSizeKiB,
                     n.nEstimatedSizeKiB ? HumanBytes(1024ull * n.nEstimatedSizeKiB) : "-"),
            NumberAs("nScope", nullptr, n.nScope, ""),
            NumberAs("nView", "Place", n.nView, AppPlaceText(n.nScope, n.nView)),
            TextField("szKeyName", nullptr, n.szKeyName),
            TextField("szInstallLocation", nullptr, n.szInstallLocation),
            TextField("szUninstallString", nullptr, n.szUninstallString),
            TextField("szQuietUninstallString", nullptr, n.szQuietUninstallString),
            NumberField("cbSize", nullptr, n.cbSize)};
}

void ShowAppsEx(SectionOutput& out, const InstalledAppExNode* list, int) {
    Records programs = ListRecords(list, Program);
    out.json.set("programs", programs.json());
    out.text += programs.text("(no installed program listed)");
}

SectionOutput RunAppsEx(const Api& api, const Options&) {
    return RunCheck(api.Check_InstalledAppsEx, api.Release_InstalledAppsEx, ShowAppsEx);
}

SectionRegistrar registrar({"appsex", "Installed programs (as Windows lists them)", 95, RunAppsEx});

}  // namespace
}  // namespace host
