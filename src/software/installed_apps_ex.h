// Installed programs as Windows' own list of installed apps has them: the
// places read, the listing rules, the install date, the order and the nodes.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"
#include "software/installed_apps.h"

typedef struct InstalledAppExNode InstalledAppExNode;

namespace tallowick {

// The scopes as the nodes carry them (TALLOWICK_APP_SCOPE_* of the header).
constexpr std::uint32_t kAppScopeMachine = 0;
constexpr std::uint32_t kAppScopeUser = 1;

// One uninstall key read: its scope and view as the nodes carry them, and
// how the view is reached (RegistryView::None: the program's own).
struct AppSource {
    std::uint32_t scope;  // kAppScope*
    std::uint32_t view;   // 64, 32, or 0 for the user's key
    RegistryView access;
};

// The uninstall keys in the order of precedence: the machine's 64-bit view,
// its 32-bit view (on 32-bit Windows its only view, 32), the user's key.
std::vector<AppSource> AppSources(bool sixtyFourBitWindows);

// What one uninstall entry holds, as read (a missing value is empty/false).
struct AppEntry {
    std::uint32_t scope = 0;
    std::uint32_t view = 0;
    Text keyName;
    Text displayName;
    Text publisher;
    Text displayVersion;
    Text installDate;
    Text installLocation;
    Text uninstallString;
    Text quietUninstallString;
    Text releaseType;
    bool hasParentKeyName = false;
    std::uint32_t systemComponent = 0;    // the REG_DWORD, 0 when absent
    std::uint32_t estimatedSizeKiB = 0;   // the REG_DWORD, 0 when absent
};

// Whether the list shows the entry: a display name, not a system component,
// not an update (no ParentKeyName, no ReleaseType "Update", "Hotfix" or
// "Security Update" in any letter case).
bool IsListedAppEntry(const AppEntry& entry);

// The same rule before the rest of the entry is read: true when what is
// known so far already leaves it out.
bool IsHiddenAppEntry(TextView displayName, std::uint32_t systemComponent, bool hasParentKeyName,
                      TextView releaseType);

// "YYYYMMDD" as the number 20240131: exactly eight digits forming a valid
// Gregorian date (year 1 to 9999); anything else gives 0.
std::uint32_t ParseInstallDate(TextView text);

// A unit upper-cased as the list compares names: ASCII, Latin-1, Latin
// Extended-A, Greek, Cyrillic and full-width letters; other units unchanged.
char16_t UpperCaseUnit(char16_t unit);

// Ordinal comparison of the upper-cased texts: <0, 0, >0.
int CompareIgnoreCase(TextView a, TextView b);

// The entries the list shows, in its order: the listing rules applied, an
// entry listed once when its key name and display name (in any letter case)
// came earlier, then sorted by display name ignoring case, stably (entries of
// equal names keep their order, which is the order of the sources).
std::vector<AppEntry> SelectListedApps(std::vector<AppEntry> entries);

// The platform part (installed_apps_ex_win.cpp).

// The nodes of the entries in their order, each text cut to its field.
// Counts the nodes in `*count` (when given). Null for no entries; throws
// std::bad_alloc when a node cannot be made (nothing is then leaked).
InstalledAppExNode* BuildInstalledAppExList(const std::vector<AppEntry>& entries, int* count);

// Every uninstall entry of the sources, in source order then registry order,
// each read whole unless the listing rules leave it out on its first values.
std::vector<AppEntry> ReadAppEntries(const std::vector<AppSource>& sources);

// The list of Check_InstalledAppsEx (null when empty); `count` receives the
// number of nodes.
InstalledAppExNode* ListInstalledAppsEx(int* count);

}  // namespace tallowick
