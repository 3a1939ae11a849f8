// The computer's identity, filled on its user's stack.
#pragma once

namespace tallowick {

struct ComputerIdentity {
    char16_t szComputerName[16];
    char16_t szWorkgroup[256];
    char16_t szProcessorName[256];
    char16_t szTotalMemory[50];
    char16_t szOsName[256];
    char16_t szIpAddress[50];
};

// Returns 0 for a null record, else fills it and returns 1.
int FillComputerIdentity(ComputerIdentity* record);

}  // namespace tallowick
