// The bodies of the network exports: adapters, connectivity and shared folders.
// The exports guard these bodies: they catch every exception and hand in a
// local count where the host gave none, so `count` is never null here.
#pragma once

#include "core/records.h"

namespace tallowick {

int CheckNetConfig(NetConfigNode** result, int* count);
int ReleaseNetConfig(NetConfigNode* list);

int CheckNetConfigEx(NetAdapterExNode** result, int* count);
int ReleaseNetConfigEx(NetAdapterExNode* list);

int CheckNetwork(NetworkResult** result, int* count);

int CheckShareResource(ShareResourceNode** result, int* count);
int RepairShareResource(ShareResourceNode* list, CheckCallback callback, intptr_t context);
int ReleaseShareResource(ShareResourceNode* list);

}  // namespace tallowick
