// The fixed-drive section: label, sizes and fragmentation of each fixed drive.
// The analysis of a drive can take minutes; the callback shows its progress
// line and Ctrl+C cancels it.
#include "host.h"

namespace host {
namespace {

Record Drive(const HddNode& node) {
    return {TextField("szRootPath", "Drive", node.szRootPath),
            TextField("szVolumeLabel", "Label", node.szVolumeLabel),
            BytesField("ullTotalBytes", "Total", node.ullTotalBytes),
            BytesField("ullFreeBytes", "Free", node.ullFreeBytes),
            DashField("szFragmentation", "Fragmentation", node.szFragmentation),
            DashField("szAdvice", "Advice", node.szAdvice),
            JsonField("dwReserved", Json::Int(node.dwReserved)),
            JsonField("fragmentationPercent", NumberOrNull(ParsePercent(Utf8(node.szFragmentation))))};
}

void ShowHdd(SectionOutput& out, const HddNode* list, int) {
    ClearProgressLine();
    Records drives = ListRecords(list, Drive);
    out.json.set("drives", drives.json());
    out.text += drives.text("(no fixed drive listed)");
    if (CancelRequested()) out.text += "  (cancelled: drives after the interruption are not listed)\n";
}

SectionOutput RunHdd(const Api& api, const Options&) {
    return RunCheck(api.Check_HDD, api.Release_HDD, ShowHdd);
}

SectionRegistrar registrar({"hdd", "Fixed drives", 40, RunHdd});

}  // namespace
}  // namespace host
