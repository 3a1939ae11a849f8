// Check_NetConfigEx: every adapter with its addresses, as IP Helper reports them.
#include "network/netconfig_ex_query.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "network/netconfig_ex.h"

namespace tallowick {

namespace {

// Whether the platform's record (Length bytes, shorter before Windows Vista)
// holds `field`.
#define TALLOWICK_RECORD_HOLDS(record, type, field) \
    ((record).Length >= offsetof(type, field) + sizeof((record).field))

SocketAddressFacts AddressFacts(const SOCKET_ADDRESS& address, std::uint32_t prefixLength) {
    SocketAddressFacts facts;
    const sockaddr* sa = address.lpSockaddr;
    if (!sa) return facts;
    if (sa->sa_family == AF_INET && address.iSockaddrLength >= static_cast<INT>(sizeof(sockaddr_in))) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(sa);
        facts.family = kFamilyInet;
        std::memcpy(facts.bytes, &in->sin_addr, 4);
    } else if (sa->sa_family == AF_INET6 && address.iSockaddrLength >= static_cast<INT>(sizeof(sockaddr_in6))) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(sa);
        facts.family = kFamilyInet6;
        std::memcpy(facts.bytes, &in6->sin6_addr, 16);
        facts.scopeId = in6->sin6_scope_id;
    }
    facts.prefixLength = prefixLength;
    return facts;
}

// The addresses of one of the platform's chains (unicast, gateway, DNS server).
template <typename Entry, typename Prefix>
void CollectAddresses(const Entry* first, std::vector<SocketAddressFacts>& out, Prefix prefix) {
    for (const Entry* e = first; e; e = e->Next) out.push_back(AddressFacts(e->Address, prefix(*e)));
}

AdapterExFacts FactsOf(const IP_ADAPTER_ADDRESSES& a) {
    AdapterExFacts facts;
    facts.friendlyName = ViewOf(a.FriendlyName);
    facts.description = ViewOf(a.Description);
    if (a.AdapterName) facts.adapterName = FromAnsi(a.AdapterName, MAX_ADAPTER_NAME_LENGTH + 4);
    facts.dnsSuffix = ViewOf(a.DnsSuffix);
    facts.ifType = a.IfType;
    facts.operStatus = static_cast<std::uint32_t>(a.OperStatus);
    facts.mtu = a.Mtu;
    facts.ifIndex = a.IfIndex;
    facts.ipv6IfIndex = a.Ipv6IfIndex;
    facts.dhcpEnabled = (a.Flags & IP_ADAPTER_DHCP_ENABLED) != 0;
    const ULONG hardwareLength = a.PhysicalAddressLength < MAX_ADAPTER_ADDRESS_LENGTH ? a.PhysicalAddressLength
                                                                                       : MAX_ADAPTER_ADDRESS_LENGTH;
    facts.hardwareAddress.assign(a.PhysicalAddress, a.PhysicalAddress + hardwareLength);

    // Prefix lengths, link speeds and gateways came with Windows Vista.
    CollectAddresses(a.FirstUnicastAddress, facts.unicast, [](const IP_ADAPTER_UNICAST_ADDRESS& u) {
        return TALLOWICK_RECORD_HOLDS(u, IP_ADAPTER_UNICAST_ADDRESS, OnLinkPrefixLength) ? u.OnLinkPrefixLength
                                                                                           : 0u;
    });
    CollectAddresses(a.FirstDnsServerAddress, facts.dnsServers, [](const IP_ADAPTER_DNS_SERVER_ADDRESS&) { return 0u; });
    if (TALLOWICK_RECORD_HOLDS(a, IP_ADAPTER_ADDRESSES, FirstGatewayAddress)) {
        facts.transmitSpeed = a.TransmitLinkSpeed;
        facts.receiveSpeed = a.ReceiveLinkSpeed;
        CollectAddresses(a.FirstGatewayAddress, facts.gateways, [](const IP_ADAPTER_GATEWAY_ADDRESS&) { return 0u; });
    }
    return facts;
}

#undef TALLOWICK_RECORD_HOLDS

// One address list of a node; out of memory throws, so that the adapter
// node that would own it is freed whole.
NetAddressNode* BuildAddresses(const std::vector<AddressRow>& rows) {
    ListBuilder<NetAddressNode> list;
    for (const AddressRow& row : rows) {
        NetAddressNode* node = AppendNewNode(list, nullptr, [&](NetAddressNode& n) {
            n.cbSize = sizeof(NetAddressNode);
            n.nFamily = row.family;
            n.nPrefixLength = row.prefixLength;
            CopyField(n.szAddress, row.address);
        });
        if (!node) throw std::bad_alloc();
    }
    return list.Release();
}

void FillNode(const AdapterExRow& row, NetAdapterExNode& node) {
    node.cbSize = sizeof(NetAdapterExNode);
    node.nIfType = row.ifType;
    node.nOperStatus = row.operStatus;
    node.nMtu = row.mtu;
    node.nDhcpEnabled = row.dhcpEnabled;
    node.nIfIndex = row.ifIndex;
    node.nIpv6IfIndex = row.ipv6IfIndex;
    node.ullTransmitSpeed = row.transmitSpeed;
    node.ullReceiveSpeed = row.receiveSpeed;
    CopyField(node.szFriendlyName, row.friendlyName);
    CopyField(node.szDescription, row.description);
    CopyField(node.szAdapterName, row.adapterName);
    CopyField(node.szType, row.typeWord);
    CopyField(node.szOperStatus, row.statusWord);
    CopyField(node.szPhysicalAddress, row.hardwareAddress);
    CopyField(node.szDnsSuffix, row.dnsSuffix);
    // Each list is owned by the node as soon as it is linked in.
    node.pUnicastAddresses = BuildAddresses(row.unicast);
    node.pGateways = BuildAddresses(row.gateways);
    node.pDnsServers = BuildAddresses(row.dnsServers);
}

}  // namespace

int CheckNetConfigEx(NetAdapterExNode** result, int* count) {
    return CheckNetConfigExWith(&GetAdaptersAddresses, result, count);
}

int CheckNetConfigExWith(AdaptersAddressesQuery query, NetAdapterExNode** result, int* count) {
    *count = 0;
    // The buffer in 8-byte units: the records hold 64-bit fields. The list
    // may grow between two calls, so the answer's size is asked for again
    // a few times.
    ULONG size = kFirstAdapterAddressesBytes;
    std::unique_ptr<std::uint64_t[]> buffer;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.reset(new (std::nothrow) std::uint64_t[size / 8 + 1]);
        if (!buffer) return 1;
        status = query(AF_UNSPEC, kAdapterAddressesFlags, nullptr,
                       reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
    }
    if (status == ERROR_NO_DATA) {
        *result = nullptr;  // no adapter: the empty list
        return 0;
    }
    if (status != ERROR_SUCCESS) return 1;

    ListBuilder<NetAdapterExNode> built;
    int adapters = 0;
    try {
        for (const IP_ADAPTER_ADDRESSES* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.get()); a;
             a = a->Next) {
            const AdapterExRow row = MakeAdapterExRow(FactsOf(*a));
            // A node whose address lists cannot be built is freed with them.
            if (!AppendNewNode(built, &adapters, [&](NetAdapterExNode& node) { FillNode(row, node); })) return 1;
        }
    } catch (const std::bad_alloc&) {
        return 1;  // out of memory: nothing handed over, everything freed
    }
    *count = adapters;
    *result = built.Release();
    return 0;
}

int ReleaseNetConfigEx(NetAdapterExNode* list) { return ReleaseList(list); }

}  // namespace tallowick
