// Installed programs: time of the check over 500 and 5,000 uninstall entries
// that this program creates under HKEY_LOCAL_MACHINE and removes again, and
// the list building alone (duplicate test and append) with the index and tail
// against a walk of the whole list for every entry.
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
    return 0;
}
