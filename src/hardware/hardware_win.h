// The hardware check on Windows: the WMI connection object of one check, the
// seven device class queries, and the collection of the nine report fields.
#pragma once

#include "core/win_util.h"  // windows.h first

#include <wbemidl.h>

#include "core/platform_owners.h"
#include "hardware/hardware_text.h"
#include "hardware/checks.h"

namespace tallowick {

// The check's handle on the local WMI service. One object lives for one
// check call: construction initialises COM on the calling thread (the
// multithreaded apartment), destruction balances exactly what construction
// initialised. Each query is a full cycle: OpenQuery (a new locator, a new
// connection to ROOT\CIMV2 and the query), reading the enumerator, then
// ReleaseInterfaces; between two queries the object holds no WMI interface.
//
// OpenQuery and Connect make automation strings; when one cannot be made
// (no memory, a text that cannot be widened) a _com_error is raised with the
// interfaces obtained so far still held: the caller catches it and calls
// ReleaseInterfaces (RunDeviceQuery does).
class CLocalHardwareInfo {
public:
    CLocalHardwareInfo() = default;
    ~CLocalHardwareInfo();

    // Locator, connection to ROOT\CIMV2 and its proxy blanket. True when the
    // connection is ready. Called by OpenQuery; interfaces held from before
    // are released first, so nothing is ever leaked.
    bool Connect();
    // Connects and runs one WQL query (ASCII text, widened through the ANSI
    // code page). True when the enumerator holds the result set; on false
    // the object holds no interface.
    bool OpenQuery(const char* text);
    // Releases the enumerator, the connection and the locator, in that
    // order, those that are held.
    void ReleaseInterfaces();

    IEnumWbemClassObject* Enumerator() const { return m_pEnumerator.get(); }
    bool CoInitialized() const { return m_com.initialized(); }
    bool HoldsInterface() const { return m_pLocator || m_pServices || m_pEnumerator; }

private:
    CLocalHardwareInfo(const CLocalHardwareInfo&) = delete;
    CLocalHardwareInfo& operator=(const CLocalHardwareInfo&) = delete;

    // S_OK, or S_FALSE when the thread already is in the multithreaded
    // apartment: both are balanced. A thread in a single-threaded apartment
    // gets RPC_E_CHANGED_MODE: nothing to balance, and the queries run in
    // the apartment the thread has. Declared first: it outlives the
    // interfaces below, which are released before COM is balanced.
    ComInitialization m_com{COINIT_MULTITHREADED};
    ComPtr<IWbemLocator> m_pLocator;
    ComPtr<IWbemServices> m_pServices;
    ComPtr<IEnumWbemClassObject> m_pEnumerator;
};

// One device class query: its WQL text and what is read of each instance.
struct DeviceQuery {
    const char* wql;
    // Disk drives: the decimal size read first and formatted ("%.3fGB ");
    // null for the other classes.
    const wchar_t* sizeProperty;
    // The property whose text is appended unchanged.
    const wchar_t* property;
};

extern const DeviceQuery kDiskDriveQuery;
extern const DeviceQuery kDesktopMonitorQuery;
extern const DeviceQuery kVideoControllerQuery;
extern const DeviceQuery kSoundDeviceQuery;
extern const DeviceQuery kNetworkAdapterQuery;
extern const DeviceQuery kCdromDriveQuery;
extern const DeviceQuery kPointingDeviceQuery;

// The text of a property of one instance: the string when the property holds
// one, else (missing, null, any other type) the empty text.
Text PropertyText(IWbemClassObject* instance, const wchar_t* name);

// Reads every instance that `enumerator` yields, one at a time, and adds its
// text to `joiner`. Ends at the first fetch that returns no object.
void ReadInstances(IEnumWbemClassObject* enumerator, const DeviceQuery& query, InstanceJoiner& joiner);

// Runs one query through `info` into `field` (bounded to 1024 units). True
// when the query ran, also when it found nothing; false when it could not be
// opened, with the field as it was. When an automation string cannot be made
// the interfaces are released, the field gets the empty text, and false is
// returned. The object holds no interface afterwards, in every case.
bool RunDeviceQuery(CLocalHardwareInfo& info, const DeviceQuery& query, wchar_t* field);

// Fills the nine fields of `record` in order; `*count` counts them. Calls
// `callback` (when given) once before the first field: a non-zero answer
// stops at once with every field empty and the count 0. Returns 0 when all
// nine were filled, 1 when the host cancelled.
int CollectHardwareConfig(CheckCallback callback, intptr_t context, HardwareConfigResult* record, int* count,
                          CLocalHardwareInfo& info);

// The processor name into a report field: the computer identity's processor
// name (leading blanks removed), empty when it cannot be read. Always 1.
int GetProcessorName(wchar_t* field);

}  // namespace tallowick
