// Reads the version facts of the running system (Windows only).
#pragma once

#include "core/os_version.h"

namespace tallowick {

// What a derivation will look at.
enum class VersionPurpose { Family, DisplayName };

// Reads the version, the native architecture and, as `purpose` needs them, the
// R2 metric and the registry facts. `versionRead` is false when both
// GetVersionEx calls fail; nothing else is read then.
VersionFacts ReadVersionFacts(VersionPurpose purpose);

// The stored product type (ProductOptions\ProductType), or nothing when the
// key or value cannot be read or is longer than 80 bytes.
std::optional<Text> ReadStoredProductType();
// The stored product name (CurrentVersion\ProductName), likewise.
std::optional<Text> ReadStoredProductName();
// Whether the service pack 6a hotfix key opens.
bool HotfixQ246009Present();

}  // namespace tallowick
