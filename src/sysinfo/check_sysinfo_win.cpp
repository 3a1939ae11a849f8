// The system information report: OS name, Internet Explorer version, paging
// files and system environment.
#include <cstring>
#include <iterator>
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
// A variable's name is listed when it fits the node's field with a unit to
// spare (259 units and the terminator); a longer name is not listed.
constexpr DWORD kListedNameUnits = sizeof(EnvironmentVariableNode::szName) / sizeof(wchar_t) - 1;
// The longest value name the registry stores, and the tries at one index
// while a value keeps growing past the buffers between two calls.
constexpr DWORD kMaxRegistryNameUnits = 16383;
constexpr int kReadTriesPerValue = 4;

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

namespace {

// Buffers for one value's name and data, read together in one call so that a
// name is never paired with a neighbour's data while values come and go.
// Sized from the key's longest name and data, grown when a value outgrows
// them between two calls.
class ValueReader {
public:
    explicit ValueReader(HKEY key) : key_(key) {}

    // Reads the value at `index`. ERROR_SUCCESS with name, type and data
    // filled; ERROR_MORE_DATA when the buffers could not be made large
    // enough (out of memory, or a value that kept growing); any other code
    // as the registry gave it (ERROR_NO_MORE_ITEMS at the end).
    LONG Read(DWORD index) {
        LONG rc = ERROR_MORE_DATA;
        for (int attempt = 0; attempt < kReadTriesPerValue && rc == ERROR_MORE_DATA; ++attempt) {
            if (!Fit(attempt == 0 ? 0 : 2 * dataCapacity_)) return ERROR_MORE_DATA;
            nameUnits_ = nameCapacity_;
            dataBytes_ = dataCapacity_;
            type_ = 0;
            rc = RegEnumValueW(key_, index, name_.get(), &nameUnits_, nullptr, &type_, data_.get(), &dataBytes_);
            // A too small data buffer reports the size it needs: grow to it.
            if (rc == ERROR_MORE_DATA && dataBytes_ > dataCapacity_ && !Fit(dataBytes_)) return ERROR_MORE_DATA;
        }
        return rc;
    }

    TextView name() const { return TextView(U16(name_.get()), nameUnits_); }
    DWORD type() const { return type_; }
    const BYTE* data() const { return data_.get(); }
    DWORD dataBytes() const { return dataBytes_; }

private:
    // Makes the buffers at least as large as the key's longest name and
    // data, and the data buffer at least `dataBytes`. False when out of memory.
    bool Fit(DWORD dataBytes) {
        DWORD longestName = 0, longestData = 0;
        if (RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                             &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
            longestName = kMaxRegistryNameUnits;
        }
        DWORD nameUnits = (longestName < kMaxRegistryNameUnits ? longestName : kMaxRegistryNameUnits) + 1;
        if (nameUnits < kListedNameUnits + 1) nameUnits = kListedNameUnits + 1;
        if (nameUnits > nameCapacity_) {
            name_.reset(new (std::nothrow) wchar_t[nameUnits]);
            nameCapacity_ = name_ ? nameUnits : 0;
            if (!name_) return false;
        }
        if (longestData > dataBytes) dataBytes = longestData;
        if (dataBytes > dataCapacity_) {
            data_.reset(new (std::nothrow) BYTE[dataBytes]);
            dataCapacity_ = data_ ? dataBytes : 0;
            if (!data_) return false;
        }
        return true;
    }

    HKEY key_;
    std::unique_ptr<wchar_t[]> name_;
    std::unique_ptr<BYTE[]> data_;
    DWORD nameCapacity_ = 0;
    DWORD dataCapacity_ = 0;
    DWORD nameUnits_ = 0;
    DWORD type_ = 0;
    DWORD dataBytes_ = 0;
};

}  // namespace

EnvironmentVariableNode* ReadSystemEnvironment(int* count) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return nullptr;
    }
    if (count) *count = 0;

    ValueReader reader(key.get());
    ListBuilder<EnvironmentVariableNode> built;
    for (DWORD index = 0;; ++index) {
        LONG rc = reader.Read(index);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_MORE_DATA) continue;  // no room could be made for it: not listed
        if (rc != ERROR_SUCCESS) break;       // the key itself has gone bad: the list ends here
        if (reader.name().size() >= kListedNameUnits) continue;  // a name of 260 units or more: not listed
        const DWORD bytes = reader.dataBytes();
        if (!IsListedEnvironmentValue(reader.type(), bytes)) continue;

        NodePtr<EnvironmentVariableNode> node = MakeZeroed<EnvironmentVariableNode>();
        // Room for the data (in bytes, counted as units) and a terminator;
        // the data is copied as read, the units behind it stay zero.
        std::unique_ptr<char16_t[]> value(new (std::nothrow) char16_t[static_cast<std::size_t>(bytes) + 1]());
        if (!node || !value) continue;
        CopyField(node->szName, reader.name());
        std::memcpy(value.get(), reader.data(), bytes);
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
    record->szIeVersion[std::size(record->szIeVersion) - 1] = L'\0';
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
    return ReleaseRecord(record);
}

}  // namespace tallowick
