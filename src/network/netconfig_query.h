// The adapter query behind Check_NetConfig, with the platform call handed in
// (the system's GetAdaptersInfo in the library).
#pragma once

#include "plugin/win_util.h"

#include <iphlpapi.h>

#include "plugin/checks.h"

namespace tallowick {

using AdaptersInfoQuery = ULONG(WINAPI*)(PIP_ADAPTER_INFO adapters, PULONG size);

int CheckNetConfigWith(AdaptersInfoQuery query, NetConfigNode** result, int* count);

}  // namespace tallowick
