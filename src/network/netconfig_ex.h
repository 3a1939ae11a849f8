// Extended adapter list: the words of interface types and operational states,
// hardware and socket addresses as text, and the rows of one adapter node,
// independent of the IP Helper records they come from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/text.h"

namespace tallowick {

// Field widths of NetAdapterExNode and NetAddressNode (units, terminator included).
constexpr std::size_t kAdapterExNameBound = 256;      // friendly name, description, DNS suffix
constexpr std::size_t kAdapterExIdBound = 64;         // the adapter's name (its GUID text)
constexpr std::size_t kAdapterExWordBound = 32;       // type word, status word, hardware address
constexpr std::size_t kAddressTextBound = 64;         // an address with its zone

// Address families as Windows numbers them.
constexpr std::uint32_t kFamilyInet = 2;
constexpr std::uint32_t kFamilyInet6 = 23;

// The interface type as a plain English word: "Ethernet", "Wi-Fi",
// "Loopback", "Tunnel", "PPP", "Mobile broadband", else "Other".
const char16_t* InterfaceTypeWord(std::uint32_t type);

// The operational state (IfOperStatus) as a word: "Up", "Down", "Testing",
// "Unknown", "Dormant", "Not present", "Lower layer down"; "Unknown" for a
// number outside 1-7.
const char16_t* OperStatusWord(std::uint32_t status);

// "02-FC-00-1A-2B-3C": uppercase hex pairs joined by dashes; at most eight
// bytes are read (the platform's field); empty for length 0.
Text HardwareAddressText(const std::uint8_t* bytes, std::size_t length);

// "192.0.2.1".
Text Ipv4Text(const std::uint8_t (&bytes)[4]);

// An IPv6 address as RFC 5952 writes it: lowercase hex without leading
// zeros, the longest run of two or more zero groups (the first of equal
// ones) as "::"; an IPv4-mapped address as "::ffff:192.0.2.1". A non-zero
// scope id follows as "%4", as Windows shows link-local addresses.
Text Ipv6Text(const std::uint8_t (&bytes)[16], std::uint32_t scopeId);

// One socket address as the platform hands it over, its bytes copied out.
struct SocketAddressFacts {
    std::uint32_t family = 0;        // kFamilyInet, kFamilyInet6, else unknown
    std::uint8_t bytes[16] = {};     // IPv4: the first four
    std::uint32_t scopeId = 0;       // IPv6 only
    std::uint32_t prefixLength = 0;  // unicast addresses; 0 for gateways and DNS servers
};

// The address as text; empty for a family that is neither IPv4 nor IPv6.
Text SocketAddressText(const SocketAddressFacts& address);

// What the check takes from one adapter, its texts already in UTF-16.
struct AdapterExFacts {
    Text friendlyName;
    Text description;
    Text adapterName;
    Text dnsSuffix;
    std::uint32_t ifType = 0;
    std::uint32_t operStatus = 0;
    std::uint32_t mtu = 0;
    std::uint32_t ifIndex = 0;
    std::uint32_t ipv6IfIndex = 0;
    bool dhcpEnabled = false;
    std::uint64_t transmitSpeed = 0;  // bits per second
    std::uint64_t receiveSpeed = 0;
    std::vector<std::uint8_t> hardwareAddress;
    std::vector<SocketAddressFacts> unicast;
    std::vector<SocketAddressFacts> gateways;
    std::vector<SocketAddressFacts> dnsServers;
};

// One node of an address list as the record holds it.
struct AddressRow {
    std::uint32_t family = 0;
    std::uint32_t prefixLength = 0;
    Text address;
};

// One adapter node as the record holds it: every text cut to its field,
// addresses of an unknown family left out.
struct AdapterExRow {
    Text friendlyName, description, adapterName, dnsSuffix;
    Text typeWord, statusWord, hardwareAddress;
    std::uint32_t ifType = 0, operStatus = 0, mtu = 0, ifIndex = 0, ipv6IfIndex = 0, dhcpEnabled = 0;
    std::uint64_t transmitSpeed = 0, receiveSpeed = 0;
    std::vector<AddressRow> unicast, gateways, dnsServers;
};

AdapterExRow MakeAdapterExRow(const AdapterExFacts& adapter);

}  // namespace tallowick
