// The version resources of the library and the host, read the way a file's
// properties dialog reads them.
// ctest-labels: bitness
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

#include <windows.h>

namespace {

struct VersionInfo {
    bool ok = false;
    VS_FIXEDFILEINFO fixed = {};
    std::wstring fileVersion, productVersion, productName, description, originalName, copyright;
};

std::wstring Value(std::vector<BYTE>& block, const wchar_t* name) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    wchar_t* text = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &len) || !text) return L"";
    return std::wstring(text);
}

VersionInfo Read(const std::wstring& file) {
    VersionInfo info;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (!size) return info;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return info;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) || !fixed) return info;
    info.fixed = *fixed;
    info.fileVersion = Value(block, L"FileVersion");
    info.productVersion = Value(block, L"ProductVersion");
    info.productName = Value(block, L"ProductName");
    info.description = Value(block, L"FileDescription");
    info.originalName = Value(block, L"OriginalFilename");
    info.copyright = Value(block, L"LegalCopyright");
    info.ok = true;
    return info;
}

TEST(VersionResource, LibraryAndHostCarryVersionAndDescription) {
    struct Case {
        const wchar_t* file;
        DWORD type;
    } cases[] = {{L"Tallowick.dll", VFT_DLL}, {L"tallowick.exe", VFT_APP}};
    for (const Case& c : cases) {
        VersionInfo info = Read(std::wstring(TALLOWICK_BIN_DIR) + L"\\" + c.file);
        ASSERT_TRUE(info.ok) << c.file;
        EXPECT_EQ(info.fixed.dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(info.fixed.dwFileType, c.type) << c.file;
        // The header's version, in numbers and as text.
        EXPECT_EQ(info.fixed.dwFileVersionMS, DWORD(MAKELONG(TALLOWICK_VERSION_MINOR, TALLOWICK_VERSION_MAJOR))) << c.file;
        EXPECT_EQ(info.fixed.dwFileVersionLS, DWORD(MAKELONG(0, TALLOWICK_VERSION_PATCH))) << c.file;
        EXPECT_EQ(info.fixed.dwFileVersionMS, info.fixed.dwProductVersionMS) << c.file;
        EXPECT_EQ(info.fixed.dwFileVersionLS, info.fixed.dwProductVersionLS) << c.file;
        EXPECT_EQ(info.fileVersion, info.productVersion) << c.file;
        EXPECT_EQ(info.fileVersion, std::to_wstring(TALLOWICK_VERSION_MAJOR) + L"." + std::to_wstring(TALLOWICK_VERSION_MINOR) +
                                        L"." + std::to_wstring(TALLOWICK_VERSION_PATCH) + L".0") << c.file;
        EXPECT_NE(info.copyright.find(L"The Tallowick developers"), std::wstring::npos) << c.file;
        EXPECT_EQ(info.productName, L"Tallowick") << c.file;
        EXPECT_FALSE(info.description.empty()) << c.file;
        EXPECT_EQ(info.originalName, c.file);
    }
}

}  // namespace
