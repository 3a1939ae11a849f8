#include "disk/defrag_report.h"

#include <utility>

#include "core/os_family.h"

namespace tallowick {
namespace {

// The number's text [first, last] (indices into `report`, `first` may lie
// before its start), widened to the left over every digit in front of a
// digit, and clipped to the report.
std::string_view NumberText(std::string_view report, std::ptrdiff_t first, std::ptrdiff_t last) {
    if (last < 0) return std::string_view();
    if (first < 0) first = 0;
    while (first > 0 && IsAsciiDigit(report[static_cast<std::size_t>(first)]) &&
           IsAsciiDigit(report[static_cast<std::size_t>(first - 1)])) {
        --first;
    }
    return report.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
}

}  // namespace

bool ParseDefragReportText(std::string_view report, std::int32_t osFamily, DefragFigures& figures) {
    if (report.size() > kReportReadLimit) report = report.substr(0, kReportReadLimit);
    std::size_t end = report.find('\0');
    if (end != std::string_view::npos) report = report.substr(0, end);
    if (report.empty()) return false;

    std::size_t firstSign = report.find('%');
    if (firstSign == std::string_view::npos) return false;

    std::string_view number;
    if (osFamily == OsVista) {
        std::ptrdiff_t p = static_cast<std::ptrdiff_t>(firstSign);
        number = NumberText(report, p - 3, p - 2);
    } else {
        std::size_t secondSign = report.find('%', firstSign + 1);
        if (secondSign == std::string_view::npos) return false;
        std::ptrdiff_t q = static_cast<std::ptrdiff_t>(secondSign);
        bool twoPlaces = q >= 2 && IsAsciiDigit(report[static_cast<std::size_t>(q - 2)]);
        number = NumberText(report, twoPlaces ? q - 2 : q - 1, q - 1);
    }
    figures.percent = LeadingInt32(number);
    figures.recommend = figures.percent > kRecommendAbove ? 1 : 0;
    return true;
}

namespace {

// `text` as a batch file writes it literally: every percent sign doubled.
void AppendLiteral(Text& line, TextView text) {
    for (char16_t c : text) {
        if (c == u'%') line += u'%';
        line += c;
    }
}

}  // namespace

Text BuildDefragCommand(TextView defragmenter, TextView rootPath, TextView reportPath) {
    bool quote = defragmenter.find_first_of(u" \t&()[]{}^=;!'+,`~") != TextView::npos;
    Text line;
    if (quote) line += u'"';
    AppendLiteral(line, defragmenter);
    if (quote) line += u'"';
    line += u' ';
    AppendLiteral(line, rootPath);
    line += u" -a >>\"";
    AppendLiteral(line, reportPath);
    line += u'"';
    return line;
}

bool EncodeBatchLine(TextView line, const CodePage& codePage, std::string& bytes) {
    bytes.clear();
    std::string encoded;
    if (line.empty() || !codePage.encode(line, encoded)) return false;
    if (encoded.empty() || encoded.size() > kBatchLineBound) return false;
    if (codePage.decode(encoded) != line) return false;
    bytes = std::move(encoded);
    return true;
}

Text ProgressText(TextView rootPath) {
    char16_t buffer[kProgressBound];
    CopyBounded(buffer, kProgressBound, kProgressFormatPrefix);
    AppendBounded(buffer, kProgressBound, rootPath);
    AppendBounded(buffer, kProgressBound, kProgressFormatSuffix);
    return Text(buffer);
}

Text FragmentationText(std::int32_t percent) { return FormatInt(percent) + kFragmentationSuffix; }

const char16_t* AdviceText(bool recommend) { return recommend ? kAdviceRecommended : kAdviceNotNeeded; }

Text SiblingPath(TextView modulePath, TextView name) {
    std::size_t slash = modulePath.rfind(u'\\');
    Text out = slash == TextView::npos ? Text() : Text(modulePath.substr(0, slash + 1));
    out += name;
    return out;
}

}  // namespace tallowick
