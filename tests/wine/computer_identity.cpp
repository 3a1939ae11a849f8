// The computer identity against what Wine itself answers.
// ctest-lock: prefix
#include <gtest/gtest.h>

#include "test_support.h"

#include <lm.h>

#include <cstring>

#include "sysinfo/computer_identity.h"

using tallowick::ComputerIdentity;

namespace {

std::wstring Str(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

const wchar_t kCpuKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

TEST(ComputerIdentity, NullRecord) { EXPECT_EQ(tallowick::FillComputerIdentity(nullptr), 0); }

TEST(ComputerIdentity, FieldsMatchThePlatform) {
    ComputerIdentity id;
    std::memset(&id, 0x55, sizeof id);
    ASSERT_EQ(tallowick::FillComputerIdentity(&id), 1);

    wchar_t name[16] = {};
    DWORD size = 16;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_EQ(Str(id.szComputerName), name);

    WKSTA_INFO_100* info = nullptr;
    ASSERT_EQ(NetWkstaGetInfo(nullptr, 100, reinterpret_cast<BYTE**>(&info)), 0u);
    EXPECT_EQ(Str(id.szWorkgroup), info->wki100_langroup);
    NetApiBufferFree(info);

    MEMORYSTATUSEX mem = {};
    mem.dwLength = sizeof mem;
    ASSERT_TRUE(GlobalMemoryStatusEx(&mem));
    EXPECT_EQ(Str(id.szTotalMemory), std::to_wstring(mem.ullTotalPhys >> 20) + L" MB");

    EXPECT_FALSE(Str(id.szProcessorName).empty());
    EXPECT_NE(id.szProcessorName[0], u' ');
    EXPECT_FALSE(Str(id.szOsName).empty());

    // A dotted IPv4 address, the first one the host name resolves to.
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host), 0);
    hostent* entry = gethostbyname(host);
    ASSERT_NE(entry, nullptr);
    std::string first = inet_ntoa(*reinterpret_cast<in_addr*>(entry->h_addr_list[0]));
    WSACleanup();
    EXPECT_EQ(tw::ToUtf8(Str(id.szIpAddress)), first);
}

struct ProcessorCase {
    const char* name;
    std::wstring stored;
    DWORD type;
    int result;
    std::wstring field;
};

TEST(ComputerIdentity, ProcessorName) {
    tw::SavedRegValue value(HKEY_LOCAL_MACHINE, kCpuKey, L"ProcessorNameString");
    const ProcessorCase cases[] = {
        {"leading blanks", L"      Intel(R) Xeon(R) CPU  ", REG_SZ, 1, L"Intel(R) Xeon(R) CPU  "},
        {"blanks only", L"   ", REG_SZ, 1, L""},
        {"tab kept", L"\tCPU", REG_SZ, 1, L"\tCPU"},
        {"127 characters fit", std::wstring(127, L'p'), REG_SZ, 1, std::wstring(127, L'p')},
        {"128 characters are too long", std::wstring(128, L'p'), REG_SZ, 0, L"keep"},
        {"no type check", L"  Expand", REG_EXPAND_SZ, 1, L"Expand"},
    };
    for (const ProcessorCase& c : cases) {
        EXPECT_EQ(value.setString(c.stored, c.type), ERROR_SUCCESS) << c.name;
        char16_t field[256];
        std::fill(std::begin(field), std::end(field), u'#');
        std::memcpy(field, u"keep", 10);
        EXPECT_EQ(tallowick::ReadProcessorName(field), c.result) << c.name;
        EXPECT_EQ(Str(field), c.field) << c.name;
    }
    // 256 bytes of binary data without a terminator: taken whole, terminated.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCpuKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    std::wstring full(128, L'b');
    EXPECT_EQ(RegSetValueExW(key, L"ProcessorNameString", 0, REG_BINARY,
                             reinterpret_cast<const BYTE*>(full.data()), 256), ERROR_SUCCESS);
    RegCloseKey(key);
    char16_t field[256];
    std::fill(std::begin(field), std::end(field), u'#');
    EXPECT_EQ(tallowick::ReadProcessorName(field), 1);
    EXPECT_EQ(Str(field), full);

    value.remove();
    std::memcpy(field, u"keep", 10);
    EXPECT_EQ(tallowick::ReadProcessorName(field), 0);
    EXPECT_EQ(Str(field), L"keep");
}

}  // namespace
