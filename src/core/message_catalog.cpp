#include "core/message_catalog.h"

namespace tallowick {

Text BuildCatalogPath(TextView modulePath) {
    std::size_t slash = modulePath.rfind(u'\\');
    if (slash == TextView::npos) return Text();
    Text path(modulePath.substr(0, slash + 1));
    path += kCatalogRelativePath;
    if (path.size() + 1 > kCatalogPathUnits) return Text();
    return path;
}

}  // namespace tallowick
