#include "sysinfo/paging_files.h"

namespace tallowick {

PagingFileEntry ParsePagingFileEntry(TextView entry) {
    PagingFileEntry result;
    result.drive = Text(entry.substr(0, 2));
    std::size_t first = entry.find(u' ');
    if (first != TextView::npos) {
        std::size_t last = entry.rfind(u' ');
        result.initialSize = LeadingInt32(entry.substr(first + 1));
        result.maximumSize = LeadingInt32(entry.substr(last + 1));
    }
    return result;
}

std::vector<Text> SplitMultiString(const char16_t* data, std::size_t units) {
    std::vector<Text> entries;
    if (!data) return entries;
    Text entry;
    for (std::size_t i = 0; i < units; ++i) {
        if (data[i] != 0) {
            entry += data[i];
            continue;
        }
        entries.push_back(entry);
        entry.clear();
        if (data[i + 1] == 0) break;
    }
    return entries;
}

bool IsListedEnvironmentValue(std::uint32_t type, std::uint32_t dataBytes) {
    return dataBytes != 0 && (type == kRegSz || type == kRegExpandSz);
}

}  // namespace tallowick
