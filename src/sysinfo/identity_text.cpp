#include "sysinfo/identity_text.h"

namespace tallowick {

Text TrimLeadingBlanks(TextView text) {
    std::size_t first = text.find_first_not_of(u' ');
    return first == TextView::npos ? Text() : Text(text.substr(first));
}

}  // namespace tallowick
