// The nineteen exports in ordinal order, for code that finds them at run time
// (the host, the benchmark, the tests): X(name) once for each.
#pragma once

#define TALLOWICK_FOR_EACH_EXPORT(X)                                                                 \
    X(Check_HDD) X(Check_HardwareConfig) X(Check_InstalledApps) X(Check_NetConfig) X(Check_NetInfo) \
    X(Check_Network) X(Check_Process) X(Check_ShareResource) X(Check_SysInfo) X(Release_HDD)        \
    X(Release_HardwareConfig) X(Release_InstalledApps) X(Release_NetConfig) X(Release_NetInfo)      \
    X(Release_Network) X(Release_Process) X(Release_ShareResource) X(Release_SysInfo)               \
    X(Repair_ShareResource)
