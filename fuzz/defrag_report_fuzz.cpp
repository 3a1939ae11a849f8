// The defragmenter's report as read from its file: any bytes, either layout,
// and the texts built from what it gave; the same bytes as a module path for
// the paths built beside it.
#include <cstdint>
#include <string_view>

#include "disk/defrag_report.h"
#include "core/message_catalog.h"

using namespace tallowick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte picks the OS family whose layout applies (9 or another).
    const std::int32_t family = data[0] % 12;
    std::string_view report(reinterpret_cast<const char*>(data + 1), size - 1);
    DefragFigures figures;
    if (ParseDefragReportText(report, family, figures)) {
        Text text = FragmentationText(figures.percent);
        if (text.empty()) __builtin_trap();
        (void)AdviceText(figures.recommend != 0);
    }
    // The same bytes as a path for the batch line and the progress text.
    Text path;
    for (std::size_t i = 1; i + 1 < size; i += 2)
        path.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    Text progress = ProgressText(path);
    if (progress.size() >= kProgressBound) __builtin_trap();
    (void)BuildDefragCommand(path, path, path);
    Text sibling = SiblingPath(path, u"defrag.txt");
    if (sibling.size() > path.size() + 10) __builtin_trap();
    // The catalogue's path beside the library is built the same way.
    Text catalog = BuildCatalogPath(path);
    if (catalog.size() >= kCatalogPathUnits) __builtin_trap();
    return 0;
}
