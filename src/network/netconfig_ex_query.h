// The adapter query behind Check_NetConfigEx, with the platform call handed
// in (the system's GetAdaptersAddresses in the library).
#pragma once

#include <winsock2.h>
#include <ws2ipdef.h>

#include "core/win_util.h"

#include <iphlpapi.h>

#include "network/checks.h"

namespace tallowick {

// The flags of the query: both families' unicast addresses with their
// prefixes, the gateways and the DNS servers.
constexpr ULONG kAdapterAddressesFlags = GAA_FLAG_INCLUDE_PREFIX | GAA_FLAG_INCLUDE_GATEWAYS;

// The first buffer offered: enough for a few adapters with their addresses,
// so that most systems answer the first call.
constexpr ULONG kFirstAdapterAddressesBytes = 15 * 1024;

using AdaptersAddressesQuery = ULONG(WINAPI*)(ULONG family, ULONG flags, PVOID reserved,
                                              PIP_ADAPTER_ADDRESSES adapters, PULONG size);

int CheckNetConfigExWith(AdaptersAddressesQuery query, NetAdapterExNode** result, int* count);

}  // namespace tallowick
