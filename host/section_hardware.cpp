// The hardware configuration section: nine fields, the device classes shown
// one device per line.
#include "host.h"

namespace host {
namespace {

void ShowHardware(SectionOutput& out, const HardwareConfigResult& r, int count) {
    const Record single = {TextField("szProcessor", "Processor", r.szProcessor),
                           TextField("szMemory", "Memory", r.szMemory)};
    const Record deviceLists = {TextField("szDiskDrive", "Disk drives", r.szDiskDrive),
                                TextField("szMonitor", "Monitors", r.szMonitor),
                                TextField("szVideoController", "Video controllers", r.szVideoController),
                                TextField("szSoundDevice", "Sound devices", r.szSoundDevice),
                                TextField("szNetworkAdapter", "Network adapters", r.szNetworkAdapter),
                                TextField("szCdromDrive", "CD-ROM drives", r.szCdromDrive),
                                TextField("szPointingDevice", "Pointing devices", r.szPointingDevice)};
    SetFields(out.json, single);
    SetFields(out.json, deviceLists);
    // The numbers of the formatted texts: the memory, and each disk drive's size.
    out.json.set("memoryBytes", NumberOrNull(ParseMegabytes(Utf8(r.szMemory))));
    Json disks = Json::Array();
    if (r.szDiskDrive[0] != L'\0') {
        for (const std::string& disk : SplitDevices(Utf8(r.szDiskDrive))) disks.push(NumberOrNull(ParseGigabytes(disk)));
    }
    out.json.set("diskDriveBytes", std::move(disks));
    Table table({"Field", "Value"});
    for (const Field& f : single) table.add({f.label, f.text});
    for (const Field& f : deviceLists) {
        bool first = true;
        for (const std::string& device : SplitDevices(f.text)) {
            table.add({first ? f.label : "", device});
            first = false;
        }
    }
    out.text += table.render();
    if (count == 0) out.text += "  (cancelled before any field was read)\n";
}

SectionOutput RunHardware(const Api& api, const Options&) {
    return RunRecordCheck(api.Check_HardwareConfig, api.Release_HardwareConfig, ShowHardware);
}

SectionRegistrar registrar({"hardware", "Hardware configuration", 30, RunHardware});

}  // namespace
}  // namespace host
