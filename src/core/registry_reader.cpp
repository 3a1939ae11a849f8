#include "core/registry_reader.h"

namespace tallowick {
namespace {

struct RootName {
    TextView name;
    RegistryRoot root;
};

// Tested in this order, each as a prefix of the path.
constexpr RootName kRoots[] = {
    {u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
    {u"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
    {u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
    {u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
    {u"HKEY_USERS", RegistryRoot::Users},
    {u"HKEY_DYN_DATA", RegistryRoot::DynData},
};

constexpr std::size_t kMaxPathUnits = 0x10000;  // longer than any registry path

}  // namespace

int SplitRegistryPath(const char16_t* path, RegistryRoot* root,
                      char16_t keyPath[kRegistryPartUnits],
                      char16_t valueName[kRegistryPartUnits]) {
    if (root) *root = RegistryRoot::None;
    if (!path) return kRegistryBadRoot;
    TextView text(path, BoundedLength(path, kMaxPathUnits));

    RegistryRoot found = RegistryRoot::None;
    for (const RootName& r : kRoots) {
        if (text.substr(0, r.name.size()) == r.name) {
            found = r.root;
            break;
        }
    }
    if (found == RegistryRoot::None) return kRegistryBadRoot;

    std::size_t first = text.find(u'\\');
    std::size_t last = text.rfind(u'\\');
    if (first == TextView::npos || first == last) return kRegistryBadRoot;

    TextView key = text.substr(first + 1, last - first - 1);
    TextView value = text.substr(last + 1);
    if (key.size() >= kRegistryPartUnits || value.size() >= kRegistryPartUnits) {
        return kRegistryBadRoot;
    }
    if (root) *root = found;
    if (keyPath) CopyBounded(keyPath, kRegistryPartUnits, key);
    if (valueName) CopyBounded(valueName, kRegistryPartUnits, value);
    return kRegistryOk;
}

Text RegistryBufferText(const char16_t* buffer, std::size_t units, std::size_t bytesRead) {
    if (!buffer || units == 0) return Text();
    // The last unit is the terminator's place: a value of the whole buffer's
    // size loses its last unit rather than running past the buffer.
    std::size_t limit = units - 1;
    if (bytesRead / 2 < limit) limit = bytesRead / 2;
    return Text(buffer, BoundedLength(buffer, limit));
}

}  // namespace tallowick
