// The fixed-drive section: label, sizes and fragmentation of each fixed drive.
// The analysis of a drive can take minutes; the callback shows its progress
// line and Ctrl+C cancels it.
#include "host.h"

namespace host {
namespace {

SectionOutput RunHdd(const Api& api, const Options&) {
    SectionOutput out;
    HddNode* list = nullptr;
    int count = 0;
    out.rc = api.Check_HDD(&list, HostCallback, &count, 0);
    ClearProgressLine();
    out.json.set("count", Json::Int(count));
    Json drives = Json::Array();
    Table table({"Drive", "Label", "Total", "Free", "Fragmentation", "Advice"});
    for (const HddNode* node = list; node; node = node->pNext) {
        Json entry = Json::Object();
        entry.set("szRootPath", Json::Text(node->szRootPath));
        entry.set("szVolumeLabel", Json::Text(node->szVolumeLabel));
        entry.set("ullTotalBytes", Json::Int(static_cast<long long>(node->ullTotalBytes)));
        entry.set("ullFreeBytes", Json::Int(static_cast<long long>(node->ullFreeBytes)));
        entry.set("szFragmentation", Json::Text(node->szFragmentation));
        entry.set("szAdvice", Json::Text(node->szAdvice));
        entry.set("dwReserved", Json::Int(node->dwReserved));
        drives.push(std::move(entry));
        table.add({Utf8(node->szRootPath), Utf8(node->szVolumeLabel), HumanBytes(node->ullTotalBytes),
                   HumanBytes(node->ullFreeBytes), node->szFragmentation[0] ? Utf8(node->szFragmentation) : "-",
                   node->szAdvice[0] ? Utf8(node->szAdvice) : "-"});
    }
    out.json.set("drives", std::move(drives));
    if (table.empty()) {
        out.text += "  (no fixed drive listed)\n";
    } else {
        out.text += table.render();
    }
    if (CancelRequested()) out.text += "  (cancelled: drives after the interruption are not listed)\n";
    api.Release_HDD(list);
    return out;
}

SectionRegistrar registrar({"hdd", "Fixed drives", 40, RunHdd});

}  // namespace
}  // namespace host
