// Placeholder until the identity lookups land: the record stays as given.
#include "sysinfo/computer_identity.h"

namespace tallowick {

int FillComputerIdentity(ComputerIdentity* record) { return record ? 1 : 0; }

}  // namespace tallowick
