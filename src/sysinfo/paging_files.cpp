#include "sysinfo/paging_files.h"

#include <limits>

namespace tallowick {
namespace {

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

std::int32_t LeadingInt32(TextView text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::int64_t limit = negative ? kMax + 1 : kMax;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > limit) value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

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
