// The network adapter section: description, type, first address and mask.
#include "host.h"

namespace host {
namespace {

SectionOutput RunNetConfig(const Api& api, const Options&) {
    SectionOutput out;
    NetConfigNode* list = nullptr;
    int count = 0;
    out.rc = api.Check_NetConfig(&list, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));
    Json adapters = Json::Array();
    Table table({"Description", "Type", "IP address", "Subnet mask"});
    for (const NetConfigNode* node = list; node; node = node->pNext) {
        Json entry = Json::Object();
        entry.set("szDescription", Json::Text(node->szDescription));
        entry.set("szType", Json::Text(node->szType));
        entry.set("szIpAddress", Json::Text(node->szIpAddress));
        entry.set("szSubnetMask", Json::Text(node->szSubnetMask));
        adapters.push(std::move(entry));
        table.add({Utf8(node->szDescription), Utf8(node->szType), Utf8(node->szIpAddress),
                   Utf8(node->szSubnetMask)});
    }
    out.json.set("adapters", std::move(adapters));
    if (out.rc != 0) {
        out.text += "  (the adapter query failed: no adapter reported)\n";
    } else if (table.empty()) {
        out.text += "  (no adapter listed)\n";
    } else {
        out.text += table.render();
    }
    api.Release_NetConfig(list);
    return out;
}

SectionRegistrar registrar({"netconfig", "Network adapters", 60, RunNetConfig});

}  // namespace
}  // namespace host
