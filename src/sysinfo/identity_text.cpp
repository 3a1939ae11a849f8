#include "sysinfo/identity_text.h"

namespace tallowick {

Text TrimLeadingBlanks(TextView text) {
    std::size_t first = text.find_first_not_of(u' ');
    return first == TextView::npos ? Text() : Text(text.substr(first));
}

Text FormatMegabytes(std::uint64_t totalBytes) {
    return FormatInt(static_cast<std::int64_t>(totalBytes >> 20)) + u" MB";
}

}  // namespace tallowick
