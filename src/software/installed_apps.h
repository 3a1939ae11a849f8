// Installed programs: the excluded product codes, the index of programs
// already listed, and the views of the uninstall key.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>

#include "core/lists.h"
#include "core/text.h"

namespace tallowick {

// Buffers of the subkey name and of the "DisplayName" and "Publisher" reads.
constexpr std::size_t kAppTextUnits = 256;
constexpr std::size_t kAppTextBytes = kAppTextUnits * 2;
constexpr std::size_t kAppFieldBound = 260;

// Publisher of an entry that has none: "(未知)", in Chinese on purpose (hosts
// compare it).
constexpr const char16_t* kUnknownPublisher = u"(未知)";

// The uninstall entries never listed: product codes of runtime and update
// components that every machine carries.
constexpr std::size_t kExcludedProductCodeCount = 12;
extern const char16_t* const kExcludedProductCodes[kExcludedProductCodeCount];

// True when `subkeyName` is one of the excluded product codes, in any letter case.
bool IsExcludedProductCode(TextView subkeyName);

// The programs already listed, by display name and publisher, compared
// exactly (case matters).
class ListedApps {
public:
    // Adds the pair; false when it was already there.
    bool Add(TextView displayName, TextView publisher);
    bool Contains(TextView displayName, TextView publisher) const;
    std::size_t size() const { return keys_.size(); }

private:
    static Text Key(TextView displayName, TextView publisher);
    std::unordered_set<Text> keys_;
};

// The views of the uninstall key on 64-bit Windows: each build reads its
// own view first, then the other one where it exists.
enum class RegistryView {
    None,        // no other view: 32-bit Windows
    Wow64Key64,  // the 64-bit view, from a 32-bit process under WOW64
    Wow64Key32,  // the 32-bit view (Wow6432Node), from a 64-bit process
};

// The view read after the library's own: the 64-bit view for the 32-bit
// build under WOW64, the 32-bit view for the x64 build, none on 32-bit
// Windows.
RegistryView OtherRegistryView(bool is64BitBuild, bool runsUnderWow64);

}  // namespace tallowick
