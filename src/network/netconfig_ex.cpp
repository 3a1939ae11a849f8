#include "network/netconfig_ex.h"

namespace tallowick {

namespace {

const char16_t kHexUpper[] = u"0123456789ABCDEF";
const char16_t kHexLower[] = u"0123456789abcdef";

void AppendDecimal(Text& out, std::uint32_t value) {
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) out += digits[--n];
}

void AppendHexGroup(Text& out, unsigned group) {
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
        unsigned digit = (group >> shift) & 0xF;
        if (digit != 0 || started || shift == 0) {
            out += kHexLower[digit];
            started = true;
        }
    }
}

void AppendIpv4(Text& out, const std::uint8_t* bytes) {
    for (int i = 0; i < 4; ++i) {
        if (i) out += u'.';
        AppendDecimal(out, bytes[i]);
    }
}

std::vector<AddressRow> AddressRows(const std::vector<SocketAddressFacts>& addresses) {
    std::vector<AddressRow> rows;
    rows.reserve(addresses.size());
    for (const SocketAddressFacts& a : addresses) {
        Text text = SocketAddressText(a);
        if (text.empty()) continue;
        rows.push_back({a.family, a.prefixLength, BoundedText(text, kAddressTextBound)});
    }
    return rows;
}

}  // namespace

const char16_t* InterfaceTypeWord(std::uint32_t type) {
    switch (type) {
        case 6: return u"Ethernet";
        case 71: return u"Wi-Fi";
        case 24: return u"Loopback";
        case 131: return u"Tunnel";
        case 23: return u"PPP";
        case 243:
        case 244: return u"Mobile broadband";
        default: return u"Other";
    }
}

const char16_t* OperStatusWord(std::uint32_t status) {
    switch (status) {
        case 1: return u"Up";
        case 2: return u"Down";
        case 3: return u"Testing";
        case 5: return u"Dormant";
        case 6: return u"Not present";
        case 7: return u"Lower layer down";
        default: return u"Unknown";
    }
}

Text HardwareAddressText(const std::uint8_t* bytes, std::size_t length) {
    Text out;
    if (!bytes) return out;
    if (length > 8) length = 8;
    for (std::size_t i = 0; i < length; ++i) {
        if (i) out += u'-';
        out += kHexUpper[bytes[i] >> 4];
        out += kHexUpper[bytes[i] & 0xF];
    }
    return out;
}

Text Ipv4Text(const std::uint8_t (&bytes)[4]) {
    Text out;
    AppendIpv4(out, bytes);
    return out;
}

Text Ipv6Text(const std::uint8_t (&bytes)[16], std::uint32_t scopeId) {
    unsigned groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = (unsigned(bytes[2 * i]) << 8) | bytes[2 * i + 1];

    Text out;
    const bool mapped = groups[0] == 0 && groups[1] == 0 && groups[2] == 0 && groups[3] == 0 && groups[4] == 0 &&
                        groups[5] == 0xFFFF;
    if (mapped) {
        out = u"::ffff:";
        AppendIpv4(out, bytes + 12);
    } else {
        // The longest run of zero groups, the first of equal ones; a single
        // zero group is written as "0".
        int bestStart = -1, bestLength = 1;
        for (int i = 0; i < 8;) {
            if (groups[i] != 0) {
                ++i;
                continue;
            }
            int j = i;
            while (j < 8 && groups[j] == 0) ++j;
            if (j - i > bestLength) {
                bestStart = i;
                bestLength = j - i;
            }
            i = j;
        }
        for (int i = 0; i < 8; ++i) {
            if (i == bestStart) {
                out += u"::";
                i += bestLength - 1;
                continue;
            }
            if (i != 0 && i != bestStart + bestLength) out += u':';
            AppendHexGroup(out, groups[i]);
        }
    }
    if (scopeId != 0) {
        out += u'%';
        AppendDecimal(out, scopeId);
    }
    return out;
}

Text SocketAddressText(const SocketAddressFacts& address) {
    if (address.family == kFamilyInet) {
        Text out;
        AppendIpv4(out, address.bytes);
        return out;
    }
    if (address.family == kFamilyInet6) return Ipv6Text(address.bytes, address.scopeId);
    return Text();
}

AdapterExRow MakeAdapterExRow(const AdapterExFacts& adapter) {
    AdapterExRow row;
    row.friendlyName = BoundedText(adapter.friendlyName, kAdapterExNameBound);
    row.description = BoundedText(adapter.description, kAdapterExNameBound);
    row.adapterName = BoundedText(adapter.adapterName, kAdapterExIdBound);
    row.dnsSuffix = BoundedText(adapter.dnsSuffix, kAdapterExNameBound);
    row.typeWord = InterfaceTypeWord(adapter.ifType);
    row.statusWord = OperStatusWord(adapter.operStatus);
    row.hardwareAddress = HardwareAddressText(adapter.hardwareAddress.data(), adapter.hardwareAddress.size());
    row.ifType = adapter.ifType;
    row.operStatus = adapter.operStatus;
    row.mtu = adapter.mtu;
    row.ifIndex = adapter.ifIndex;
    row.ipv6IfIndex = adapter.ipv6IfIndex;
    row.dhcpEnabled = adapter.dhcpEnabled ? 1 : 0;
    row.transmitSpeed = adapter.transmitSpeed;
    row.receiveSpeed = adapter.receiveSpeed;
    row.unicast = AddressRows(adapter.unicast);
    row.gateways = AddressRows(adapter.gateways);
    row.dnsServers = AddressRows(adapter.dnsServers);
    return row;
}

}  // namespace tallowick
