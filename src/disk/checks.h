// The bodies of Check_HDD and Release_HDD.
// The exports guard these bodies: they catch every exception and hand in a
// local count where the host gave none, so `count` is never null here.
#pragma once

#include "core/records.h"

namespace tallowick {

int CheckHdd(HddNode** result, CheckCallback callback, int* count, intptr_t context);
int ReleaseHdd(HddNode* list);

}  // namespace tallowick
