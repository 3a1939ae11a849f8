// The system information report: OS name, Internet Explorer version, paging
// files and system environment.
#include <memory>
#include <new>

#include "core/registry_reader.h"
#include "core/win_util.h"
#include "sysinfo/os_display_name.h"
#include "sysinfo/paging_files.h"
#include "sysinfo/system_info.h"

namespace tallowick {
namespace {

const wchar_t kMemoryManagementKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
const wchar_t kEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char16_t kIeVersionPath[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\Version";

constexpr std::size_t kPagingDataUnits = 1024;  // 2048 bytes, plus one zero unit behind
constexpr DWORD kNameUnits = 260;

NodePtr<PagingFileNode> NewPagingNode(const PagingFileEntry& entry) {
    NodePtr<PagingFileNode> node = MakeZeroed<PagingFileNode>();
    if (!node) return node;
    CopyField(node->szDrive, entry.drive);
    node->llInitialSize = entry.initialSize;
    node->llMaximumSize = entry.maximumSize;
    return node;
}

}  // namespace

PagingFileNode* ReadPagingFiles(int* count) {
    if (count) *count = 0;
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMemoryManagementKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return nullptr;
    }
    char16_t data[kPagingDataUnits + 1] = {};
    DWORD type = 0;
    DWORD bytes = kPagingDataUnits * 2;
    if (RegQueryValueExW(key.get(), L"PagingFiles", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    if (bytes > kPagingDataUnits * 2) return nullptr;

    ListBuilder<PagingFileNode> built;
    if (type == kRegSz) {
        // A single text: its drive only, no sizes.
        PagingFileEntry entry;
        entry.drive = Text(data, BoundedLength(data, bytes / 2 < 2 ? bytes / 2 : 2));
        built.Append(NewPagingNode(entry));
    } else if (type == kRegMultiSz) {
        // `data` has a zero unit behind the longest data, as the split needs.
        for (const Text& text : SplitMultiString(data, bytes / 2)) {
            built.Append(NewPagingNode(ParsePagingFileEntry(text)));
        }
        // The list counts as one item however many paging files it holds:
        // kept on purpose, hosts add the count up this way.
        if (count) *count = 1;
    }
    return built.Release();
}

EnvironmentVariableNode* ReadSystemEnvironment(int* count) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return nullptr;
    }
    if (count) *count = 0;

    ListBuilder<EnvironmentVariableNode> built;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kNameUnits] = {};
        DWORD nameUnits = kNameUnits;
        DWORD type = 0;
        DWORD bytes = 0;
        LONG rc = RegEnumValueW(key.get(), index, name, &nameUnits, nullptr, &type, nullptr, &bytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_MORE_DATA) continue;  // a name longer than 259 units: not listed
        if (rc != ERROR_SUCCESS) break;       // the key itself has gone bad: the list ends here
        if (!IsListedEnvironmentValue(type, bytes)) continue;

        NodePtr<EnvironmentVariableNode> node = MakeZeroed<EnvironmentVariableNode>();
        // Room for the data (in bytes, counted as units) and a terminator.
        std::unique_ptr<char16_t[]> value(new (std::nothrow) char16_t[static_cast<std::size_t>(bytes) + 1]());
        if (!node || !value) continue;
        CopyField(node->szName, name, kNameUnits);

        nameUnits = kNameUnits;
        DWORD readType = 0;
        DWORD readBytes = bytes + 1;
        rc = RegEnumValueW(key.get(), index, name, &nameUnits, nullptr, &readType, reinterpret_cast<BYTE*>(value.get()),
                           &readBytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || !IsListedEnvironmentValue(readType, readBytes)) {
            // The value changed between the two reads: it is listed with an
            // empty text rather than with whatever the failed read left.
            value[0] = u'\0';
        }
        value[bytes] = u'\0';
        node->pszValue = W(value.release());
        built.Append(std::move(node));
        if (count) ++*count;
    }
    return built.Release();
}

int CheckSysInfo(SysInfoResult** result, int* count) {
    NodePtr<SysInfoResult> record = MakeZeroed<SysInfoResult>();
    if (!record) return 1;
    *count = 0;

    // The OS name and the IE version count one each, read or not: kept on
    // purpose for hosts.
    GetOsDisplayName(U16(record->szOsName));
    ++*count;

    // An unreadable version leaves the empty text, not what a failed read left.
    int code = ReadRegistryString(kIeVersionPath, U16(record->szIeVersion));
    if (code != kRegistryOk && code != kRegistryNotString) record->szIeVersion[0] = L'\0';
    record->szIeVersion[260] = L'\0';
    ++*count;

    int local = 0;
    record->pPagingFiles = ReadPagingFiles(&local);
    *count += local;

    local = 0;
    record->pEnvironment = ReadSystemEnvironment(&local);
    *count += local;

    *result = record.release();
    return 0;
}

int ReleaseSysInfo(SysInfoResult* record) {
    if (!record) return 1;
    NodeDeleter<SysInfoResult>()(record);
    return 0;
}

}  // namespace tallowick
