// The body of Check_HardwareConfig (its release is the plain delete in the exports).
// The exports guard these bodies: they catch every exception and hand in a
// local count where the host gave none, so `count` is never null here.
#pragma once

#include "core/records.h"

namespace tallowick {

int CheckHardwareConfig(HardwareConfigResult** result, CheckCallback callback, int* count, intptr_t context);

}  // namespace tallowick
