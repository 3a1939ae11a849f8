#include "software/installed_apps_ex.h"

#include <algorithm>
#include <unordered_set>

namespace tallowick {

std::vector<AppSource> AppSources(bool sixtyFourBitWindows) {
    if (!sixtyFourBitWindows) {
        return {{kAppScopeMachine, 32, RegistryView::None}, {kAppScopeUser, 0, RegistryView::None}};
    }
    return {{kAppScopeMachine, 64, RegistryView::Wow64Key64},
            {kAppScopeMachine, 32, RegistryView::Wow64Key32},
            {kAppScopeUser, 0, RegistryView::None}};
}

bool IsHiddenAppEntry(TextView displayName, std::uint32_t systemComponent, bool hasParentKeyName,
                      TextView releaseType) {
    if (displayName.empty() || systemComponent != 0 || hasParentKeyName) return true;
    for (TextView update : {TextView(u"Update"), TextView(u"Hotfix"), TextView(u"Security Update")}) {
        if (EqualsIgnoreCase(releaseType, update)) return true;
    }
    return false;
}

bool IsListedAppEntry(const AppEntry& entry) {
    return !IsHiddenAppEntry(entry.displayName, entry.systemComponent, entry.hasParentKeyName, entry.releaseType);
}

std::uint32_t ParseInstallDate(TextView text) {
    if (text.size() != 8) return 0;
    std::uint32_t value = 0;
    for (char16_t c : text) {
        if (!IsAsciiDigit(c)) return 0;
        value = value * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    const std::uint32_t year = value / 10000, month = value / 100 % 100, day = value % 100;
    if (year == 0 || month < 1 || month > 12 || day < 1) return 0;
    static const std::uint32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const std::uint32_t last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last ? value : 0;
}

char16_t UpperCaseUnit(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE) return c == 0xF7 ? c : char16_t(c - 0x20);  // à..þ, not ÷
    if (c == 0xFF) return 0x178;                                            // ÿ
    if (c >= 0x100 && c <= 0x17E) {
        // Latin Extended-A pairs capital then small, except in the three
        // runs where the pairs start on an odd unit; ı (0x131), ĸ (0x138)
        // and ŉ (0x149) have no capital of their own here.
        if (c == 0x131 || c == 0x138 || c == 0x149) return c;
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddPairs) return (c % 2 == 0) ? char16_t(c - 1) : c;
        if (c == 0x130) return c;
        return (c % 2 == 1) ? char16_t(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? char16_t(0x3A3) : char16_t(c - 0x20);  // α..ω, final ς
    if (c >= 0x430 && c <= 0x44F) return char16_t(c - 0x20);                              // а..я
    if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);                              // ѐ..џ
    if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 0x20);                            // ａ..ｚ
    return c;
}

int CompareIgnoreCase(TextView a, TextView b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = UpperCaseUnit(a[i]), y = UpperCaseUnit(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

namespace {

Text UpperCased(TextView text) {
    Text out(text);
    for (char16_t& c : out) c = UpperCaseUnit(c);
    return out;
}

}  // namespace

std::vector<AppEntry> SelectListedApps(std::vector<AppEntry> entries) {
    std::vector<AppEntry> listed;
    listed.reserve(entries.size());
    std::unordered_set<Text> seen;
    for (AppEntry& entry : entries) {
        if (!IsListedAppEntry(entry)) continue;
        // Neither name holds a terminator, so the pair is unambiguous.
        Text key = UpperCased(entry.keyName);
        key.push_back(u'\0');
        key += UpperCased(entry.displayName);
        if (!seen.insert(std::move(key)).second) continue;
        listed.push_back(std::move(entry));
    }
    std::stable_sort(listed.begin(), listed.end(), [](const AppEntry& a, const AppEntry& b) {
        return CompareIgnoreCase(a.displayName, b.displayName) < 0;
    });
    return listed;
}

}  // namespace tallowick
