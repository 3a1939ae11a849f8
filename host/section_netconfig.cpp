// The network adapter section: description, type, first address and mask.
#include "host.h"

namespace host {
namespace {

Record Adapter(const NetConfigNode& node) {
    return {TextField("szDescription", "Description", node.szDescription),
            TextField("szType", "Type", node.szType),
            TextField("szIpAddress", "IP address", node.szIpAddress),
            TextField("szSubnetMask", "Subnet mask", node.szSubnetMask)};
}

void ShowNetConfig(SectionOutput& out, const NetConfigNode* list, int) {
    Records adapters = ListRecords(list, Adapter);
    out.json.set("adapters", adapters.json());
    out.text += out.rc != 0 ? "  (the adapter query failed: no adapter reported)\n"
                            : adapters.text("(no adapter listed)");
}

SectionOutput RunNetConfig(const Api& api, const Options&) {
    return RunCheck(api.Check_NetConfig, api.Release_NetConfig, ShowNetConfig);
}

SectionRegistrar registrar({"netconfig", "Network adapters", 60, RunNetConfig});

}  // namespace
}  // namespace host
