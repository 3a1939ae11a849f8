// Check_NetConfigEx with its release against a plain program that does the
// same platform work: one GetAdaptersAddresses call (both families, prefixes
// and gateways) and a walk of every adapter and every address, reading the
// texts and socket addresses the check copies out.
//
// Loads Tallowick.dll like a host (from ..\bin beside this program, or the
// path given), warms both up, then times them in alternation (so that a
// change of the machine's load meets both alike) and prints the medians, the
// spread and the ratio of the medians.
//
//   bench_netconfig_ex.exe [--runs N] [PATH\Tallowick.dll]
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "tallowick.h"
#include "tallowick_loader.h"
#include "bench_timing.h"

namespace {

using bench::Now;
using bench::Stats;
using bench::Summarise;

volatile std::uint64_t g_sink = 0;

std::uint64_t Touch(const SOCKET_ADDRESS& a) {
    std::uint64_t sum = static_cast<std::uint64_t>(a.iSockaddrLength);
    if (!a.lpSockaddr) return sum;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(a.lpSockaddr);
    for (int i = 0; i < a.iSockaddrLength; ++i) sum += bytes[i];
    return sum;
}

// The plain program: one query with a buffer grown on demand, every adapter
// and address walked, the buffer freed.
std::size_t PlainWalk() {
    ULONG size = 15 * 1024;
    std::unique_ptr<std::uint64_t[]> buffer;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int i = 0; i < 4 && status == ERROR_BUFFER_OVERFLOW; ++i) {
        buffer.reset(new std::uint64_t[size / 8 + 1]);
        status = GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_INCLUDE_PREFIX | GAA_FLAG_INCLUDE_GATEWAYS, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
    }
    if (status != ERROR_SUCCESS) return 0;
    std::uint64_t sum = 0;
    std::size_t addresses = 0;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()); a; a = a->Next) {
        sum += std::wcslen(a->FriendlyName) + std::wcslen(a->Description) + std::wcslen(a->DnsSuffix) +
               std::strlen(a->AdapterName) + a->IfType + a->OperStatus + a->Mtu + a->PhysicalAddressLength +
               a->TransmitLinkSpeed + a->ReceiveLinkSpeed + a->Flags;
        for (auto* u = a->FirstUnicastAddress; u; u = u->Next, ++addresses) sum += Touch(u->Address) + u->OnLinkPrefixLength;
        for (auto* g = a->FirstGatewayAddress; g; g = g->Next, ++addresses) sum += Touch(g->Address);
        for (auto* d = a->FirstDnsServerAddress; d; d = d->Next, ++addresses) sum += Touch(d->Address);
    }
    g_sink = g_sink + sum;
    return addresses;
}

void PrintRow(const char* name, const Stats& s) {
    std::printf("  %-38s %9.1f %9.1f %9.1f %9.1f\n", name, s.median * 1e6, s.min * 1e6, s.max * 1e6,
                (s.q3 - s.q1) * 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 300;
    std::wstring dll = bench::DefaultLibrary();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(5, std::atoi(argv[++i]));
        } else {
            std::string arg(argv[i]);
            dll.assign(arg.begin(), arg.end());
        }
    }
    TallowickApi api;
    if (TallowickLoad(&api, dll.c_str()) != 0) {
        std::fprintf(stderr, "bench_netconfig_ex: cannot load %ls (error %lu%s%s)\n", dll.c_str(), api.error,
                     api.missing ? ", missing " : "", api.missing ? api.missing : "");
        return 1;
    }

    int adapters = 0;
    std::size_t libraryAddresses = 0;
    auto library = [&] {
        NetAdapterExNode* list = nullptr;
        int count = 0;
        api.Check_NetConfigEx(&list, nullptr, &count, 0);
        adapters = count;
        libraryAddresses = 0;
        for (const NetAdapterExNode* n = list; n; n = n->pNext) {
            for (const NetAddressNode* a = n->pUnicastAddresses; a; a = a->pNext) ++libraryAddresses;
            for (const NetAddressNode* a = n->pGateways; a; a = a->pNext) ++libraryAddresses;
            for (const NetAddressNode* a = n->pDnsServers; a; a = a->pNext) ++libraryAddresses;
        }
        api.Release_NetConfigEx(list);
    };
    std::size_t plainAddresses = 0;
    auto plain = [&] { plainAddresses = PlainWalk(); };

    // Warm-up: the first call loads iphlpapi and whatever it loads.
    double t0 = Now();
    library();
    const double first = Now() - t0;
    plain();

    std::vector<double> libraryTimes, plainTimes;
    for (int i = 0; i < runs; ++i) {
        // Alternate which goes first, so neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const bool libraryTurn = (i + k) % 2 == 0;
            double start = Now();
            if (libraryTurn) library(); else plain();
            (libraryTurn ? libraryTimes : plainTimes).push_back(Now() - start);
        }
    }
    const Stats lib = Summarise(libraryTimes), base = Summarise(plainTimes);

    std::printf("Check_NetConfigEx against one GetAdaptersAddresses call and its walk (%s build, %d runs each)\n",
                sizeof(void*) == 8 ? "x64" : "x86", runs);
    std::printf("  %d adapters, %u addresses (the plain walk: %u); first call %.1f us\n", adapters,
                static_cast<unsigned>(libraryAddresses), static_cast<unsigned>(plainAddresses), first * 1e6);
    std::printf("  %-38s %9s %9s %9s %9s\n", "", "median us", "min us", "max us", "IQR us");
    PrintRow("Check_NetConfigEx + Release_NetConfigEx", lib);
    PrintRow("GetAdaptersAddresses + walk", base);
    const double ratio = base.median > 0 ? lib.median / base.median : 0;
    std::printf("  ratio of the medians: %.3fx (target: within 1.3x)\n", ratio);
    TallowickUnload(&api);
    return 0;
}
