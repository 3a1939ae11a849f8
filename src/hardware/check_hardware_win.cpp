// The hardware configuration report: processor, physical memory and seven
// device classes read through WMI, in one block of nine text fields.
#include "hardware/hardware_win.h"  // windows.h first

#include <new>

#include "core/host_callback.h"
#include "core/message_catalog.h"
#include "core/processor_name.h"

namespace tallowick {
namespace {

template <std::size_t N>
void CopyReportField(wchar_t (&field)[N], TextView text) {
    CopyField(field, text, kHardwareFieldBound);
}

}  // namespace

int GetProcessorName(wchar_t* field) {
    // The processor name of the computer's identity, read on its own: the
    // rest of the identity (host address lookup, workgroup, OS name) is not
    // needed here and would only slow the check down.
    char16_t name[kProcessorNameUnits] = {};
    ReadProcessorName(name);  // unreadable: stays empty
    CopyBounded(U16(field), kHardwareFieldBound, TextView(name, BoundedLength(name, sizeof name / sizeof name[0])));
    return 1;
}

int CollectHardwareConfig(CheckCallback callback, intptr_t context, HardwareConfigResult* record, int* count,
                          CLocalHardwareInfo& info) {
    *count = 0;
    // The host's one chance to cancel, before anything is read.
    // The poll passes the empty text, not a null status: kept on purpose.
    if (HostCallback(callback, context).CancelRequested(L"")) return 1;

    GetProcessorName(record->szProcessor);
    ++*count;

    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);  // on failure the total stays 0
    CopyReportField(record->szMemory, FormatMegabytes(memory.ullTotalPhys));
    ++*count;

    // Disk drives and monitors have no replacement text.
    RunDeviceQuery(info, kDiskDriveQuery, record->szDiskDrive);
    ++*count;
    RunDeviceQuery(info, kDesktopMonitorQuery, record->szMonitor);
    ++*count;

    const struct {
        const DeviceQuery* query;
        wchar_t* field;
        int index;
    } devices[] = {
        {&kVideoControllerQuery, record->szVideoController, kVideoControllerField},
        {&kSoundDeviceQuery, record->szSoundDevice, kSoundDeviceField},
        {&kNetworkAdapterQuery, record->szNetworkAdapter, kNetworkAdapterField},
        {&kCdromDriveQuery, record->szCdromDrive, kCdromDriveField},
        {&kPointingDeviceQuery, record->szPointingDevice, kPointingDeviceField},
    };
    for (const auto& device : devices) {
        RunDeviceQuery(info, *device.query, device.field);
        ++*count;
        if (NeedsNoDriverText(device.index, U16(device.field))) {
            // Without a catalogue set up the field stays empty.
            MessageBuffer message;
            const char16_t* text = GetMessageText(kNoDriverMessageId, message);
            if (text) CopyBounded(U16(device.field), kHardwareFieldBound, text);
        }
    }
    return 0;
}

int CheckHardwareConfig(HardwareConfigResult** result, CheckCallback callback, int* count, intptr_t context) {
    // Held until complete: a failure on the way (an exception out of the
    // host's callback included) frees it.
    NodePtr<HardwareConfigResult> record = MakeZeroed<HardwareConfigResult>();
    if (!record) return 1;
    {
        CLocalHardwareInfo info;  // COM for the length of this call
        CollectHardwareConfig(callback, context, record.get(), count, info);
    }
    // Handed over whether the collection completed or was cancelled; code 0
    // for a cancelled check too: kept on purpose for hosts.
    *result = record.release();
    return 0;
}

}  // namespace tallowick
