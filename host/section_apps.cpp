// The installed programs section: display name and publisher of each entry.
#include "host.h"

namespace host {
namespace {

Record Program(const InstalledAppNode& node) {
    return {TextField("szDisplayName", "Program", node.szDisplayName),
            TextField("szPublisher", "Publisher", node.szPublisher)};
}

void ShowApps(SectionOutput& out, const InstalledAppNode* list, int) {
    Records programs = ListRecords(list, Program);
    out.json.set("programs", programs.json());
    out.text += programs.text("(no installed program listed)");
}

SectionOutput RunApps(const Api& api, const Options&) {
    return RunCheck(api.Check_InstalledApps, api.Release_InstalledApps, ShowApps);
}

SectionRegistrar registrar({"apps", "Installed programs", 90, RunApps});

}  // namespace
}  // namespace host
