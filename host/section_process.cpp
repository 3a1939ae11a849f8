// The processes section: one row per process, in the order of the list.
#include "host.h"

namespace host {
namespace {

Record Process(const ProcessNode& node) {
    return {TextField("szName", "Name", node.szName),
            TextField("szOwner", "Owner", node.szOwner),
            NumberField("nCpuPercent", "CPU %", node.nCpuPercent),
            TextField("szMemory", "Memory", node.szMemory),
            JsonField("memoryBytes", NumberOrNull(ParseKilobytes(Utf8(node.szMemory))))};
}

void ShowProcesses(SectionOutput& out, const ProcessNode* list, int count) {
    Records items = ListRecords(list, Process);
    out.json.set("items", items.json());
    out.text += items.text("(no processes)");
    if (!items.empty()) out.text += "  " + std::to_string(count) + " processes\n";
}

SectionOutput RunProcess(const Api& api, const Options&) {
    return RunCheck(api.Check_Process, api.Release_Process, ShowProcesses);
}

SectionRegistrar registrar({"process", "Processes", 50, RunProcess});

}  // namespace
}  // namespace host
