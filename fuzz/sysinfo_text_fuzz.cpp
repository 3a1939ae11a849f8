// The paging-file multi-string walk, the entry parser and the processor-name
// trim over arbitrary registry data.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/text.h"
#include "sysinfo/paging_files.h"

using namespace tallowick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The data as the registry hands it over: whole units, one zero unit behind.
    const std::size_t units = size / 2;
    std::vector<char16_t> buffer(units + 1, 0);
    if (units) std::memcpy(buffer.data(), data, units * 2);
    std::vector<Text> entries = SplitMultiString(buffer.data(), units);
    std::size_t total = 0;
    for (const Text& entry : entries) {
        if (entry.find(u'\0') != Text::npos) __builtin_trap();  // an entry never spans a terminator
        total += entry.size() + 1;
        PagingFileEntry parsed = ParsePagingFileEntry(entry);
        if (parsed.drive.size() > 2 || parsed.drive != entry.substr(0, 2)) __builtin_trap();
        if (entry.find(u' ') == Text::npos && (parsed.initialSize != 0 || parsed.maximumSize != 0)) __builtin_trap();
        if (parsed.initialSize < INT32_MIN || parsed.initialSize > INT32_MAX) __builtin_trap();
        if (parsed.maximumSize < INT32_MIN || parsed.maximumSize > INT32_MAX) __builtin_trap();
    }
    if (total > units + 1) __builtin_trap();  // never reads beyond the data and its zero unit

    Text name(buffer.data(), units);
    Text trimmed = TrimLeadingBlanks(name);
    if (trimmed.size() > name.size()) __builtin_trap();
    if (!trimmed.empty() && trimmed[0] == u' ') __builtin_trap();
    if (name.compare(name.size() - trimmed.size(), trimmed.size(), trimmed) != 0) __builtin_trap();
    (void)LeadingInt32(name);
    (void)IsListedEnvironmentValue(units ? buffer[0] : 0, static_cast<std::uint32_t>(size));
    return 0;
}
