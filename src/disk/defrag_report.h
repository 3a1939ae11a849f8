// The portable side of the disk check: reading the fragmentation percentage
// out of the defragmenter's report, the batch command line that runs the
// defragmenter, and the texts that the drive survey writes into its nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/text.h"

namespace tallowick {

// Only this many bytes from the start of a report are ever looked at.
constexpr std::size_t kReportReadLimit = 1024;
// A percentage above this recommends defragmentation.
constexpr std::int32_t kRecommendAbove = 10;

// The texts hosts show and compare: Chinese, with the blank before "...",
// kept on purpose.
constexpr char16_t kProgressFormatPrefix[] = u"正在分析: ";
constexpr char16_t kProgressFormatSuffix[] = u" ...";
constexpr char16_t kFragmentationSuffix[] = u"%碎片";
constexpr char16_t kAdviceRecommended[] = u"建议进行碎片整理";
constexpr char16_t kAdviceNotNeeded[] = u"不需碎片整理";
// The progress text lives in a 256-unit buffer of the survey.
constexpr std::size_t kProgressBound = 256;

struct DefragFigures {
    std::int32_t percent = 0;
    std::int32_t recommend = 0;
};

// Reads the percentage out of a report (its raw bytes as read from the file)
// by the layout that the OS family's defragmenter writes:
//  - OsVista (version 6.0): the number's text is the two characters three
//    and two places before the first percent sign (that layout puts a blank
//    between number and sign, "= 2 %");
//  - every other family: the number's text ends directly before the second
//    percent sign and starts one place earlier when that place holds a digit.
// In both layouts the text reaches further left over every digit in front of
// it, so that a number of three or more digits ("100") is read whole. The
// text is converted by LeadingInt32 (core/text.h), as strtol converts it
// (no digit gives 0). Places before the start of the report do not exist.
// Only the first kReportReadLimit bytes, up to the first zero byte, count.
// Returns false when the report holds no usable percent sign.
bool ParseDefragReportText(std::string_view report, std::int32_t osFamily, DefragFigures& figures);

// The one line of the batch file: DEFRAG ROOT -a >>"REPORT". The
// defragmenter's path is quoted when it holds a blank or a character that the
// command interpreter treats specially. A percent sign in any of the three is
// written twice, as a batch file writes a literal one (a single one would
// start a variable's name and be dropped).
Text BuildDefragCommand(TextView defragmenter, TextView rootPath, TextView reportPath);

// The batch line holds at most this many bytes.
constexpr std::size_t kBatchLineBound = 1024;

// A code page as the platform converts into it and out of it. `encode` gives
// the bytes of a text, and false when the conversion failed or a character
// has no exact counterpart in the code page (the platform put its default
// character in); `decode` reads bytes back into text.
struct CodePage {
    std::function<bool(TextView, std::string&)> encode;
    std::function<Text(std::string_view)> decode;
};

// The bytes of the batch line in the code page that the command interpreter
// reads a batch file in (the OEM code page, not the ANSI one). False, with
// `bytes` left empty, when the line cannot be carried exactly: a character
// without a counterpart, bytes that do not read back as the same line (a
// best-fit look-alike such as "u" for "ü"), no bytes at all, or more than
// kBatchLineBound bytes. The interpreter would otherwise run the analysis
// against a look-alike path, and its report would land somewhere else.
bool EncodeBatchLine(TextView line, const CodePage& codePage, std::string& bytes);

// "正在分析: C:\ ...", bounded to kProgressBound units with the terminator.
Text ProgressText(TextView rootPath);
// "7%碎片".
Text FragmentationText(std::int32_t percent);
const char16_t* AdviceText(bool recommend);

// Replaces everything after the last backslash of `modulePath` with `name`
// ("D:\Tools\host.exe" + "defrag.txt" gives "D:\Tools\defrag.txt"). A path
// without a backslash gives `name` alone.
Text SiblingPath(TextView modulePath, TextView name);

}  // namespace tallowick
