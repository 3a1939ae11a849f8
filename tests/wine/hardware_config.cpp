// The hardware configuration check: the export as a host calls it, the WMI
// connection object and its COM lifetime, and the reading of query results
// (through Wine's WMI and through stand-in result objects).
// Wine's WMI runs in services that other tests' emulated Windows versions
// reach; a query made while another test has changed the prefix-wide version
// can take minutes. Hence the prefix lock.
// ctest-lock: prefix
#include <gtest/gtest.h>

#include "hardware/hardware_win.h"  // windows.h first

#include <oleauto.h>

#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "sysinfo/computer_identity.h"
#include "test_support.h"

namespace {

using tallowick::CLocalHardwareInfo;
using tallowick::DeviceQuery;

const std::wstring kNoDriverText = L"未安装驱动程序";  // the catalogue's "NoInstallDriver"

constexpr std::size_t kFieldUnits = 1025;

std::vector<std::wstring> Fields(const HardwareConfigResult& r) {
    return {r.szProcessor,   r.szMemory,         r.szDiskDrive,  r.szMonitor,       r.szVideoController,
            r.szSoundDevice, r.szNetworkAdapter, r.szCdromDrive, r.szPointingDevice};
}

std::vector<std::wstring> Split(const std::wstring& text) {
    std::vector<std::wstring> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t sep = text.find(L"; ", start);
        out.push_back(text.substr(start, sep == std::wstring::npos ? sep : sep - start));
        if (sep == std::wstring::npos) return out;
        start = sep + 2;
    }
}

// "76.604GB IDE": digits, a point, three decimals, "GB ", then the interface.
bool LooksLikeDriveText(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && iswdigit(text[i])) ++i;
    if (i == 0 || i + 4 > text.size() || text[i] != L'.') return false;
    for (std::size_t k = 1; k <= 3; ++k)
        if (!iswdigit(text[i + k])) return false;
    return text.compare(i + 4, 3, L"GB ") == 0;
}

std::wstring ExpectedMemoryText() {
    MEMORYSTATUSEX m = {};
    m.dwLength = sizeof m;
    GlobalMemoryStatusEx(&m);
    return std::to_wstring(m.ullTotalPhys >> 20) + L" MB";
}

std::wstring IdentityProcessorName() {
    tallowick::ComputerIdentity id = {};
    tallowick::FillComputerIdentity(&id);
    return tallowick::W(id.szProcessorName);
}

// Every call the check makes to the host's callback.
struct CallbackCall {
    bool statusNull;
    std::wstring status;
    int r2, r3, r4, r5;
    intptr_t context;
    const wchar_t* message;
    int style;
    int* value;
};
std::vector<CallbackCall> g_calls;
int g_answer = 0;

int __cdecl RecordingCallback(const wchar_t* status, int r2, int r3, int r4, int r5, intptr_t context,
                              const wchar_t* message, int style, int* value) {
    g_calls.push_back({status == nullptr, status ? status : L"", r2, r3, r4, r5, context, message, style, value});
    return g_answer;
}

struct Outcome {
    int rc = -1;
    int count = -1;
    HardwareConfigResult* record = nullptr;
};

Outcome RunCheck(tw::Library& lib, CheckCallback callback, intptr_t context = 0) {
    Outcome o;
    o.rc = lib.Check_HardwareConfig_(&o.record, callback, &o.count, context);
    return o;
}

// ---- the export ----------------------------------------------------------------

TEST(HardwareConfig, NullCallbackFillsAllNineFields) {
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    Outcome o = RunCheck(lib, nullptr);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.count, 9);
    ASSERT_NE(o.record, nullptr);
    std::vector<std::wstring> f = Fields(*o.record);
    EXPECT_EQ(f[0], IdentityProcessorName());
    EXPECT_FALSE(f[0].empty());  // Wine stores a processor name
    EXPECT_EQ(f[1], ExpectedMemoryText());
    // Wine's two drives: "76.604GB IDE; 76.604GB IDE".
    std::vector<std::wstring> drives = Split(f[2]);
    EXPECT_EQ(drives.size(), 2u) << f[2].c_str();
    for (const std::wstring& d : drives) {
        EXPECT_TRUE(LooksLikeDriveText(d)) << d.c_str();
        EXPECT_EQ(d.substr(d.size() - 4), L" IDE") << d.c_str();
    }
    // Wine's one monitor has no MonitorType: its text is empty, and the
    // monitor field has no replacement text.
    EXPECT_EQ(f[3], L"");
    // Video, sound and network adapters have names under Wine; CD-ROM drives
    // and pointing devices have none and get the catalogue text.
    for (int i = 4; i <= 6; ++i) {
        EXPECT_FALSE(f[i].empty()) << i;
        EXPECT_NE(f[i], kNoDriverText) << i;
    }
    EXPECT_EQ(f[7], kNoDriverText);
    EXPECT_EQ(f[8], kNoDriverText);
    EXPECT_EQ(lib.Release_HardwareConfig_(o.record), 0);
}

TEST(HardwareConfig, CancelAtTheFirstCallbackHandsOverAnEmptyRecord) {
    tw::Library lib;
    g_calls.clear();
    g_answer = 1;
    Outcome o = RunCheck(lib, RecordingCallback, 0x5EED);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.count, 0);
    ASSERT_NE(o.record, nullptr);
    const wchar_t* units = reinterpret_cast<const wchar_t*>(o.record);
    for (std::size_t i = 0; i < sizeof(HardwareConfigResult) / sizeof(wchar_t); ++i)
        ASSERT_EQ(units[i], 0) << "unit " << i << " (field " << i / kFieldUnits << ")";
    ASSERT_EQ(g_calls.size(), 1u);
    const CallbackCall& c = g_calls[0];
    EXPECT_FALSE(c.statusNull);
    EXPECT_EQ(c.status, L"");
    EXPECT_EQ(c.r2, -1);
    EXPECT_EQ(c.r3, -1);
    EXPECT_EQ(c.r4, -1);
    EXPECT_EQ(c.r5, -1);
    EXPECT_EQ(c.context, 0x5EED);
    EXPECT_EQ(c.message, nullptr);
    EXPECT_EQ(c.style, 0);
    EXPECT_EQ(c.value, nullptr);
    EXPECT_EQ(lib.Release_HardwareConfig_(o.record), 0);
}

TEST(HardwareConfig, CallbackThatGoesOnIsCalledOnceAndAllFieldsAreFilled) {
    tw::Library lib;
    g_calls.clear();
    g_answer = 0;
    Outcome o = RunCheck(lib, RecordingCallback, -7);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.count, 9);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].context, -7);
    ASSERT_NE(o.record, nullptr);
    EXPECT_EQ(std::wstring(o.record->szMemory), ExpectedMemoryText());
    EXPECT_EQ(lib.Release_HardwareConfig_(o.record), 0);
}

TEST(HardwareConfig, WithoutCatalogueTheDeviceFieldsGetTheMessageId) {
    // A copy of the library with no catalogue beside it: the lookup gives the
    // id itself. Fields 2 and 3 never get a replacement text.
    tw::TempDir dir;
    std::wstring dll = dir.file(L"Tallowick.dll");
    ASSERT_TRUE(CopyFileW((tw::BinDir() + L"\\Tallowick.dll").c_str(), dll.c_str(), FALSE));
    {
        tw::Library lib(dll);
        ASSERT_TRUE(lib.loaded());
        Outcome o = RunCheck(lib, nullptr);
        ASSERT_NE(o.record, nullptr);
        std::vector<std::wstring> f = Fields(*o.record);
        EXPECT_EQ(f[3], L"");
        EXPECT_EQ(f[7], L"NoInstallDriver");
        EXPECT_EQ(f[8], L"NoInstallDriver");
        for (int i = 0; i < 9; ++i) EXPECT_NE(f[i], kNoDriverText) << i;
        lib.Release_HardwareConfig_(o.record);
    }
}

TEST(HardwareConfig, ReleaseAcceptsNull) {
    tw::Library lib;
    EXPECT_EQ(lib.Release_HardwareConfig_(nullptr), 0);
    EXPECT_EQ(lib.Release_Network_(nullptr), 0);
}

TEST(HardwareConfig, CheckRunsOnAThreadWithASingleThreadedApartment) {
    // The MTA request fails there: the queries still run in the thread's
    // apartment, and the apartment survives the call.
    tw::Library lib;
    Outcome o;
    HRESULT again = E_FAIL;
    std::thread t([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        o = RunCheck(lib, nullptr);
        again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CoUninitialize();
        CoUninitialize();
    });
    t.join();
    EXPECT_EQ(again, S_FALSE) << "the check ended the thread's own apartment";
    EXPECT_EQ(o.count, 9);
    ASSERT_NE(o.record, nullptr);
    EXPECT_EQ(Split(o.record->szDiskDrive).size(), 2u);
    EXPECT_FALSE(std::wstring(o.record->szVideoController).empty());
    lib.Release_HardwareConfig_(o.record);
}

TEST(HardwareConfig, ProcessorFieldIsTheIdentitysProcessorName) {
    wchar_t field[kFieldUnits];
    std::fill(std::begin(field), std::end(field), L'#');
    EXPECT_EQ(tallowick::GetProcessorName(field), 1);
    EXPECT_EQ(std::wstring(field), IdentityProcessorName());
    EXPECT_EQ(field[kFieldUnits - 1], L'#');
}

// ---- COM lifetime of the connection object ------------------------------------

// Runs `body` on a new thread and returns what it returned.
template <typename F>
auto OnNewThread(F body) -> decltype(body()) {
    decltype(body()) result{};
    std::thread t([&] { result = body(); });
    t.join();
    return result;
}

TEST(LocalHardwareInfo, FreshThreadInitialisesAndUninitialisesCom) {
    struct R { bool flag; HRESULT after; };
    R r = OnNewThread([] {
        R out{};
        {
            CLocalHardwareInfo info;
            out.flag = info.CoInitialized();
        }
        // Nothing left of the object's initialisation: a new one is S_OK.
        out.after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(out.after)) CoUninitialize();
        return out;
    });
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.after, S_OK);
}

TEST(LocalHardwareInfo, SingleThreadedApartmentIsNeverUninitialised) {
    struct R { bool flag; HRESULT after; };
    R r = OnNewThread([] {
        R out{};
        if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) != S_OK) return out;
        {
            CLocalHardwareInfo info;  // RPC_E_CHANGED_MODE
            out.flag = info.CoInitialized();
        }
        // The thread's own initialisation is still there.
        out.after = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(out.after)) CoUninitialize();
        CoUninitialize();
        return out;
    });
    EXPECT_FALSE(r.flag);
    EXPECT_EQ(r.after, S_FALSE);
}

TEST(LocalHardwareInfo, MultithreadedApartmentGetsExactlyOneUninitialise) {
    struct R { bool flag; HRESULT afterOwnUninit; };
    R r = OnNewThread([] {
        R out{};
        if (CoInitializeEx(nullptr, COINIT_MULTITHREADED) != S_OK) return out;
        {
            CLocalHardwareInfo info;  // S_FALSE: still to be balanced
            out.flag = info.CoInitialized();
        }
        // The object balanced its S_FALSE; the thread's own uninitialise
        // then ends COM on the thread, so a new initialisation is S_OK.
        CoUninitialize();
        out.afterOwnUninit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(out.afterOwnUninit)) CoUninitialize();
        return out;
    });
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.afterOwnUninit, S_OK);
}

// ---- queries through Wine's WMI ---------------------------------------------------

TEST(DeviceQueries, AfterEachQueryTheObjectHoldsNoInterface) {
    const std::pair<const char*, const DeviceQuery*> operations[] = {
        {"disk drives", &tallowick::kDiskDriveQuery},
        {"monitors", &tallowick::kDesktopMonitorQuery},
        {"video controllers", &tallowick::kVideoControllerQuery},
        {"sound devices", &tallowick::kSoundDeviceQuery},
        {"network adapters", &tallowick::kNetworkAdapterQuery},
        {"CD-ROM drives", &tallowick::kCdromDriveQuery},
        {"pointing devices", &tallowick::kPointingDeviceQuery},
    };
    CLocalHardwareInfo info;
    for (const auto& op : operations) {
        wchar_t field[kFieldUnits] = L"before";
        EXPECT_TRUE(tallowick::RunDeviceQuery(info, *op.second, field)) << op.first;
        EXPECT_FALSE(info.HoldsInterface()) << op.first;
        EXPECT_NE(std::wstring(field), L"before") << op.first << ": the field was not set";
    }
}

TEST(DeviceQueries, ClassWithoutInstanceGivesTheEmptyText) {
    CLocalHardwareInfo info;
    const DeviceQuery queries[] = {
        tallowick::kCdromDriveQuery,
        {"SELECT * FROM Win32_NoSuchDeviceClass", nullptr, L"Name"},
    };
    for (const DeviceQuery& q : queries) {
        wchar_t field[kFieldUnits] = L"before";
        EXPECT_TRUE(tallowick::RunDeviceQuery(info, q, field)) << q.wql;
        EXPECT_EQ(std::wstring(field), L"") << q.wql;
        EXPECT_FALSE(info.HoldsInterface()) << q.wql;
    }
}

TEST(DeviceQueries, QueryTextThatCannotBeConvertedEmptiesOnlyItsField) {
    // Making the automation string of the query fails (after the connection
    // was made): the interfaces go, the field is emptied, and the next query
    // on the same object works.
    CLocalHardwareInfo info;
    wchar_t field[kFieldUnits] = L"before";
    EXPECT_FALSE(tallowick::RunDeviceQuery(info, {nullptr, nullptr, L"Name"}, field));
    EXPECT_EQ(std::wstring(field), L"");
    EXPECT_FALSE(info.HoldsInterface());
    wchar_t next[kFieldUnits] = {};
    EXPECT_TRUE(tallowick::RunDeviceQuery(info, tallowick::kVideoControllerQuery, next));
    EXPECT_FALSE(std::wstring(next).empty());
}

TEST(DeviceQueries, ReleaseInterfacesTwiceIsHarmless) {
    CLocalHardwareInfo info;
    ASSERT_TRUE(info.OpenQuery("SELECT * FROM Win32_VideoController"));
    EXPECT_TRUE(info.HoldsInterface());
    EXPECT_NE(info.Enumerator(), nullptr);
    info.ReleaseInterfaces();
    EXPECT_FALSE(info.HoldsInterface());
    EXPECT_EQ(info.Enumerator(), nullptr);
    info.ReleaseInterfaces();
    EXPECT_FALSE(info.HoldsInterface());
    // The object still runs a query after a double release.
    EXPECT_TRUE(info.OpenQuery("SELECT * FROM Win32_VideoController"));
}

TEST(DeviceQueries, ConnectTwiceLeaksNothing) {
    CLocalHardwareInfo info;
    ASSERT_TRUE(info.Connect());
    ASSERT_TRUE(info.Connect());
    EXPECT_TRUE(info.HoldsInterface());
    info.ReleaseInterfaces();
    EXPECT_FALSE(info.HoldsInterface());
}

// ---- reading results through stand-in objects -----------------------------------

// A property of a stand-in instance: a string, or a variant of another kind.
struct Property {
    VARTYPE type;
    std::wstring text;  // for VT_BSTR
    LONG number;        // for VT_I4
};
Property Str(const std::wstring& s) { return {VT_BSTR, s, 0}; }
Property Null() { return {VT_NULL, L"", 0}; }
Property Int(LONG n) { return {VT_I4, L"", n}; }

// An instance that answers Get from a map; a name not in it is missing
// (WBEM_E_NOT_FOUND, as Wine answers for MonitorType).
class FakeInstance : public IWbemClassObject {
public:
    FakeInstance(std::map<std::wstring, Property> props, int* alive) : props_(std::move(props)), alive_(alive) {
        ++*alive_;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            --*alive_;
            delete this;
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE*, LONG*) override {
        auto it = props_.find(name);
        if (it == props_.end()) return WBEM_E_NOT_FOUND;
        VariantInit(value);
        V_VT(value) = it->second.type;
        if (it->second.type == VT_BSTR) V_BSTR(value) = SysAllocStringLen(it->second.text.data(),
                                                                           static_cast<UINT>(it->second.text.size()));
        if (it->second.type == VT_I4) V_I4(value) = it->second.number;
        return WBEM_S_NO_ERROR;
    }
#define NOT_USED(...) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet**) NOT_USED()
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR, LONG, VARIANT*, CIMTYPE) NOT_USED()
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) NOT_USED()
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) NOT_USED()
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) NOT_USED()
    HRESULT STDMETHODCALLTYPE EndEnumeration() NOT_USED()
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) NOT_USED()
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject**) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR*) NOT_USED()
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject**) NOT_USED()
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject**) NOT_USED()
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject*) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR*) NOT_USED()
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**) NOT_USED()
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) NOT_USED()
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) NOT_USED()
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) NOT_USED()
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) NOT_USED()
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() NOT_USED()
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR*) NOT_USED()

private:
    std::map<std::wstring, Property> props_;
    int* alive_;
    ULONG refs_ = 1;
};

// A forward-only result set of stand-in instances; after them it answers
// `endResult` with no object (WBEM_S_FALSE at the end, or a failure).
class FakeEnumerator : public IEnumWbemClassObject {
public:
    FakeEnumerator(std::vector<std::map<std::wstring, Property>> rows, HRESULT endResult = WBEM_S_FALSE)
        : rows_(std::move(rows)), end_(endResult) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override {
        ++fetches;
        lastTimeout = timeout;
        lastCount = count;
        if (next_ >= rows_.size()) {
            *returned = 0;
            return end_;
        }
        objects[0] = new FakeInstance(rows_[next_++], &alive);
        *returned = 1;
        return WBEM_S_NO_ERROR;
    }
    HRESULT STDMETHODCALLTYPE Reset() NOT_USED()
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink*) NOT_USED()
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject**) NOT_USED()
    HRESULT STDMETHODCALLTYPE Skip(LONG, ULONG) NOT_USED()
#undef NOT_USED

    int alive = 0;  // instances handed out and not yet released
    int fetches = 0;
    LONG lastTimeout = 0;
    ULONG lastCount = 0;

private:
    std::vector<std::map<std::wstring, Property>> rows_;
    std::size_t next_ = 0;
    HRESULT end_;
};

std::wstring Read(FakeEnumerator& e, const DeviceQuery& q) {
    wchar_t field[kFieldUnits];
    std::fill(std::begin(field), std::end(field), L'#');
    tallowick::InstanceJoiner joiner(tallowick::U16(field), tallowick::kHardwareFieldBound);
    tallowick::ReadInstances(&e, q, joiner);
    EXPECT_EQ(field[kFieldUnits - 1], L'#') << "wrote past the bound";
    return field;
}

TEST(ReadInstances, NamesAreJoinedAndNonTextContributesTheEmptyText) {
    const DeviceQuery q = tallowick::kVideoControllerQuery;
    struct Case {
        const char* name;
        std::vector<std::map<std::wstring, Property>> rows;
        std::wstring expected;
    };
    const Case cases[] = {
        {"three", {{{L"Name", Str(L"X")}}, {{L"Name", Str(L"Y")}}, {{L"Name", Str(L"Z")}}}, L"X; Y; Z"},
        {"empty name between two", {{{L"Name", Str(L"X")}}, {{L"Name", Str(L"")}}, {{L"Name", Str(L"Z")}}},
         L"X; ; Z"},
        {"single", {{{L"Name", Str(L"Wine Audio Device")}}}, L"Wine Audio Device"},
        {"none", {}, L""},
        {"null, number and missing names",
         {{{L"Name", Str(L"X")}}, {{L"Name", Null()}}, {{L"Name", Int(42)}}, {{L"Other", Str(L"W")}},
          {{L"Name", Str(L"Z")}}},
         L"X; ; ; ; Z"},
    };
    for (const Case& c : cases) {
        FakeEnumerator e(c.rows);
        EXPECT_EQ(Read(e, q), c.expected) << c.name;
        EXPECT_EQ(e.alive, 0) << c.name << ": an instance was not released";
        EXPECT_EQ(e.lastTimeout, static_cast<LONG>(WBEM_INFINITE)) << c.name;
        EXPECT_EQ(e.lastCount, 1u) << c.name;
    }
}

TEST(ReadInstances, DriveTextIsSizeThenInterfaceType) {
    const DeviceQuery q = tallowick::kDiskDriveQuery;
    struct Case {
        const char* name;
        std::vector<std::map<std::wstring, Property>> rows;
        std::wstring expected;
    };
    const Case cases[] = {
        {"80 GiB IDE", {{{L"Size", Str(L"85899345920")}, {L"InterfaceType", Str(L"IDE")}}}, L"80.000GB IDE"},
        {"two drives",
         {{{L"Size", Str(L"160041885696")}, {L"InterfaceType", Str(L"IDE")}},
          {{L"Size", Str(L"80026361856")}, {L"InterfaceType", Str(L"SCSI")}}},
         L"149.051GB IDE; 74.530GB SCSI"},
        {"size of 1", {{{L"Size", Str(L"1")}, {L"InterfaceType", Str(L"IDE")}}}, L"0.000GB IDE"},
        {"no media: size missing", {{{L"InterfaceType", Str(L"USB")}}}, L"0.000GB USB"},
        {"size null", {{{L"Size", Null()}, {L"InterfaceType", Str(L"IDE")}}}, L"0.000GB IDE"},
        {"size as a number is not text", {{{L"Size", Int(1 << 30)}, {L"InterfaceType", Str(L"IDE")}}},
         L"0.000GB IDE"},
        {"interface type missing", {{{L"Size", Str(L"1073741824")}}}, L"1.000GB "},
    };
    for (const Case& c : cases) {
        FakeEnumerator e(c.rows);
        EXPECT_EQ(Read(e, q), c.expected) << c.name;
        EXPECT_EQ(e.alive, 0) << c.name;
    }
}

TEST(ReadInstances, FailingFetchEndsTheSetAndKeepsTheTextSoFar) {
    FakeEnumerator e({{{L"Name", Str(L"A")}}, {{L"Name", Str(L"B")}}}, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Read(e, tallowick::kSoundDeviceQuery), L"A; B");
    EXPECT_EQ(e.fetches, 3);
}

TEST(ReadInstances, StopsFetchingOnceTheFieldIsFull) {
    std::vector<std::map<std::wstring, Property>> rows;
    for (int i = 0; i < 100; ++i) rows.push_back({{L"Name", Str(std::wstring(100, L'n'))}});
    FakeEnumerator e(rows);
    std::wstring text = Read(e, tallowick::kNetworkAdapterQuery);
    EXPECT_EQ(text.size(), tallowick::kHardwareFieldBound - 1);
    EXPECT_LT(e.fetches, 100);
    EXPECT_EQ(e.alive, 0);
}

}  // namespace
