// Reads one registry string value named by a full path such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Version", and the
// text of registry data that a check read into a buffer of its own.
#pragma once

#include <cstdint>

#include "core/text.h"

namespace tallowick {

// Predefined root keys by their Windows values.
enum class RegistryRoot : std::uint32_t {
    None = 0,
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
    CurrentConfig = 0x80000005u,
    DynData = 0x80000006u,
};

constexpr std::size_t kRegistryPartUnits = 261;  // key path / value name buffers
constexpr std::uint32_t kRegistryValueBytes = 520;

enum RegistryReadCode : int {
    kRegistryOk = 0,          // read, type REG_SZ
    kRegistryBadRoot = 1,     // no recognised root (or a malformed path)
    kRegistryNoKey = 2,       // key cannot be opened for reading
    kRegistryNoValue = 3,     // value missing or larger than 520 bytes
    kRegistryNotString = 4,   // read, but its type is not REG_SZ
};

// Splits `path` into root, key path (after the first backslash, up to the last)
// and value name (after the last backslash). Root names are matched as
// case-sensitive prefixes. Returns 0, or 1 when no root matches, when the path
// has fewer than two backslashes, or when the key path or the value name would
// not fit 260 units with the terminator; the outputs are then not to be used.
int SplitRegistryPath(const char16_t* path, RegistryRoot* root,
                      char16_t keyPath[kRegistryPartUnits],
                      char16_t valueName[kRegistryPartUnits]);

// Reads the string value named by `path` into `destination` (at least 260
// units). The destination is neither cleared nor terminated by the reader;
// code 4 leaves the value's raw data there. Codes as RegistryReadCode.
int ReadRegistryString(const char16_t* path, char16_t* destination);

// The text of a value read into a buffer of `units` units, of which the
// platform reported `bytesRead` bytes, with or without a type check: up to
// its first terminator, no further than the bytes read (a value stored
// without terminator leaves whatever the buffer held behind it; an odd last
// byte is dropped), and never past the buffer's last unit (a value that fills
// the whole buffer has no room for a terminator). No buffer gives no text.
Text RegistryBufferText(const char16_t* buffer, std::size_t units, std::size_t bytesRead);

}  // namespace tallowick
