// The connectivity section.
#include "host.h"

namespace host {
namespace {

SectionOutput RunNetwork(const Api& api, const Options&) {
    SectionOutput out;
    NetworkResult* result = nullptr;
    int count = 0;
    out.rc = api.Check_Network(&result, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));
    if (result) {
        out.json.set("szVerdict", Json::Text(result->szVerdict));
        out.json.set("szNetworkState", Json::Text(result->szNetworkState));
        out.text += "  Verdict:        " + Utf8(result->szVerdict) + "\n";
        out.text += "  Network state:  " + Utf8(result->szNetworkState) + "\n";
    } else {
        out.text += "  (no result)\n";
    }
    api.Release_Network(result);
    return out;
}

SectionRegistrar registrar({"network", "Internet connectivity", 70, RunNetwork});

}  // namespace
}  // namespace host
