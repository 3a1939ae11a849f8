// The processes section: one row per process, in the order of the list.
#include "host.h"

namespace host {
namespace {

SectionOutput RunProcess(const Api& api, const Options&) {
    SectionOutput out;
    ProcessNode* list = nullptr;
    int count = 0;
    out.rc = api.Check_Process(&list, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));
    Json items = Json::Array();
    Table table({"Name", "Owner", "CPU %", "Memory"});
    for (const ProcessNode* node = list; node; node = node->pNext) {
        Json item = Json::Object();
        item.set("szName", Json::Text(node->szName));
        item.set("szOwner", Json::Text(node->szOwner));
        item.set("nCpuPercent", Json::Int(node->nCpuPercent));
        item.set("szMemory", Json::Text(node->szMemory));
        items.push(std::move(item));
        table.add({Utf8(node->szName), Utf8(node->szOwner), std::to_string(node->nCpuPercent), Utf8(node->szMemory)});
    }
    out.json.set("items", std::move(items));
    if (table.empty()) {
        out.text += "  (no processes)\n";
    } else {
        out.text += table.render();
        out.text += "  " + std::to_string(count) + " processes\n";
    }
    api.Release_Process(list);
    return out;
}

SectionRegistrar registrar({"process", "Processes", 50, RunProcess});

}  // namespace
}  // namespace host
