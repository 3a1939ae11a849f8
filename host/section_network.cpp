// The connectivity section.
#include "host.h"

namespace host {
namespace {

// The verdict text, and beside it whether the Internet was reached (any HTTP
// answer counts, as the check counts it).
SectionOutput RunNetwork(const Api& api, const Options&) {
    return RunRecordCheck(api.Check_Network, api.Release_Network, [&](SectionOutput& out, const NetworkResult& r, int) {
        ShowRecord(out, {TextField("szVerdict", "Verdict", r.szVerdict),
                         TextField("szNetworkState", "Network state", r.szNetworkState),
                         JsonField("reachable", ReachableFromVerdict(Utf8(r.szVerdict), CatalogueText(api, L"NoFault"),
                                                                      CatalogueText(api, L"HaveFault")))});
    });
}

SectionRegistrar registrar({"network", "Internet connectivity", 70, RunNetwork});

}  // namespace
}  // namespace host
