// Installed programs: time of the check over 500 and 5,000 uninstall entries
// that this program creates under HKEY_LOCAL_MACHINE and removes again, and
// the list building alone (duplicate test and append) with the index and tail
// against a walk of the whole list for every entry.
// Then Check_InstalledAppsEx, called through the DLL (..\bin\Tallowick.dll
// beside this program) over 500 and 5,000 entries with every value the list
// shows, spread over the machine's views and the user's key, against a plain
// loop that walks the same keys and reads the same values.
//   bench_installed_apps.exe [RUNS]
#include "core/win_util.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "software/installed_apps.h"
#include "software/installed_apps_list.h"
#include "tallowick_loader.h"
#include "bench_timing.h"

using namespace tallowick;
using Clock = std::chrono::steady_clock;

namespace {

const std::wstring kPrefix = L"TwBench";

std::wstring KeyPath(int i) {
    wchar_t name[32];
    swprintf(name, 32, L"%ls%05d", kPrefix.c_str(), i);
    return std::wstring(kUninstallKeyPath) + L"\\" + name;
}

// Entry i: every tenth repeats the name and publisher of an earlier entry.
std::wstring NameOf(int i) { return L"Bench Program " + std::to_wstring(i % 10 == 9 ? i / 2 : i); }
std::wstring PublisherOf(int i) { return L"Bench Publisher " + std::to_wstring((i % 10 == 9 ? i / 2 : i) % 7); }

void RemoveEntries(int n) {
    for (int i = 0; i < n; ++i) RegDeleteTreeW(HKEY_LOCAL_MACHINE, KeyPath(i).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, KeyPath(n).c_str());
}

bool CreateEntries(int n) {
    for (int i = 0; i < n; ++i) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyPath(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        std::wstring name = NameOf(i), publisher = PublisherOf(i);
        RegSetValueExW(key, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                       static_cast<DWORD>((name.size() + 1) * 2));
        RegSetValueExW(key, L"Publisher", 0, REG_SZ, reinterpret_cast<const BYTE*>(publisher.c_str()),
                       static_cast<DWORD>((publisher.size() + 1) * 2));
        RegCloseKey(key);
    }
    return true;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Length(const InstalledAppNode* list) {
    int n = 0;
    for (; list; list = list->pNext) ++n;
    return n;
}

// Whether a node of `list` holds exactly this pair, by a walk of the list.
bool ListedByWalking(const InstalledAppNode* list, const std::wstring& name, const std::wstring& publisher) {
    for (const InstalledAppNode* node = list; node; node = node->pNext) {
        if (name == node->szDisplayName && publisher == node->szPublisher) return true;
    }
    return false;
}

// List building from ready texts, the old way: walk for the duplicate, walk
// for the tail.
InstalledAppNode* BuildByWalking(const std::vector<std::pair<std::wstring, std::wstring>>& entries) {
    InstalledAppNode* head = nullptr;
    for (const auto& e : entries) {
        if (ListedByWalking(head, e.first, e.second)) continue;
        InstalledAppNode* node = new (std::nothrow) InstalledAppNode();
        if (!node) continue;
        CopyField(node->szDisplayName, e.first.c_str(), kAppFieldBound);
        CopyField(node->szPublisher, e.second.c_str(), kAppFieldBound);
        InstalledAppNode** tail = &head;
        while (*tail) tail = &(*tail)->pNext;
        *tail = node;
    }
    return head;
}

// The same with the index of listed pairs and the tail pointer.
InstalledAppNode* BuildIndexed(const std::vector<std::pair<std::wstring, std::wstring>>& entries) {
    ListBuilder<InstalledAppNode> list;
    ListedApps listed;
    for (const auto& e : entries) {
        AppendListedApp(list, listed, ViewOf(e.first.c_str()), ViewOf(e.second.c_str()), nullptr);
    }
    return list.Release();
}

// ---- the extended list ----------------------------------------------------

struct Place {
    HKEY root;
    REGSAM view;
};

// The places the extended list reads on this Windows.
std::vector<Place> Places() {
    const bool wide = sizeof(void*) == 8 || RunsUnderWow64();
    if (!wide) return {{HKEY_LOCAL_MACHINE, 0}, {HKEY_CURRENT_USER, 0}};
    return {{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}, {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}, {HKEY_CURRENT_USER, 0}};
}

std::wstring ExKeyName(int i) {
    wchar_t name[32];
    swprintf(name, 32, L"TwBenchEx%05d", i);
    return name;
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * 2));
}

void RemoveExEntries(int n) {
    for (const Place& p : Places()) {
        HKEY root = nullptr;
        if (RegOpenKeyExW(p.root, kUninstallKeyPath, 0, KEY_ALL_ACCESS | p.view, &root) != ERROR_SUCCESS) continue;
        for (int i = 0; i < n; ++i) RegDeleteTreeW(root, ExKeyName(i).c_str());
        RegCloseKey(root);
    }
}

// Entry i goes to place i % places; every twentieth is a system component.
bool CreateExEntries(int n) {
    const std::vector<Place> places = Places();
    for (int i = 0; i < n; ++i) {
        const Place& p = places[i % places.size()];
        HKEY key = nullptr;
        if (RegCreateKeyExW(p.root, (std::wstring(kUninstallKeyPath) + L"\\" + ExKeyName(i)).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | p.view, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const std::wstring num = std::to_wstring(i);
        SetText(key, L"DisplayName", L"Bench Program " + std::to_wstring((i * 7919) % 100003));
        SetText(key, L"Publisher", L"Bench Publisher " + std::to_wstring(i % 13));
        SetText(key, L"DisplayVersion", L"1.2." + num);
        SetText(key, L"InstallDate", L"2024" + std::wstring(i % 12 < 9 ? L"0" : L"") + std::to_wstring(i % 12 + 1) + L"15");
        SetText(key, L"InstallLocation", L"C:\\Program Files\\Bench Program " + num);
        SetText(key, L"UninstallString", L"\"C:\\Program Files\\Bench Program " + num + L"\\uninstall.exe\"");
        SetText(key, L"QuietUninstallString", L"\"C:\\Program Files\\Bench Program " + num + L"\\uninstall.exe\" /S");
        DWORD size = 1000 + i, component = 1;
        RegSetValueExW(key, L"EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), sizeof(size));
        if (i % 20 == 19) {
            RegSetValueExW(key, L"SystemComponent", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&component),
                           sizeof(component));
        }
        RegCloseKey(key);
    }
    return true;
}

// Every entry key of every place opened, read(key) called, and closed; the
// number of entries.
template <typename Read>
int WalkEntries(Read&& read) {
    int entries = 0;
    for (const Place& p : Places()) {
        HKEY root = nullptr;
        if (RegOpenKeyExW(p.root, kUninstallKeyPath, 0, KEY_READ | p.view, &root) != ERROR_SUCCESS) continue;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumKeyExW(root, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY key = nullptr;
            if (RegOpenKeyExW(root, name, 0, KEY_QUERY_VALUE | p.view, &key) != ERROR_SUCCESS) continue;
            read(key);
            RegCloseKey(key);
            ++entries;
        }
        RegCloseKey(root);
    }
    return entries;
}

// The yardstick: the values the list shows read into one buffer, in the
// order the check reads them; nothing kept.
int PlainWalk() {
    static const wchar_t* const kValues[] = {L"DisplayName",     L"SystemComponent", L"ParentKeyName",
                                             L"ReleaseType",     L"Publisher",       L"DisplayVersion",
                                             L"InstallDate",     L"InstallLocation", L"UninstallString",
                                             L"QuietUninstallString", L"EstimatedSize"};
    return WalkEntries([](HKEY key) {
        BYTE data[2048];
        for (const wchar_t* value : kValues) {
            DWORD type = 0, bytes = sizeof(data);
            RegQueryValueExW(key, value, nullptr, &type, data, &bytes);
        }
    });
}

// The other way to read an entry: every value of the key in one enumeration
// (RegEnumValueW), read but not kept; timed for comparison only.
int EnumWalk() {
    return WalkEntries([](HKEY key) {
        for (DWORD v = 0;; ++v) {
            wchar_t valueName[64];
            DWORD nameLength = 64, type = 0;
            BYTE data[2048];
            DWORD bytes = sizeof(data);
            LONG rc = RegEnumValueW(key, v, valueName, &nameLength, nullptr, &type, data, &bytes);
            if (rc == ERROR_NO_MORE_ITEMS) break;
        }
    });
}

int LengthEx(const InstalledAppExNode* list) {
    int n = 0;
    for (; list; list = list->pNext) ++n;
    return n;
}

int BenchExtended(int runs) {
    const std::wstring dll = bench::DefaultLibrary();
    TallowickApi api;
    if (TallowickLoad(&api, dll.c_str()) != 0) {
        std::printf("cannot load %ls (error %lu)\n", dll.c_str(), api.error);
        return 1;
    }
    std::printf("\nCheck_InstalledAppsEx (%s build, %d places; median of %d runs)\n",
                sizeof(void*) == 8 ? "x64" : (RunsUnderWow64() ? "x86 under WOW64" : "x86"), static_cast<int>(Places().size()), runs);
    std::printf("%8s %8s %12s %12s %10s %12s %14s\n", "entries", "listed", "check ms", "plain ms", "check/plain",
                "us/entry", "plain us/entry");
    double perEntry[2] = {0, 0};
    int row = 0;
    for (int n : {500, 5000}) {
        RemoveExEntries(5000);
        if (!CreateExEntries(n)) {
            std::printf("cannot create the uninstall entries (run inside the test prefix)\n");
            RemoveExEntries(n);
            TallowickUnload(&api);
            return 1;
        }
        std::vector<double> check, plain, enumerated;
        int listed = 0, walked = 0;
        for (int r = 0; r < runs; ++r) {
            // Alternate the order so neither side always runs on a warm cache.
            for (int side = 0; side < 2; ++side) {
                if ((side + r) % 2 == 0) {
                    InstalledAppExNode* list = nullptr;
                    int count = 0;
                    Clock::time_point t0 = Clock::now();
                    int rc = api.Check_InstalledAppsEx(&list, nullptr, &count, 0);
                    check.push_back(Ms(Clock::now() - t0));
                    if (rc != 0 || count != LengthEx(list)) std::printf("check returned %d, count %d\n", rc, count);
                    listed = count;
                    api.Release_InstalledAppsEx(list);
                } else {
                    Clock::time_point t0 = Clock::now();
                    walked = PlainWalk();
                    plain.push_back(Ms(Clock::now() - t0));
                    t0 = Clock::now();
                    EnumWalk();
                    enumerated.push_back(Ms(Clock::now() - t0));
                }
            }
        }
        RemoveExEntries(n);
        const double c = Median(check), p = Median(plain), e = Median(enumerated);
        perEntry[row++] = 1000.0 * c / n;
        std::printf("%8d %8d %12.2f %12.2f %10.2f %12.2f %14.2f   (%d keys walked)\n", n, listed, c, p, p > 0 ? c / p : 0.0,
                    1000.0 * c / n, 1000.0 * p / n, walked);
        std::printf("%8s %8s %12s %12.2f   (the same keys, every value by RegEnumValueW)\n", "", "", "", e);
    }
    std::printf("per-entry cost at 5,000 / at 500: %.2f\n", perEntry[0] > 0 ? perEntry[1] / perEntry[0] : 0.0);
    TallowickUnload(&api);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("Installed programs benchmark (median of %d runs)\n", runs);
    std::printf("%8s %8s %12s %12s %14s %14s %14s\n", "entries", "listed", "check ms", "us/entry",
                "walking ms", "indexed ms", "walk/indexed");
    for (int n : {500, 5000}) {
        RemoveEntries(5000);
        if (!CreateEntries(n)) {
            std::printf("cannot create the uninstall entries (run inside the test prefix)\n");
            RemoveEntries(n);
            return 1;
        }
        std::vector<double> check;
        int listed = 0;
        for (int r = 0; r < runs; ++r) {
            int count = 0;
            Clock::time_point t0 = Clock::now();
            InstalledAppNode* list = ListInstalledApps(&count);
            check.push_back(Ms(Clock::now() - t0));
            listed = count;
            if (count != Length(list)) std::printf("count %d does not match the list\n", count);
            ReleaseInstalledApps(list);
        }
        RemoveEntries(n);

        std::vector<std::pair<std::wstring, std::wstring>> entries;
        for (int i = 0; i < n; ++i) entries.emplace_back(NameOf(i), PublisherOf(i));
        std::vector<double> walking, indexed;
        for (int r = 0; r < runs; ++r) {
            Clock::time_point t0 = Clock::now();
            InstalledAppNode* a = BuildByWalking(entries);
            walking.push_back(Ms(Clock::now() - t0));
            t0 = Clock::now();
            InstalledAppNode* b = BuildIndexed(entries);
            indexed.push_back(Ms(Clock::now() - t0));
            // Both ways give the same list.
            const InstalledAppNode *p = a, *q = b;
            for (; p && q; p = p->pNext, q = q->pNext) {
                if (std::wstring(p->szDisplayName) != q->szDisplayName || std::wstring(p->szPublisher) != q->szPublisher) {
                    std::printf("the two ways differ\n");
                    break;
                }
            }
            if (p || q) std::printf("the two ways differ in length\n");
            ReleaseInstalledApps(a);
            ReleaseInstalledApps(b);
        }
        double c = Median(check), w = Median(walking), x = Median(indexed);
        std::printf("%8d %8d %12.2f %12.2f %14.2f %14.2f %14.1f\n", n, listed, c, 1000.0 * c / n, w, x,
                    x > 0 ? w / x : 0.0);
    }
    return BenchExtended(runs);
}
