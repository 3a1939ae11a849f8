// The installed programs section: display name and publisher of each entry.
#include "host.h"

namespace host {
namespace {

SectionOutput RunApps(const Api& api, const Options&) {
    SectionOutput out;
    InstalledAppNode* list = nullptr;
    int count = 0;
    out.rc = api.Check_InstalledApps(&list, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));
    Json programs = Json::Array();
    Table table({"Program", "Publisher"});
    for (const InstalledAppNode* node = list; node; node = node->pNext) {
        Json entry = Json::Object();
        entry.set("szDisplayName", Json::Text(node->szDisplayName));
        entry.set("szPublisher", Json::Text(node->szPublisher));
        programs.push(std::move(entry));
        table.add({Utf8(node->szDisplayName), Utf8(node->szPublisher)});
    }
    out.json.set("programs", std::move(programs));
    out.text += table.empty() ? "  (no installed program listed)\n" : table.render();
    api.Release_InstalledApps(list);
    return out;
}

SectionRegistrar registrar({"apps", "Installed programs", 90, RunApps});

}  // namespace
}  // namespace host
