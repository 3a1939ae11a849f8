// The hardware configuration section: nine fields, the device classes shown
// one device per line.
#include "host.h"

namespace host {
namespace {

// The devices of one field: its text split at "; ".
std::vector<std::string> Devices(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t sep = text.find("; ", start);
        out.push_back(text.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
        if (sep == std::string::npos) break;
        start = sep + 2;
    }
    return out;
}

SectionOutput RunHardware(const Api& api, const Options&) {
    SectionOutput out;
    HardwareConfigResult* result = nullptr;
    int count = 0;
    out.rc = api.Check_HardwareConfig(&result, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));
    if (!result) {
        out.text += "  (no result)\n";
        return out;
    }
    const struct {
        const char* key;
        const char* label;
        const wchar_t* value;
        bool list;
    } fields[] = {
        {"szProcessor", "Processor", result->szProcessor, false},
        {"szMemory", "Memory", result->szMemory, false},
        {"szDiskDrive", "Disk drives", result->szDiskDrive, true},
        {"szMonitor", "Monitors", result->szMonitor, true},
        {"szVideoController", "Video controllers", result->szVideoController, true},
        {"szSoundDevice", "Sound devices", result->szSoundDevice, true},
        {"szNetworkAdapter", "Network adapters", result->szNetworkAdapter, true},
        {"szCdromDrive", "CD-ROM drives", result->szCdromDrive, true},
        {"szPointingDevice", "Pointing devices", result->szPointingDevice, true},
    };
    Table table({"Field", "Value"});
    for (const auto& f : fields) {
        out.json.set(f.key, Json::Text(f.value));
        std::string text = Utf8(f.value);
        if (!f.list || text.empty()) {
            table.add({f.label, text});
            continue;
        }
        bool first = true;
        for (const std::string& device : Devices(text)) {
            table.add({first ? f.label : "", device});
            first = false;
        }
    }
    out.text += table.render();
    if (count == 0) out.text += "  (cancelled before any field was read)\n";
    api.Release_HardwareConfig(result);
    return out;
}

SectionRegistrar registrar({"hardware", "Hardware configuration", 30, RunHardware});

}  // namespace
}  // namespace host
