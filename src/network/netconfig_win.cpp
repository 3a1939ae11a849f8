// Check_NetConfig: the network adapters as IP Helper reports them.
#include "network/netconfig_query.h"

#include <memory>
#include <new>

#include "network/netconfig.h"

namespace tallowick {

namespace {

// The field texts of the platform record are ANSI, each in a fixed byte
// array; a text that fills its array is read no further than the array.
template <std::size_t N>
Text AnsiField(const char (&field)[N]) {
    return FromAnsi(field, N);
}

AdapterFacts FactsOf(const IP_ADAPTER_INFO& adapter) {
    AdapterFacts facts;
    facts.description = AnsiField(adapter.Description);
    facts.type = adapter.Type;
    facts.ipAddress = AnsiField(adapter.IpAddressList.IpAddress.String);
    facts.ipMask = AnsiField(adapter.IpAddressList.IpMask.String);
    return facts;
}

void FillNode(const NetConfigRow& row, NetConfigNode& node) {
    CopyField(node.szDescription, row.description, kNetConfigTextBound);
    CopyField(node.szType, row.type, kNetConfigTextBound);
    CopyField(node.szIpAddress, row.ipAddress, kNetConfigTextBound);
    CopyField(node.szSubnetMask, row.subnetMask, kNetConfigTextBound);
}

}  // namespace

int CheckNetConfig(NetConfigNode** result, int* count) {
    return CheckNetConfigWith(&GetAdaptersInfo, result, count);
}

int CheckNetConfigWith(AdaptersInfoQuery query, NetConfigNode** result, int* count) {
    *count = 0;
    ULONG size = kFirstAdapterBufferBytes;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
    if (!buffer) return 1;
    ULONG status = query(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    if (status == ERROR_BUFFER_OVERFLOW) {
        buffer.reset(new (std::nothrow) char[size]);
        if (!buffer) return 1;
    }
    // Only the second call's answer counts.
    status = query(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    if (status != ERROR_SUCCESS) return 1;

    // The records are walked by their links only: the platform's record may
    // be larger than this compiler's IP_ADAPTER_INFO.
    ListBuilder<NetConfigNode> built;
    // Out of memory ends the walk with the adapters listed so far.
    try {
        for (const IP_ADAPTER_INFO* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.get()); adapter;
             adapter = adapter->Next) {
            const NetConfigRow row = MakeNetConfigRow(FactsOf(*adapter));
            AppendNewNode(built, count, [&](NetConfigNode& node) { FillNode(row, node); });
        }
    } catch (const std::bad_alloc&) {
    }
    *result = built.Release();
    return 0;
}

int ReleaseNetConfig(NetConfigNode* list) { return ReleaseList(list); }

}  // namespace tallowick
