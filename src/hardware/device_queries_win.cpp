#include "hardware/hardware_win.h"  // windows.h first

#include <comdef.h>
#include <oleauto.h>

#include <new>

#include "core/platform_owners.h"

namespace tallowick {

const DeviceQuery kDiskDriveQuery = {"SELECT * FROM Win32_DiskDrive", L"Size", L"InterfaceType"};
const DeviceQuery kDesktopMonitorQuery = {"SELECT * FROM Win32_DesktopMonitor", nullptr, L"MonitorType"};
const DeviceQuery kVideoControllerQuery = {"SELECT * FROM Win32_VideoController", nullptr, L"Name"};
const DeviceQuery kSoundDeviceQuery = {"SELECT * FROM Win32_SoundDevice", nullptr, L"Name"};
const DeviceQuery kNetworkAdapterQuery = {"SELECT * FROM Win32_NetworkAdapter", nullptr, L"Name"};
const DeviceQuery kCdromDriveQuery = {"SELECT * FROM Win32_CDROMDrive", nullptr, L"Name"};
const DeviceQuery kPointingDeviceQuery = {"SELECT * FROM Win32_PointingDevice", nullptr, L"Name"};

Text PropertyText(IWbemClassObject* instance, const wchar_t* name) {
    if (!instance || !name) return Text();
    UniqueVariant value;
    if (FAILED(instance->Get(name, 0, value.get(), nullptr, nullptr))) return Text();
    // Only a string is text; a missing or null property, or one of any other
    // type, contributes the empty text.
    if (V_VT(value.get()) != VT_BSTR || !V_BSTR(value.get())) return Text();
    BSTR text = V_BSTR(value.get());
    return Text(U16(text), SysStringLen(text));
}

void ReadInstances(IEnumWbemClassObject* enumerator, const DeviceQuery& query, InstanceJoiner& joiner) {
    if (!enumerator) return;
    // Once the field is full nothing more can show: stop fetching.
    while (!joiner.full()) {
        ComPtr<IWbemClassObject> instance;
        ULONG returned = 0;
        // A failing fetch (a semisynchronous query reports its own error
        // here) returns no object and ends the result set like its end.
        enumerator->Next(WBEM_INFINITE, 1, instance.put(), &returned);
        if (returned == 0 || !instance) break;
        if (query.sizeProperty) {
            joiner.Add(DiskInstanceText(PropertyText(instance.get(), query.sizeProperty),
                                        PropertyText(instance.get(), query.property)));
        } else {
            joiner.Add(PropertyText(instance.get(), query.property));
        }
    }
}

bool RunDeviceQuery(CLocalHardwareInfo& info, const DeviceQuery& query, wchar_t* field) {
    try {
        if (!info.OpenQuery(query.wql)) return false;  // the field stays as it was
        InstanceJoiner joiner(U16(field), kHardwareFieldBound);
        ReadInstances(info.Enumerator(), query, joiner);
        info.ReleaseInterfaces();
        return true;
    } catch (const _com_error&) {
        // An automation string could not be made.
    } catch (const std::bad_alloc&) {
        // A text could not be held.
    }
    // Whatever was obtained of this query goes; the field is emptied and the
    // check goes on with the next query.
    info.ReleaseInterfaces();
    if (field) field[0] = 0;
    return false;
}

}  // namespace tallowick
