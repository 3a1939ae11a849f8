// The extended adapter section: every adapter with its state, hardware
// address, speeds and address lists (Check_NetConfigEx). The legacy
// "netconfig" section stays beside it.
#include <algorithm>
#include <climits>

#include "host.h"

namespace host {
namespace {

long long Clamped(unsigned long long value) {
    return value > static_cast<unsigned long long>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(value);
}

Json AddressList(const NetAddressNode* list) {
    Json items = Json::Array();
    for (const NetAddressNode* a = list; a; a = a->pNext) {
        Json item = Json::Object();
        item.set("nFamily", Json::Int(a->nFamily));
        item.set("nPrefixLength", Json::Int(a->nPrefixLength));
        item.set("szAddress", Json::Text(a->szAddress));
        items.push(std::move(item));
    }
    return items;
}

// "192.0.2.2/24, fe80::1%4/64"; "-" for none.
std::string AddressesText(const NetAddressNode* list, bool withPrefix) {
    std::string text;
    for (const NetAddressNode* a = list; a; a = a->pNext) {
        if (!text.empty()) text += ", ";
        text += Utf8(a->szAddress);
        if (withPrefix) text += "/" + std::to_string(a->nPrefixLength);
    }
    return text.empty() ? "-" : text;
}

Record Adapter(const NetAdapterExNode& n) {
    const std::string type = Utf8(n.szType) + " (" + std::to_string(n.nIfType) + ")";
    const std::string status = Utf8(n.szOperStatus) + " (" + std::to_string(n.nOperStatus) + ")";
    const std::string speeds = LinkSpeedText(n.ullTransmitSpeed) + " / " + LinkSpeedText(n.ullReceiveSpeed);
    return {TextField("szFriendlyName", "Name", n.szFriendlyName),
            TextField("szDescription", "Description", n.szDescription),
            TextField("szAdapterName", "Adapter", n.szAdapterName),
            {"nIfType", "Type", Json::Int(n.nIfType), type},
            JsonField("szType", Json::Text(n.szType)),
            {"nOperStatus", "Status", Json::Int(n.nOperStatus), status},
            JsonField("szOperStatus", Json::Text(n.szOperStatus)),
            DashField("szPhysicalAddress", "Hardware address", n.szPhysicalAddress),
            NumberField("nMtu", "MTU", n.nMtu),
            {"ullTransmitSpeed", "Speed (send / receive)", Json::Int(Clamped(n.ullTransmitSpeed)), speeds},
            JsonField("ullReceiveSpeed", Json::Int(Clamped(n.ullReceiveSpeed))),
            {"nDhcpEnabled", "DHCP", Json::Int(n.nDhcpEnabled), n.nDhcpEnabled ? "enabled" : "disabled"},
            DashField("szDnsSuffix", "DNS suffix", n.szDnsSuffix),
            JsonField("nIfIndex", Json::Int(n.nIfIndex)),
            JsonField("nIpv6IfIndex", Json::Int(n.nIpv6IfIndex)),
            {"pUnicastAddresses", "Addresses", AddressList(n.pUnicastAddresses),
             AddressesText(n.pUnicastAddresses, true)},
            {"pGateways", "Gateways", AddressList(n.pGateways), AddressesText(n.pGateways, false)},
            {"pDnsServers", "DNS servers", AddressList(n.pDnsServers), AddressesText(n.pDnsServers, false)},
            JsonField("cbSize", Json::Int(n.cbSize))};
}

// One block of labelled lines an adapter, the values lined up.
std::string AdapterText(const Record& record) {
    std::size_t width = 0;
    for (const Field& f : record)
        if (f.label) width = std::max(width, std::string(f.label).size() + 1);
    std::string text;
    for (const Field& f : record) {
        if (!f.label) continue;
        std::string label = std::string(f.label) + ":";
        text += "    " + label + std::string(width - label.size() + 2, ' ') + f.text + "\n";
    }
    return text;
}

void ShowAdapters(SectionOutput& out, const NetAdapterExNode* list, int) {
    Json adapters = Json::Array();
    std::string text;
    int index = 0;
    for (const NetAdapterExNode* n = list; n; n = n->pNext) {
        Record record = Adapter(*n);
        Json object = Json::Object();
        SetFields(object, record);
        adapters.push(std::move(object));
        text += "  Adapter " + std::to_string(++index) + "\n" + AdapterText(record);
    }
    out.json.set("adapters", std::move(adapters));
    if (out.rc != 0) {
        out.text += "  (the adapter query failed)\n";
    } else {
        out.text += text.empty() ? "  (no adapter listed)\n" : text;
    }
}

SectionOutput RunAdapters(const Api& api, const Options&) {
    return RunCheck(api.Check_NetConfigEx, api.Release_NetConfigEx, ShowAdapters);
}

SectionRegistrar registrar({"adapters", "Network adapters and addresses", 65, RunAdapters});

}  // namespace
}  // namespace host
