#include "network/netconfig.h"

namespace tallowick {

const char16_t* AdapterTypeLabel(std::uint32_t type) {
    switch (type) {
        case 1: return u"MIB_IF_TYPE_OTHER";
        case 6: return u"LAN 或 高速Internet";  // the one Chinese label: kept on purpose
        case 9: return u"MIB_IF_TYPE_TOKENRING";
        case 15: return u"MIB_IF_TYPE_FDDI";
        case 23: return u"MIB_IF_TYPE_PPP";
        case 24: return u"MIB_IF_TYPE_LOOPBACK";
        case 28: return u"MIB_IF_TYPE_SLIP";
        default: return u"unknown";
    }
}

NetConfigRow MakeNetConfigRow(const AdapterFacts& adapter) {
    NetConfigRow row;
    row.description = BoundedText(adapter.description, kNetConfigTextBound);
    row.type = BoundedText(AdapterTypeLabel(adapter.type), kNetConfigTextBound);
    row.ipAddress = BoundedText(adapter.ipAddress, kNetConfigTextBound);
    row.subnetMask = BoundedText(adapter.ipMask, kNetConfigTextBound);
    return row;
}

}  // namespace tallowick
