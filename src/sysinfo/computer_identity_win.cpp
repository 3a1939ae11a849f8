#include <winsock2.h>

#include "sysinfo/computer_identity.h"

#include <lm.h>

#include <cstring>

#include "core/platform_owners.h"
#include "core/registry_reader.h"
#include "core/win_util.h"
#include "sysinfo/os_display_name.h"
#include "core/os_version.h"
#include "core/processor_name.h"

namespace tallowick {

int GetWorkgroupName(char16_t* field) {
    if (!field) return 0;
    // Freed whatever the call answered: a failed call may leave a buffer too.
    UniqueNetApiBuffer buffer;
    if (NetWkstaGetInfo(nullptr, 100, buffer.put()) != NERR_Success) return 0;
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer.get());
    CopyBounded(field, kWorkgroupUnits, info ? ViewOf(info->wki100_langroup) : TextView());
    return 1;
}

int GetHostAddress(char16_t* field) {
    if (!field) return 0;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0) return 0;
    char hostName[256] = {};
    if (gethostname(hostName, 255) == 0) {
        hostent* entry = gethostbyname(hostName);
        // An entry with an empty address list gives no address.
        if (entry && entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list &&
            entry->h_addr_list[0]) {
            in_addr address;
            std::memcpy(&address, entry->h_addr_list[0], sizeof address);
            const char* dotted = inet_ntoa(address);
            if (dotted) {
                wchar_t wide[kAddressUnits] = {};
                if (MultiByteToWideChar(CP_ACP, 0, dotted, -1, wide, static_cast<int>(kAddressUnits)) > 0) {
                    CopyBounded(field, kAddressUnits, U16(wide));
                }
            }
        }
    }
    WSACleanup();
    return 1;
}

int FillComputerIdentity(ComputerIdentity* record) {
    if (!record) return 0;
    std::memset(record, 0, sizeof *record);

    DWORD size = kComputerNameUnits;
    GetComputerNameW(W(record->szComputerName), &size);
    GetWorkgroupName(record->szWorkgroup);
    GetOsDisplayName(record->szOsName);
    ReadProcessorName(record->szProcessorName);

    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;  // 64
    if (!GlobalMemoryStatusEx(&memory)) memory.ullTotalPhys = 0;
    CopyField(record->szTotalMemory, FormatMegabytes(memory.ullTotalPhys));

    GetHostAddress(record->szIpAddress);
    return 1;
}

}  // namespace tallowick
