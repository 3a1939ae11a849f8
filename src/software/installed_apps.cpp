#include "software/installed_apps.h"

namespace tallowick {

const char16_t* const kExcludedProductCodes[kExcludedProductCodeCount] = {
    u"{A49F249F-0C91-497F-86DF-B2585E8E76B7}",  // Visual C++ 2005 Redistributable
    u"{7299052B-02A4-4627-81F2-1818DA5D550D}",  // Visual C++ 2005 SP1 Redistributable
    u"{837B34E3-7C30-493C-8F6A-2B0F04E2912C}",  // Visual C++ 2005 SP1 ATL security update
    u"{710F4C1C-CC18-4C49-8CBF-51240C89A1A2}",  // Visual C++ 2005 SP1 MFC security update
    u"{FF66E9F6-83E7-3A3E-AF14-8DE9A809A6A4}",  // Visual C++ 2008 Redistributable
    u"{9A25302D-30C0-39D9-BD6F-21E6EC160475}",  // Visual C++ 2008 SP1 Redistributable
    u"{1F1C2DFC-2D24-3E06-BCB8-725134ADF989}",  // Visual C++ 2008 SP1 ATL security update
    u"{9BE518E6-ECC6-35A9-88E4-87755C07200F}",  // Visual C++ 2008 SP1 MFC security update
    u"{196BB40D-1578-3D01-B289-BEFC77A11A1E}",  // Visual C++ 2010 Redistributable
    u"{F0C3E5D1-1ADE-321E-8167-68EF0DE699A5}",  // Visual C++ 2010 SP1 Redistributable
    u"{3C3901C5-3455-3E0A-A214-0B093A5070A6}",  // .NET Framework 4 Client Profile
    u"{0A0CADCF-78DA-33C4-A350-CD51849B9702}",  // .NET Framework 4 Extended
};

bool IsExcludedProductCode(TextView subkeyName) {
    for (const char16_t* code : kExcludedProductCodes) {
        if (EqualsIgnoreCase(subkeyName, code)) return true;
    }
    return false;
}

Text ListedApps::Key(TextView displayName, TextView publisher) {
    // Neither text holds a terminator, so the pair is unambiguous.
    Text key;
    key.reserve(displayName.size() + 1 + publisher.size());
    key.append(displayName);
    key.push_back(u'\0');
    key.append(publisher);
    return key;
}

bool ListedApps::Add(TextView displayName, TextView publisher) {
    return keys_.insert(Key(displayName, publisher)).second;
}

bool ListedApps::Contains(TextView displayName, TextView publisher) const {
    return keys_.count(Key(displayName, publisher)) != 0;
}

RegistryView OtherRegistryView(bool is64BitBuild, bool runsUnderWow64) {
    if (is64BitBuild) return RegistryView::Wow64Key32;
    return runsUnderWow64 ? RegistryView::Wow64Key64 : RegistryView::None;
}

}  // namespace tallowick
