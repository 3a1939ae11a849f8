// The adapter query behind Check_NetConfig, with the platform call handed in
// (the system's GetAdaptersInfo in the library).
#pragma once

#include "core/win_util.h"

#include <iphlpapi.h>

#include "network/netconfig.h"
#include "network/checks.h"

namespace tallowick {

// The first buffer offered to the query: one record as Windows writes it for
// a process of this build's bitness.
constexpr ULONG kFirstAdapterBufferBytes =
    static_cast<ULONG>(sizeof(void*) == 8 ? kAdapterRecordBytes64 : kAdapterRecordBytes);

using AdaptersInfoQuery = ULONG(WINAPI*)(PIP_ADAPTER_INFO adapters, PULONG size);

int CheckNetConfigWith(AdaptersInfoQuery query, NetConfigNode** result, int* count);

}  // namespace tallowick
