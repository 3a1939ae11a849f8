// Check_InstalledApps: the programs of the uninstall registry.
#include "core/win_util.h"

#include <new>

#include "core/registry_reader.h"
#include "software/installed_apps.h"
#include "software/installed_apps_list.h"
#include "software/uninstall_walk_win.h"

namespace tallowick {

namespace {

// Appends the programs of one view of the uninstall key (`view`: 0 for the
// library's own, or KEY_WOW64_64KEY / KEY_WOW64_32KEY) that are neither
// excluded nor listed already.
void ListAppsInView(REGSAM view, ListBuilder<InstalledAppNode>& list, ListedApps& listed, int* count) {
    UniqueRegKey root;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_READ | view, root.put()) != ERROR_SUCCESS) {
        return;
    }
    // Out of memory ends the walk with the programs listed so far.
    try {
        ForEachUninstallEntry<kAppTextUnits>(root.get(), [&](const wchar_t* keyName, DWORD keyLength) {
            if (keyLength >= kAppTextUnits) keyLength = kAppTextUnits - 1;
            if (IsExcludedProductCode(TextView(U16(keyName), keyLength))) return;

            UniqueRegKey entry;
            if (RegOpenKeyExW(root.get(), keyName, 0, KEY_READ | view, entry.put()) != ERROR_SUCCESS) return;

            wchar_t display[kAppTextUnits] = {};
            DWORD bytes = kAppTextBytes;
            if (RegQueryValueExW(entry.get(), L"DisplayName", nullptr, nullptr, reinterpret_cast<BYTE*>(display),
                                 &bytes) != ERROR_SUCCESS) {
                return;
            }
            Text displayName = RegistryBufferText(U16(display), kAppTextUnits, bytes);
            if (displayName.empty()) return;

            wchar_t publisher[kAppTextUnits] = {};
            CopyBounded(U16(publisher), kAppTextUnits, kUnknownPublisher);
            bytes = kAppTextBytes;
            Text publisherText;
            if (RegQueryValueExW(entry.get(), L"Publisher", nullptr, nullptr, reinterpret_cast<BYTE*>(publisher),
                                 &bytes) == ERROR_SUCCESS) {
                publisherText = RegistryBufferText(U16(publisher), kAppTextUnits, bytes);
            } else {
                // No publisher, or one too long for the buffer, whose content the
                // failed read leaves undefined.
                publisherText = kUnknownPublisher;
            }

            AppendListedApp(list, listed, displayName, publisherText, count);
        });
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

bool AppendListedApp(ListBuilder<InstalledAppNode>& list, ListedApps& listed, TextView displayName,
                     TextView publisher, int* count) {
    if (listed.Contains(displayName, publisher)) return false;
    return AppendNewNode(list, count, [&](InstalledAppNode& node) {
               CopyField(node.szDisplayName, displayName, kAppFieldBound);
               CopyField(node.szPublisher, publisher, kAppFieldBound);
               listed.Add(displayName, publisher);
           }) != nullptr;
}

InstalledAppNode* ListInstalledApps(int* count) {
    if (count) *count = 0;
    // The index beside the list keeps the duplicate test and the append O(1);
    // the list is the same as a walk from the head would give. Duplicates
    // are judged across both views: a program registered in both is listed
    // once, from the library's own view.
    ListBuilder<InstalledAppNode> list;
    ListedApps listed;
    ListAppsInView(0, list, listed, count);
    const RegistryView other = OtherRegistryView(sizeof(void*) == 8, RunsUnderWow64());
    if (other == RegistryView::Wow64Key64) ListAppsInView(KEY_WOW64_64KEY, list, listed, count);
    if (other == RegistryView::Wow64Key32) ListAppsInView(KEY_WOW64_32KEY, list, listed, count);
    return list.Release();
}

int CheckInstalledApps(InstalledAppNode** result, int* count) {
    *result = ListInstalledApps(count);
    return 0;
}

int ReleaseInstalledApps(InstalledAppNode* list) { return ReleaseList(list); }

}  // namespace tallowick
