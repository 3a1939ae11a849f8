#include <gtest/gtest.h>

#include "core/message_catalog.h"
#include "core/registry_reader.h"

using namespace tallowick;

namespace {

TEST(BuildCatalogPath, TakesTheLibraryDirectory) {
    EXPECT_EQ(BuildCatalogPath(u"D:\\Tools\\Tallowick.dll"), u"D:\\Tools\\common\\config\\Resource.ini");
    EXPECT_EQ(BuildCatalogPath(u"C:\\Tallowick.dll"), u"C:\\common\\config\\Resource.ini");
    EXPECT_EQ(BuildCatalogPath(u"Tallowick.dll"), u"");
}

TEST(BuildCatalogPath, RefusesAPathThatDoesNotFit) {
    const std::size_t rel = TextView(kCatalogRelativePath).size();
    Text dir = u"C:\\" + Text(260 - 1 - rel - 4, u'a') + u"\\";  // exactly 259 units with the file
    Text fits = BuildCatalogPath(dir + u"Tallowick.dll");
    EXPECT_EQ(fits.size(), 259u);
    EXPECT_EQ(BuildCatalogPath(u"C:\\a" + dir.substr(3) + u"Tallowick.dll"), u"");
}

struct SplitCase {
    Text path;
    int code;
    RegistryRoot root;
    Text key;
    Text value;
};

TEST(SplitRegistryPath, SplitsRootKeyAndValue) {
    const SplitCase cases[] = {
        {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\Version", 0, RegistryRoot::LocalMachine,
         u"SOFTWARE\\Microsoft\\Internet Explorer", u"Version"},
        {u"HKEY_CLASSES_ROOT\\k\\v", 0, RegistryRoot::ClassesRoot, u"k", u"v"},
        {u"HKEY_CURRENT_CONFIG\\k\\v", 0, RegistryRoot::CurrentConfig, u"k", u"v"},
        {u"HKEY_CURRENT_USER\\k\\v", 0, RegistryRoot::CurrentUser, u"k", u"v"},
        {u"HKEY_USERS\\k\\v", 0, RegistryRoot::Users, u"k", u"v"},
        {u"HKEY_DYN_DATA\\k\\v", 0, RegistryRoot::DynData, u"k", u"v"},
        // A trailing backslash names the default value.
        {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Key\\", 0, RegistryRoot::LocalMachine, u"SOFTWARE\\Key", u""},
        // Only the prefix is examined.
        {u"HKEY_LOCAL_MACHINEX\\k\\v", 0, RegistryRoot::LocalMachine, u"k", u"v"},
        {u"hkey_local_machine\\k\\v", 1, RegistryRoot::None, u"", u""},
        {u"HKEY_PERFORMANCE_DATA\\k\\v", 1, RegistryRoot::None, u"", u""},
        {u"", 1, RegistryRoot::None, u"", u""},
        // Fewer than two backslashes: nothing to read.
        {u"HKEY_LOCAL_MACHINE", 1, RegistryRoot::None, u"", u""},
        {u"HKEY_LOCAL_MACHINE\\Version", 1, RegistryRoot::None, u"", u""},
        // Parts that do not fit 260 units with the terminator.
        {u"HKEY_LOCAL_MACHINE\\" + Text(261, u'k') + u"\\v", 1, RegistryRoot::None, u"", u""},
        {u"HKEY_LOCAL_MACHINE\\k\\" + Text(261, u'v'), 1, RegistryRoot::None, u"", u""},
    };
    for (const SplitCase& c : cases) {
        RegistryRoot root = RegistryRoot::ClassesRoot;
        char16_t key[kRegistryPartUnits] = {};
        char16_t value[kRegistryPartUnits] = {};
        ASSERT_EQ(SplitRegistryPath(c.path.c_str(), &root, key, value), c.code) << ToUtf8(c.path);
        if (c.code == 0) {
            EXPECT_EQ(root, c.root) << ToUtf8(c.path);
            EXPECT_EQ(Text(key), c.key) << ToUtf8(c.path);
            EXPECT_EQ(Text(value), c.value) << ToUtf8(c.path);
        } else {
            EXPECT_EQ(root, RegistryRoot::None);
        }
    }
}

TEST(SplitRegistryPath, LongestPartsThatFit) {
    Text path = u"HKEY_USERS\\" + Text(260, u'k') + u"\\" + Text(260, u'v');
    RegistryRoot root;
    char16_t key[kRegistryPartUnits];
    char16_t value[kRegistryPartUnits];
    ASSERT_EQ(SplitRegistryPath(path.c_str(), &root, key, value), 0);
    EXPECT_EQ(Text(key).size(), 260u);
    EXPECT_EQ(Text(value).size(), 260u);
}

TEST(SplitRegistryPath, NullPathIsUnrecognised) {
    RegistryRoot root;
    EXPECT_EQ(SplitRegistryPath(nullptr, &root, nullptr, nullptr), 1);
}

}  // namespace
