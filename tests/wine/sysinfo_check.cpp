// Check_SysInfo and Check_NetInfo through the loaded library, against the
// prefix's registry and values the tests set and restore.
// ctest-lock: prefix
// ctest-labels: bitness
#include <gtest/gtest.h>

#include "test_support.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sysinfo/computer_identity.h"
#include "sysinfo/os_display_name.h"
#include "sysinfo/system_info.h"

namespace {

const wchar_t kMemoryKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
const wchar_t kEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const wchar_t kServerKey[] = L"SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters";

LONG SetRaw(const wchar_t* keyPath, const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
    return rc;
}

LONG SetMulti(const std::wstring& units) {
    return SetRaw(kMemoryKey, L"PagingFiles", REG_MULTI_SZ, units.data(),
                  static_cast<DWORD>(units.size() * sizeof(wchar_t)));
}

struct Env {
    std::wstring name, value;
};

// The listed system environment as read directly: string values with data.
std::vector<Env> ExpectedEnvironment() {
    std::vector<Env> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[1024];
        DWORD nameUnits = 1024, type = 0, bytes = 0;
        std::vector<wchar_t> data(8192);
        bytes = static_cast<DWORD>(data.size() * 2);
        LONG rc = RegEnumValueW(key, i, name, &nameUnits, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                &bytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || nameUnits > 259 || bytes == 0 || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            continue;
        }
        out.push_back({name, std::wstring(data.data(), wcsnlen(data.data(), bytes / 2))});
    }
    RegCloseKey(key);
    return out;
}

struct SysInfo {
    tw::Library lib;
    SysInfoResult* result = nullptr;
    int count = -1;
    int rc = -1;
    SysInfo() { rc = lib.Check_SysInfo_(&result, nullptr, &count, 0); }
    ~SysInfo() { if (result) lib.Release_SysInfo_(result); }
    std::vector<const PagingFileNode*> paging() const {
        std::vector<const PagingFileNode*> v;
        for (const PagingFileNode* n = result->pPagingFiles; n; n = n->pNext) v.push_back(n);
        return v;
    }
    std::vector<Env> environment() const {
        std::vector<Env> v;
        for (const EnvironmentVariableNode* n = result->pEnvironment; n; n = n->pNext) {
            v.push_back({n->szName, n->pszValue ? n->pszValue : L"<null>"});
        }
        return v;
    }
};

void ExpectSameEnvironment(const std::vector<Env>& got, const std::vector<Env>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].name, expected[i].name) << i;
        // Odd data lengths read by the check's rule: see the TW_ODD test.
        if (got[i].name == L"TW_ODD") continue;
        EXPECT_EQ(got[i].value, expected[i].value) << tw::ToUtf8(got[i].name);
    }
}

TEST(SysInfoCheck, WinePrefixAsItIs) {
    SysInfo s;
    ASSERT_EQ(s.rc, 0);
    ASSERT_NE(s.result, nullptr);
    char16_t name[tallowick::kOsDisplayNameUnits] = {};
    tallowick::GetOsDisplayName(name);
    EXPECT_EQ(std::wstring(s.result->szOsName), reinterpret_cast<const wchar_t*>(name));
    EXPECT_EQ(std::wstring(s.result->szIeVersion), L"9.11.9600.18376");

    // Wine stores the paging files as one REG_SZ text: the drive only.
    auto paging = s.paging();
    ASSERT_EQ(paging.size(), 1u);
    EXPECT_EQ(std::wstring(paging[0]->szDrive), L"C:");
    EXPECT_EQ(paging[0]->llInitialSize, 0);
    EXPECT_EQ(paging[0]->llMaximumSize, 0);

    std::vector<Env> expected = ExpectedEnvironment();
    ExpectSameEnvironment(s.environment(), expected);
    EXPECT_EQ(s.count, 2 + static_cast<int>(expected.size()));
    bool unexpanded = false;
    for (const Env& e : expected) unexpanded |= e.value.find(L"%SystemRoot%") != std::wstring::npos;
    EXPECT_TRUE(unexpanded) << "Wine's environment should hold %SystemRoot% references";
}

TEST(SysInfoCheck, MultiStringPagingFiles) {
    tw::SavedRegValue saved(HKEY_LOCAL_MACHINE, kMemoryKey, L"PagingFiles");
    const int environment = static_cast<int>(ExpectedEnvironment().size());

    struct Case {
        const char* name;
        std::wstring data;
        std::vector<std::wstring> drives;
        std::vector<std::pair<long long, long long>> sizes;
    } cases[] = {
        {"two entries", std::wstring(L"C:\\pagefile.sys 1536 3072\0D:\\pagefile.sys 0 0\0\0", 46),
         {L"C:", L"D:"}, {{1536, 3072}, {0, 0}}},
        {"path with blanks", std::wstring(L"C:\\Page Files\\p.sys 100 200\0\0", 29), {L"C:"}, {{0, 200}}},
        {"only the terminator", std::wstring(L"\0", 1), {L""}, {{0, 0}}},
        {"no data", std::wstring(), {}, {}},
        {"full 2048 bytes", std::wstring(L"E:\\p 5 6\0", 9) + std::wstring(1014, L'x') + L'\0', {L"E:", L"xx"},
         {{5, 6}, {0, 0}}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SetMulti(c.data), ERROR_SUCCESS) << c.name;
        SysInfo s;
        ASSERT_EQ(s.rc, 0) << c.name;
        auto paging = s.paging();
        ASSERT_EQ(paging.size(), c.drives.size()) << c.name;
        for (std::size_t i = 0; i < paging.size(); ++i) {
            EXPECT_EQ(std::wstring(paging[i]->szDrive), c.drives[i]) << c.name;
            EXPECT_EQ(paging[i]->llInitialSize, c.sizes[i].first) << c.name;
            EXPECT_EQ(paging[i]->llMaximumSize, c.sizes[i].second) << c.name;
            for (int u = 3; u < 12; ++u) EXPECT_EQ(paging[i]->szDrive[u], 0) << c.name;
        }
        EXPECT_EQ(s.count, 3 + environment) << c.name;
    }

    // Longer than 2048 bytes: no list and nothing counted.
    ASSERT_EQ(SetMulti(std::wstring(L"C:\\p 1 2\0", 9) + std::wstring(1016, L'y')), ERROR_SUCCESS);
    {
        SysInfo s;
        EXPECT_EQ(s.result->pPagingFiles, nullptr);
        EXPECT_EQ(s.count, 2 + environment);
    }
    // Another type: no list and nothing counted.
    DWORD number = 5;
    ASSERT_EQ(SetRaw(kMemoryKey, L"PagingFiles", REG_DWORD, &number, 4), ERROR_SUCCESS);
    {
        SysInfo s;
        EXPECT_EQ(s.result->pPagingFiles, nullptr);
        EXPECT_EQ(s.count, 2 + environment);
    }
    // Missing: likewise.
    saved.remove();
    {
        SysInfo s;
        EXPECT_EQ(s.result->pPagingFiles, nullptr);
        EXPECT_EQ(s.count, 2 + environment);
    }
}

TEST(SysInfoCheck, ReadPagingFilesCountsTheMultiString) {
    tw::SavedRegValue saved(HKEY_LOCAL_MACHINE, kMemoryKey, L"PagingFiles");
    int count = 9;
    ASSERT_EQ(saved.setString(L"D:\\pagefile.sys 27 77"), ERROR_SUCCESS);
    PagingFileNode* head = tallowick::ReadPagingFiles(&count);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(std::wstring(head->szDrive), L"D:");
    EXPECT_EQ(head->pNext, nullptr);
    tallowick::FreeList(head);

    ASSERT_EQ(SetMulti(std::wstring(L"C:\\a 1 2\0", 9)), ERROR_SUCCESS);
    head = tallowick::ReadPagingFiles(&count);
    EXPECT_EQ(count, 1);
    tallowick::FreeList(head);
    EXPECT_EQ(tallowick::ReadPagingFiles(nullptr) != nullptr, true);  // a null count is allowed
    tallowick::FreeList(tallowick::ReadPagingFiles(nullptr));
}

TEST(SysInfoCheck, EnvironmentListsStringValuesOnly) {
    tw::SavedRegValue expand(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_EXPAND");
    tw::SavedRegValue plain(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_PLAIN");
    tw::SavedRegValue empty(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_EMPTY");
    tw::SavedRegValue number(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_DWORD");
    tw::SavedRegValue multi(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_MULTI");
    tw::SavedRegValue odd(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_ODD");
    tw::SavedRegValue unterminated(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_NOEND");
    const std::wstring longName(300, L'L');
    tw::SavedRegValue tooLong(HKEY_LOCAL_MACHINE, kEnvironmentKey, longName);
    tw::SavedRegValue after(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"TW_AFTER");

    ASSERT_EQ(expand.setString(L"%SystemRoot%\\tallowick;%TEMP%", REG_EXPAND_SZ), ERROR_SUCCESS);
    ASSERT_EQ(plain.setString(L"七 plain"), ERROR_SUCCESS);
    ASSERT_EQ(SetRaw(kEnvironmentKey, L"TW_EMPTY", REG_SZ, L"", 0), ERROR_SUCCESS);
    ASSERT_EQ(number.setDword(7), ERROR_SUCCESS);
    ASSERT_EQ(SetRaw(kEnvironmentKey, L"TW_MULTI", REG_MULTI_SZ, L"a\0b\0", 10), ERROR_SUCCESS);
    ASSERT_EQ(SetRaw(kEnvironmentKey, L"TW_ODD", REG_SZ, "abc", 3), ERROR_SUCCESS);
    ASSERT_EQ(SetRaw(kEnvironmentKey, L"TW_NOEND", REG_SZ, L"xyz", 6), ERROR_SUCCESS);
    ASSERT_EQ(tooLong.setString(L"long name"), ERROR_SUCCESS);
    ASSERT_EQ(after.setString(L"after"), ERROR_SUCCESS);

    std::vector<Env> expected = ExpectedEnvironment();
    SysInfo s;
    std::vector<Env> got = s.environment();
    ExpectSameEnvironment(got, expected);
    EXPECT_EQ(s.count, 2 + static_cast<int>(got.size()));

    auto find = [&](const std::wstring& name) -> const Env* {
        for (const Env& e : got) if (e.name == name) return &e;
        return nullptr;
    };
    ASSERT_NE(find(L"TW_EXPAND"), nullptr);
    EXPECT_EQ(find(L"TW_EXPAND")->value, L"%SystemRoot%\\tallowick;%TEMP%");
    ASSERT_NE(find(L"TW_PLAIN"), nullptr);
    EXPECT_EQ(find(L"TW_PLAIN")->value, L"七 plain");
    EXPECT_EQ(find(L"TW_EMPTY"), nullptr);
    EXPECT_EQ(find(L"TW_DWORD"), nullptr);
    EXPECT_EQ(find(L"TW_MULTI"), nullptr);
    EXPECT_EQ(find(longName), nullptr);
    ASSERT_NE(find(L"TW_NOEND"), nullptr);
    EXPECT_EQ(find(L"TW_NOEND")->value, L"xyz");
    // 3 bytes of data, read with a limit of 4: the whole data, terminated
    // inside its 4-unit buffer.
    ASSERT_NE(find(L"TW_ODD"), nullptr);
    ASSERT_FALSE(find(L"TW_ODD")->value.empty());
    EXPECT_EQ(find(L"TW_ODD")->value[0], static_cast<wchar_t>(0x6261));
    EXPECT_LE(find(L"TW_ODD")->value.size(), 3u);
    ASSERT_NE(find(L"TW_AFTER"), nullptr);

    // ReadSystemEnvironment alone counts its nodes.
    int count = -5;
    EnvironmentVariableNode* head = tallowick::ReadSystemEnvironment(&count);
    EXPECT_EQ(count, static_cast<int>(got.size()));
    tallowick::FreeList(head);
}

// Names at the edge of the field: 259 units are listed, 260 are not.
TEST(SysInfoCheck, EnvironmentNameLengthLimit) {
    const std::wstring fits(259, L'F'), tooLong(260, L'G');
    tw::SavedRegValue a(HKEY_LOCAL_MACHINE, kEnvironmentKey, fits);
    tw::SavedRegValue b(HKEY_LOCAL_MACHINE, kEnvironmentKey, tooLong);
    ASSERT_EQ(a.setString(L"fits"), ERROR_SUCCESS);
    ASSERT_EQ(b.setString(L"too long"), ERROR_SUCCESS);
    SysInfo s;
    bool listedFits = false, listedTooLong = false;
    for (const Env& e : s.environment()) {
        if (e.name == fits) listedFits = e.value == L"fits";
        if (e.name.compare(0, 259, tooLong, 0, 259) == 0) listedTooLong = true;
    }
    EXPECT_TRUE(listedFits);
    EXPECT_FALSE(listedTooLong);
}

// Values added and removed (and their data grown and shrunk) by another
// thread while reports run: every listed value comes with the data its own
// name was written with, never a neighbour's.
TEST(SysInfoCheck, EnvironmentPairsNamesWithTheirOwnDataWhileValuesChange) {
    const std::vector<Env> steady = ExpectedEnvironment();
    constexpr int kNames = 8;
    std::vector<std::unique_ptr<tw::SavedRegValue>> saved;
    std::vector<std::wstring> names;
    for (int i = 0; i < kNames; ++i) {
        names.push_back(L"TW_RACE_" + std::to_wstring(i));
        saved.push_back(std::make_unique<tw::SavedRegValue>(HKEY_LOCAL_MACHINE, kEnvironmentKey, names.back()));
    }
    auto dataOf = [](const std::wstring& name, int pad) { return name + L"=" + std::wstring(pad, L'x'); };

    std::atomic<bool> stop{false};
    std::atomic<long> writes{0};
    std::thread writer([&] {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        unsigned seed = 12345;
        while (!stop) {
            seed = seed * 1103515245u + 12345u;
            const std::wstring& name = names[(seed >> 8) % kNames];
            if ((seed >> 20) % 3 == 0) {
                RegDeleteValueW(key, name.c_str());
            } else {
                // Short and long data, so that values outgrow the reader's buffers.
                const std::wstring data = dataOf(name, static_cast<int>((seed >> 12) % 700));
                RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                               static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
            }
            ++writes;
        }
        RegCloseKey(key);
    });

    constexpr int kReports = 3000;
    int mispaired = 0, raceListed = 0;
    for (int report = 0; report < kReports; ++report) {
        int count = 0;
        EnvironmentVariableNode* head = tallowick::ReadSystemEnvironment(&count);
        int nodes = 0;
        for (const EnvironmentVariableNode* n = head; n; n = n->pNext, ++nodes) {
            const std::wstring name = n->szName, value = n->pszValue;
            bool ok = false;
            if (name.compare(0, 8, L"TW_RACE_") == 0) {
                ++raceListed;
                ok = value.size() > name.size() && value.compare(0, name.size() + 1, name + L"=") == 0 &&
                     value.find_first_not_of(L'x', name.size() + 1) == std::wstring::npos;
            } else {
                for (const Env& e : steady) ok |= e.name == name && e.value == value;
            }
            if (!ok && mispaired++ < 5) ADD_FAILURE() << "report " << report << ": " << tw::ToUtf8(name) << " = "
                                                      << tw::ToUtf8(value.substr(0, 40));
        }
        EXPECT_EQ(count, nodes);
        tallowick::FreeList(head);
    }
    stop = true;
    writer.join();
    std::printf("%d reports, %ld writes, %d changing values listed, %d mispaired\n", kReports, writes.load(),
                raceListed, mispaired);
    EXPECT_EQ(mispaired, 0);
    EXPECT_GT(writes.load(), 0);
    EXPECT_GT(raceListed, 0);
}

TEST(SysInfoCheck, NullCountAndRelease) {
    tw::Library lib;
    SysInfoResult* result = nullptr;
    EXPECT_EQ(lib.Check_SysInfo_(&result, nullptr, nullptr, 0), 0);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(lib.Release_SysInfo_(result), 0);
    EXPECT_EQ(lib.Release_SysInfo_(nullptr), 1);
}

// ---- Check_NetInfo -------------------------------------------------------------

struct NetInfo {
    tw::Library lib;
    NetInfoResult* result = nullptr;
    int count = -1;
    int rc = -1;
    NetInfo() { rc = lib.Check_NetInfo_(&result, nullptr, &count, 0); }
    ~NetInfo() { if (result) lib.Release_NetInfo_(result); }
};

TEST(NetInfoCheck, FieldsComeFromTheIdentity) {
    tw::SavedRegValue comment(HKEY_LOCAL_MACHINE, kServerKey, L"srvcomment");
    comment.remove();
    tallowick::ComputerIdentity id;
    tallowick::FillComputerIdentity(&id);
    NetInfo n;
    ASSERT_EQ(n.rc, 0);
    ASSERT_NE(n.result, nullptr);
    EXPECT_EQ(n.count, 4);
    EXPECT_EQ(std::wstring(n.result->szComputerName), reinterpret_cast<const wchar_t*>(id.szComputerName));
    EXPECT_EQ(std::wstring(n.result->szWorkgroup), reinterpret_cast<const wchar_t*>(id.szWorkgroup));
    EXPECT_EQ(std::wstring(n.result->szIpAddress), reinterpret_cast<const wchar_t*>(id.szIpAddress));
    EXPECT_FALSE(std::wstring(n.result->szComputerName).empty());
    EXPECT_FALSE(std::wstring(n.result->szIpAddress).empty());
    EXPECT_EQ(std::wstring(n.result->szComment), L" ");
}

TEST(NetInfoCheck, ServerComment) {
    tw::SavedRegValue comment(HKEY_LOCAL_MACHINE, kServerKey, L"srvcomment");
    const struct {
        const char* name;
        std::wstring stored;
        std::wstring expected;
    } cases[] = {
        {"stored text", L"构建服务器 build box", L"构建服务器 build box"},
        {"empty text", L"", L""},
        {"259 characters", std::wstring(259, L'c'), std::wstring(259, L'c')},
        {"too long to read", std::wstring(300, L'c'), L" "},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(comment.setString(c.stored), ERROR_SUCCESS) << c.name;
        NetInfo n;
        ASSERT_EQ(n.rc, 0) << c.name;
        EXPECT_EQ(std::wstring(n.result->szComment), c.expected) << c.name;
        EXPECT_EQ(n.count, 4) << c.name;
    }
}

TEST(NetInfoCheck, NullCountAndRelease) {
    tw::Library lib;
    NetInfoResult* result = nullptr;
    EXPECT_EQ(lib.Check_NetInfo_(&result, nullptr, nullptr, 0), 0);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(lib.Release_NetInfo_(result), 0);
    EXPECT_EQ(lib.Release_NetInfo_(nullptr), 1);
}

}  // namespace
