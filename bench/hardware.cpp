// Times Check_HardwareConfig (loaded from Tallowick.dll as a host loads it)
// against a plain program that runs the same seven WQL queries over one WMI
// connection, in the same process, alternating, after one warm-up call of
// each (the first query of a process loads the WMI provider). Also times the
// parts of the check: the processor name and the seven per-query cycles.
//   bench_hardware.exe [ROUNDS]
//   bench_hardware.exe cold-parts   (first call of each part, fresh process)
#include "hardware/hardware_win.h"  // windows.h first

#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "sysinfo/computer_identity.h"
#include "tallowick.h"
#include "tallowick_loader.h"
#include "bench_timing.h"

namespace {

using bench::NowMs;

double TimeOnce(const std::function<void()>& f) {
    double start = NowMs();
    f();
    return NowMs() - start;
}

struct Figures {
    double median, mean, min, max;
};
Figures Summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    std::size_t n = v.size();
    double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {median, sum / n, v.front(), v.back()};
}

void Print(const char* name, const std::vector<double>& samples) {
    Figures f = Summarise(samples);
    std::printf("  %-44s median %8.2f ms  mean %8.2f  min %8.2f  max %8.2f\n", name, f.median, f.mean, f.min, f.max);
}

// The plain program: one connection, the same seven queries, the same
// properties read from every instance.
struct PlainQuery {
    const wchar_t* wql;
    const wchar_t* first;
    const wchar_t* second;
};
const PlainQuery kPlainQueries[] = {
    {L"SELECT * FROM Win32_DiskDrive", L"Size", L"InterfaceType"},
    {L"SELECT * FROM Win32_DesktopMonitor", L"MonitorType", nullptr},
    {L"SELECT * FROM Win32_VideoController", L"Name", nullptr},
    {L"SELECT * FROM Win32_SoundDevice", L"Name", nullptr},
    {L"SELECT * FROM Win32_NetworkAdapter", L"Name", nullptr},
    {L"SELECT * FROM Win32_CDROMDrive", L"Name", nullptr},
    {L"SELECT * FROM Win32_PointingDevice", L"Name", nullptr},
};

int PlainSevenQueries() {
    int instances = 0;
    HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IWbemLocator* locator = nullptr;
    IWbemServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                   reinterpret_cast<void**>(&locator)))) {
        BSTR path = SysAllocString(L"ROOT\\CIMV2");
        HRESULT hr = locator->ConnectServer(path, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services);
        SysFreeString(path);
        if (SUCCEEDED(hr) &&
            SUCCEEDED(CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
            BSTR wql = SysAllocString(L"WQL");
            for (const PlainQuery& q : kPlainQueries) {
                BSTR text = SysAllocString(q.wql);
                IEnumWbemClassObject* e = nullptr;
                if (SUCCEEDED(services->ExecQuery(wql, text, WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                                                  nullptr, &e))) {
                    for (;;) {
                        IWbemClassObject* obj = nullptr;
                        ULONG got = 0;
                        e->Next(WBEM_INFINITE, 1, &obj, &got);
                        if (!got || !obj) break;
                        ++instances;
                        for (const wchar_t* p : {q.first, q.second}) {
                            if (!p) continue;
                            VARIANT v;
                            VariantInit(&v);
                            obj->Get(p, 0, &v, nullptr, nullptr);
                            VariantClear(&v);
                        }
                        obj->Release();
                    }
                    e->Release();
                }
                SysFreeString(text);
            }
            SysFreeString(wql);
        }
    }
    if (services) services->Release();
    if (locator) locator->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return instances;
}

}  // namespace

// The first call of each part in a fresh process, in the order the check
// makes them.
int ColdParts() {
    std::printf("first calls in a fresh process:\n");
    std::printf("  ReadProcessorName   %8.2f ms\n", TimeOnce([] {
        char16_t f[256] = {};
        tallowick::ReadProcessorName(f);
    }));
    std::printf("  GetWorkgroupName    %8.2f ms\n", TimeOnce([] {
        char16_t f[256] = {};
        tallowick::GetWorkgroupName(f);
    }));
    std::printf("  GetHostAddress      %8.2f ms\n", TimeOnce([] {
        char16_t f[50] = {};
        tallowick::GetHostAddress(f);
    }));
    std::printf("  FillComputerIdentity %7.2f ms\n", TimeOnce([] {
        tallowick::ComputerIdentity id = {};
        tallowick::FillComputerIdentity(&id);
    }));
    tallowick::CLocalHardwareInfo info;
    std::printf("  first query (disk drives) %8.2f ms\n", TimeOnce([&] {
        wchar_t f[1025] = {};
        tallowick::RunDeviceQuery(info, tallowick::kDiskDriveQuery, f);
    }));
    std::printf("  second query (monitors)   %8.2f ms\n", TimeOnce([&] {
        wchar_t f[1025] = {};
        tallowick::RunDeviceQuery(info, tallowick::kDesktopMonitorQuery, f);
    }));
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "cold-parts") return ColdParts();
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    TallowickApi api;
    if (TallowickLoad(&api, bench::DefaultLibrary().c_str()) != 0) {
        std::fprintf(stderr, "cannot load Tallowick.dll (error %lu)\n", api.error);
        return 1;
    }
    PFN_Check_HardwareConfig check = api.Check_HardwareConfig;
    PFN_Release_HardwareConfig release = api.Release_HardwareConfig;

    auto runCheck = [&] {
        HardwareConfigResult* r = nullptr;
        int count = 0;
        check(&r, nullptr, &count, 0);
        release(r);
    };

    // Cold: the first of each in this process (the check goes first and so
    // pays for loading the provider).
    double coldCheck = TimeOnce(runCheck);
    double coldPlain = TimeOnce([] { PlainSevenQueries(); });

    std::vector<double> checkMs, plainMs, processorMs, identityMs, queriesMs;
    for (int i = 0; i < rounds; ++i) {
        checkMs.push_back(TimeOnce(runCheck));
        plainMs.push_back(TimeOnce([] { PlainSevenQueries(); }));
    }
    // The parts of the check, through the library's own operations.
    for (int i = 0; i < rounds; ++i) {
        processorMs.push_back(TimeOnce([] {
            wchar_t field[1025] = {};
            tallowick::GetProcessorName(field);
        }));
        identityMs.push_back(TimeOnce([] {
            tallowick::ComputerIdentity id = {};
            tallowick::FillComputerIdentity(&id);
        }));
        queriesMs.push_back(TimeOnce([] {
            HardwareConfigResult* r = new HardwareConfigResult();
            {
                tallowick::CLocalHardwareInfo info;
                tallowick::RunDeviceQuery(info, tallowick::kDiskDriveQuery, r->szDiskDrive);
                tallowick::RunDeviceQuery(info, tallowick::kDesktopMonitorQuery, r->szMonitor);
                tallowick::RunDeviceQuery(info, tallowick::kVideoControllerQuery, r->szVideoController);
                tallowick::RunDeviceQuery(info, tallowick::kSoundDeviceQuery, r->szSoundDevice);
                tallowick::RunDeviceQuery(info, tallowick::kNetworkAdapterQuery, r->szNetworkAdapter);
                tallowick::RunDeviceQuery(info, tallowick::kCdromDriveQuery, r->szCdromDrive);
                tallowick::RunDeviceQuery(info, tallowick::kPointingDeviceQuery, r->szPointingDevice);
            }
            delete r;
        }));
    }

    std::printf("hardware configuration, %d rounds after one warm-up call each\n", rounds);
    std::printf("  cold first call: Check_HardwareConfig %.2f ms, plain seven queries %.2f ms\n", coldCheck, coldPlain);
    Print("Check_HardwareConfig", checkMs);
    Print("plain: seven queries over one connection", plainMs);
    Print("part: processor name (GetProcessorName)", processorMs);
    Print("part: FillComputerIdentity", identityMs);
    Print("part: seven queries, one connection each", queriesMs);
    Figures c = Summarise(checkMs), p = Summarise(plainMs);
    std::printf("  ratio check / plain: median %.2f, mean %.2f (target at most 1.50)\n", c.median / p.median,
                c.mean / p.mean);
    TallowickUnload(&api);
    return 0;
}
