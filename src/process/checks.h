// The bodies of Check_Process and Release_Process.
// The exports guard these bodies: they catch every exception and hand in a
// local count where the host gave none, so `count` is never null here.
#pragma once

#include "core/records.h"

namespace tallowick {

int CheckProcess(ProcessNode** result, int* count);
int ReleaseProcess(ProcessNode* list);

}  // namespace tallowick
