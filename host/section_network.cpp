// The connectivity section.
#include "host.h"

namespace host {
namespace {

void ShowNetwork(SectionOutput& out, const NetworkResult& r, int) {
    ShowRecord(out, {TextField("szVerdict", "Verdict", r.szVerdict),
                     TextField("szNetworkState", "Network state", r.szNetworkState)});
}

SectionOutput RunNetwork(const Api& api, const Options&) {
    return RunRecordCheck(api.Check_Network, api.Release_Network, ShowNetwork);
}

SectionRegistrar registrar({"network", "Internet connectivity", 70, RunNetwork});

}  // namespace
}  // namespace host
