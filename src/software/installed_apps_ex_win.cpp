// Check_InstalledAppsEx: the uninstall keys of the machine (both views) and
// of the user, read thinly; the rules are in installed_apps_ex.cpp.
#include "core/win_util.h"

#include <new>

#include "core/registry_reader.h"
#include "software/checks.h"
#include "software/installed_apps_ex.h"
#include "software/installed_apps_list.h"
#include "software/uninstall_walk_win.h"

static_assert(tallowick::kAppScopeMachine == TALLOWICK_APP_SCOPE_MACHINE &&
                  tallowick::kAppScopeUser == TALLOWICK_APP_SCOPE_USER,
              "scopes as the header names them");

namespace tallowick {

namespace {

constexpr DWORD kKeyNameUnits = 256;       // a registry key name has at most 255 units
constexpr std::size_t kFirstValueUnits = 1024;  // grows for a longer value

// Reads the values of one entry key through one buffer that grows to the
// longest value met.
class ValueReader {
public:
    ValueReader() : buffer_(kFirstValueUnits) {}

    void Open(HKEY key) { key_ = key; }

    // A REG_SZ or REG_EXPAND_SZ value (as stored) into `out`; false, with
    // `out` empty, when it is missing or of another type.
    bool String(const wchar_t* name, Text& out) {
        out.clear();
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0;
            DWORD bytes = static_cast<DWORD>(buffer_.size() * 2);
            LONG rc = RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer_.data()), &bytes);
            if (rc == ERROR_MORE_DATA) {
                buffer_.resize(bytes / 2 + 2);
                continue;
            }
            if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
            out = RegistryBufferText(buffer_.data(), buffer_.size(), bytes);
            return true;
        }
        return false;
    }

    // True when the value exists, of any type.
    bool Exists(const wchar_t* name) {
        return RegQueryValueExW(key_, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    // A REG_DWORD value, 0 when missing or of another type.
    std::uint32_t Dword(const wchar_t* name) {
        DWORD type = 0, value = 0, bytes = sizeof(value);
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
            type != REG_DWORD || bytes != sizeof(value)) {
            return 0;
        }
        return value;
    }

private:
    HKEY key_ = nullptr;
    std::vector<char16_t> buffer_;
};

REGSAM ViewFlag(RegistryView view) {
    switch (view) {
        case RegistryView::Wow64Key64: return KEY_WOW64_64KEY;
        case RegistryView::Wow64Key32: return KEY_WOW64_32KEY;
        case RegistryView::None: break;
    }
    return 0;
}

void ReadSource(const AppSource& source, std::vector<AppEntry>& entries, ValueReader& values) {
    const REGSAM view = ViewFlag(source.access);
    HKEY rootKey = source.scope == TALLOWICK_APP_SCOPE_USER ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    UniqueRegKey root;
    if (RegOpenKeyExW(rootKey, kUninstallKeyPath, 0, KEY_READ | view, root.put()) != ERROR_SUCCESS) return;
    AppEntry entry;
    ForEachUninstallEntry<kKeyNameUnits>(root.get(), [&](const wchar_t* keyName, DWORD keyLength) {
        UniqueRegKey key;
        if (RegOpenKeyExW(root.get(), keyName, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS) return;
        values.Open(key.get());

        // The values that can leave the entry out come first, so that a
        // hidden entry costs no more reads.
        if (!values.String(L"DisplayName", entry.displayName) || entry.displayName.empty()) return;
        entry.systemComponent = values.Dword(L"SystemComponent");
        entry.hasParentKeyName = values.Exists(L"ParentKeyName");
        values.String(L"ReleaseType", entry.releaseType);
        if (IsHiddenAppEntry(entry.displayName, entry.systemComponent, entry.hasParentKeyName, entry.releaseType)) {
            return;
        }
        entry.scope = source.scope;
        entry.view = source.view;
        entry.keyName.assign(U16(keyName), keyLength < kKeyNameUnits ? keyLength : kKeyNameUnits - 1);
        values.String(L"Publisher", entry.publisher);
        values.String(L"DisplayVersion", entry.displayVersion);
        values.String(L"InstallDate", entry.installDate);
        values.String(L"InstallLocation", entry.installLocation);
        values.String(L"UninstallString", entry.uninstallString);
        values.String(L"QuietUninstallString", entry.quietUninstallString);
        entry.estimatedSizeKiB = values.Dword(L"EstimatedSize");
        entries.push_back(std::move(entry));
        entry = AppEntry();
    });
}

}  // namespace

std::vector<AppEntry> ReadAppEntries(const std::vector<AppSource>& sources) {
    std::vector<AppEntry> entries;
    ValueReader values;
    for (const AppSource& source : sources) ReadSource(source, entries, values);
    return entries;
}

InstalledAppExNode* BuildInstalledAppExList(const std::vector<AppEntry>& entries, int* count) {
    ListBuilder<InstalledAppExNode> list;
    int made = 0;
    for (const AppEntry& e : entries) {
        InstalledAppExNode* node = AppendNewNode(list, &made, [&](InstalledAppExNode& n) {
            n.cbSize = sizeof(InstalledAppExNode);
            n.nScope = e.scope;
            n.nView = e.view;
            n.nInstallDate = ParseInstallDate(e.installDate);
            n.nEstimatedSizeKiB = e.estimatedSizeKiB;
            CopyField(n.szKeyName, e.keyName);
            CopyField(n.szDisplayName, e.displayName);
            CopyField(n.szPublisher, e.publisher);
            CopyField(n.szDisplayVersion, e.displayVersion);
            CopyField(n.szInstallDate, e.installDate);
            CopyField(n.szInstallLocation, e.installLocation);
            CopyField(n.szUninstallString, e.uninstallString);
            CopyField(n.szQuietUninstallString, e.quietUninstallString);
        });
        if (!node) throw std::bad_alloc();
    }
    if (count) *count = made;
    return list.Release();
}

InstalledAppExNode* ListInstalledAppsEx(int* count) {
    if (count) *count = 0;
    const bool sixtyFourBitWindows = sizeof(void*) == 8 || RunsUnderWow64();
    return BuildInstalledAppExList(SelectListedApps(ReadAppEntries(AppSources(sixtyFourBitWindows))), count);
}

// Out of memory anywhere fails the check (the exports' guard returns 1) with
// a null result and a count of 0; what was built is freed on the way out.
int CheckInstalledAppsEx(InstalledAppExNode** result, int* count) {
    *result = nullptr;
    *result = ListInstalledAppsEx(count);
    return 0;
}

int ReleaseInstalledAppsEx(InstalledAppExNode* list) { return ReleaseList(list); }

}  // namespace tallowick
