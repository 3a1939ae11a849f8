// The computer's identity, filled on its user's stack.
#pragma once

#include <cstddef>

#include "core/processor_name.h"
#include "sysinfo/os_display_name.h"

namespace tallowick {

// The widths of the identity's fields, terminator included.
constexpr std::size_t kComputerNameUnits = 16;
constexpr std::size_t kWorkgroupUnits = 256;
constexpr std::size_t kTotalMemoryUnits = 50;
constexpr std::size_t kAddressUnits = 50;

struct ComputerIdentity {
    char16_t szComputerName[kComputerNameUnits];
    char16_t szWorkgroup[kWorkgroupUnits];
    char16_t szProcessorName[kProcessorNameUnits];  // ReadProcessorName
    char16_t szTotalMemory[kTotalMemoryUnits];
    char16_t szOsName[kOsDisplayNameUnits];  // GetOsDisplayName
    char16_t szIpAddress[kAddressUnits];
};

// Returns 0 for a null record, else fills it and returns 1.
int FillComputerIdentity(ComputerIdentity* record);

// The lookups behind it. Each returns 1 on success and 0 on failure, leaving
// the field untouched on failure.

// Workgroup or domain name (NetWkstaGetInfo level 100) into a 256-unit field.
int GetWorkgroupName(char16_t* field);
// Dotted IPv4 address of the local host name into a 50-unit field. Returns 0
// only when Windows Sockets cannot be started; a name that does not resolve
// leaves the field unchanged and returns 1.
int GetHostAddress(char16_t* field);

}  // namespace tallowick
