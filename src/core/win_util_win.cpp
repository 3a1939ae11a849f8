#include "core/win_util.h"

#include <vector>

namespace tallowick {

bool RunsUnderWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64 = Kernel32Function<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

Text FromAnsi(const char* text, std::size_t limit) {
    std::size_t n = BoundedLength(text, limit);
    if (n == 0) return Text();
    int len = static_cast<int>(n);
    int need = MultiByteToWideChar(CP_ACP, 0, text, len, nullptr, 0);
    if (need <= 0) return Text();
    Text out(static_cast<std::size_t>(need), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, len, W(&out[0]), need);
    return out;
}

std::string ToAnsi(TextView text) {
    if (text.empty()) return std::string();
    int len = static_cast<int>(text.size());
    int need = WideCharToMultiByte(CP_ACP, 0, W(text.data()), len, nullptr, 0, nullptr, nullptr);
    if (need <= 0) return std::string();
    std::string out(static_cast<std::size_t>(need), '\0');
    WideCharToMultiByte(CP_ACP, 0, W(text.data()), len, &out[0], need, nullptr, nullptr);
    return out;
}

}  // namespace tallowick
