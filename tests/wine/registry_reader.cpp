// ReadRegistryString against the Wine registry, with keys the test creates.
// ctest-labels: bitness
#include <gtest/gtest.h>

#include "core/registry_reader.h"
#include "test_support.h"

using tallowick::ReadRegistryString;

namespace {

const std::wstring kKey = L"SOFTWARE\\TallowickTest\\Reader";
const std::u16string kBase = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\TallowickTest\\Reader\\";

struct Buffer {
    char16_t units[300];
    Buffer() { std::fill(std::begin(units), std::end(units), u'#'); }
    std::u16string text() const { return std::u16string(units); }
};

TEST(RegistryReader, ReadsEachKindOfValue) {
    tw::ScopedRegKey key(HKEY_LOCAL_MACHINE, kKey);
    ASSERT_TRUE(key.ok());
    key.setString(L"Plain", L"9.11.9600.18376");
    key.setString(L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
    key.setString(L"", L"default text");
    std::wstring big(299, L'b');  // 600 bytes with its terminator
    key.setString(L"Big", big);
    std::wstring exact(259, L'e');  // 520 bytes with its terminator
    key.setString(L"Exact", exact);
    DWORD number = 7;
    key.setBytes(L"Number", REG_DWORD, &number, 4);

    struct Case {
        const char* name;
        std::u16string path;
        int code;
        std::u16string text;  // expected destination text when read
    } cases[] = {
        {"REG_SZ", kBase + u"Plain", 0, u"9.11.9600.18376"},
        {"REG_EXPAND_SZ raw", kBase + u"Expand", 4, u"%SystemRoot%\\x"},
        {"default value", kBase, 0, u"default text"},
        {"520 bytes fit", kBase + u"Exact", 0, std::u16string(259, u'e')},
        {"600 bytes", kBase + u"Big", 3, u""},
        {"missing value", kBase + u"Nothing", 3, u""},
    };
    for (const Case& c : cases) {
        Buffer buf;
        buf.units[0] = 0;
        EXPECT_EQ(ReadRegistryString(c.path.c_str(), buf.units), c.code) << c.name;
        if (!c.text.empty()) EXPECT_EQ(buf.text(), c.text) << c.name;
        EXPECT_EQ(buf.units[260], u'#') << c.name << ": wrote past 520 bytes";
    }
    Buffer buf;
    EXPECT_EQ(ReadRegistryString((kBase + u"Number").c_str(), buf.units), 4);
}

TEST(RegistryReader, UnreadablePathsLeaveTheDestinationAlone) {
    const std::u16string paths[] = {
        u"HKEY_LOCAL_MACHINE\\SOFTWARE\\TallowickTest\\NoSuchKey\\Value",  // 2
        u"hkey_local_machine\\SOFTWARE\\Microsoft\\Value",                 // 1
        u"HKEY_LOCAL_MACHINE\\Value",                                      // 1
    };
    const int codes[] = {2, 1, 1};
    for (int i = 0; i < 3; ++i) {
        Buffer buf;
        buf.units[0] = u'k';
        buf.units[1] = 0;
        EXPECT_EQ(ReadRegistryString(paths[i].c_str(), buf.units), codes[i]);
        EXPECT_EQ(buf.text(), u"k");
    }
}

TEST(RegistryReader, ReadsTheInternetExplorerVersion) {
    char16_t buf[261] = {};
    EXPECT_EQ(ReadRegistryString(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\Version", buf), 0);
    EXPECT_NE(buf[0], 0);
}

}  // namespace
