#include <cstdio>
#include <ctime>

#include "host.h"

namespace host {

std::vector<Section>& Sections() {
    static std::vector<Section> sections;
    return sections;
}

// ---- UTF-8 -----------------------------------------------------------------------
// What is not valid reads as U+FFFD: a surrogate that is not the first or the
// second half of a pair, and each byte of UTF-8 at which no complete,
// shortest-form sequence of a scalar value starts (the bytes after it are read
// anew).
namespace {

bool IsSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return;
    }
    static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    int trailing = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    out.push_back(static_cast<char>(kLead[trailing] | (cp >> (6 * trailing))));
    for (int k = trailing - 1; k >= 0; --k) out.push_back(static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F)));
}

void AppendUtf16(std::wstring& out, std::uint32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<wchar_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
}

// The length of the UTF-8 sequence that starts at s[i], its scalar value in
// cp; 0 when no valid sequence starts there.
std::size_t DecodeUtf8(const std::string& s, std::size_t i, std::uint32_t& cp) {
    unsigned char lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t length = lead < 0xC0 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 0;
    if (length == 0 || s.size() - i < length) return 0;
    cp = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    static const std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[length] || cp > 0x10FFFF || IsSurrogate(cp)) return 0;
    return length;
}

}  // namespace

std::string Utf8(const wchar_t* text) {
    std::string out;
    if (!text) return out;
    for (const wchar_t* p = text; *p; ++p) {
        std::uint32_t cp = static_cast<char16_t>(*p);
        std::uint32_t next = static_cast<char16_t>(p[1]);
        if (IsHighSurrogate(cp) && IsLowSurrogate(next)) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
            ++p;
        } else if (IsSurrogate(cp)) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8(const std::wstring& text) { return Utf8(text.c_str()); }

std::wstring Wide(const std::string& utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        std::size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            cp = 0xFFFD;
            length = 1;
        }
        AppendUtf16(out, cp);
        i += length;
    }
    return out;
}

Json Json::Text(const wchar_t* text) { return Str(Utf8(text)); }

ByteEscapes MakeEscapes(std::string (*control)(unsigned char c),
                        std::initializer_list<std::pair<unsigned char, const char*>> named) {
    ByteEscapes escapes;
    for (unsigned char c = 0; c < 0x20; ++c) escapes[c] = control(c);
    for (const auto& [c, replacement] : named) escapes[c] = replacement;
    return escapes;
}

std::string Escaped(const std::string& text, const ByteEscapes& escapes) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        const std::string& replacement = escapes[c];
        if (replacement.empty()) {
            out.push_back(static_cast<char>(c));
        } else {
            out += replacement;
        }
    }
    return out;
}

// A JSON string: quotes, backslashes and control characters escaped.
static void EscapeTo(std::string& out, const std::string& s) {
    static const ByteEscapes escapes = MakeEscapes(
        [](unsigned char c) {
            char buf[8];
            std::snprintf(buf, sizeof(buf), "\\u%04x", c);
            return std::string(buf);
        },
        {{'"', "\\\""}, {'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}});
    out.push_back('"');
    out += Escaped(s, escapes);
    out.push_back('"');
}

void Json::dumpTo(std::string& out, int indent, int depth) const {
    auto newline = [&](int d) {
        if (indent <= 0) return;
        out.push_back('\n');
        out.append(static_cast<std::size_t>(indent * d), ' ');
    };
    switch (kind_) {
        case Kind::Null: out += "null"; break;
        case Kind::Bool: out += int_ ? "true" : "false"; break;
        case Kind::Int: out += std::to_string(int_); break;
        case Kind::String: EscapeTo(out, str_); break;
        case Kind::Array:
        case Kind::Object: {
            bool obj = kind_ == Kind::Object;
            out.push_back(obj ? '{' : '[');
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (i) out.push_back(',');
                newline(depth + 1);
                if (obj) {
                    EscapeTo(out, keys_[i]);
                    out += indent > 0 ? ": " : ":";
                }
                items_[i].dumpTo(out, indent, depth + 1);
            }
            if (!items_.empty()) newline(depth);
            out.push_back(obj ? '}' : ']');
            break;
        }
    }
}

const Json* Json::find(const std::string& key) const {
    if (kind_ != Kind::Object) return nullptr;
    for (std::size_t i = 0; i < keys_.size() && i < items_.size(); ++i)
        if (keys_[i] == key) return &items_[i];
    return nullptr;
}

std::string Json::scalarText() const {
    switch (kind_) {
        case Kind::Bool: return int_ ? "true" : "false";
        case Kind::Int: return std::to_string(int_);
        case Kind::String: return str_;
        default: return std::string();
    }
}

std::string Json::dump(int indent) const {
    std::string out;
    dumpTo(out, indent, 0);
    return out;
}

static bool IsWide(std::uint32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
           (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

std::size_t DisplayWidth(const std::string& s) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0) { len = 4; cp = c & 0x07; }
        else if (c >= 0xE0) { len = 3; cp = c & 0x0F; }
        else if (c >= 0xC0) { len = 2; cp = c & 0x1F; }
        for (std::size_t k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        width += IsWide(cp) ? 2 : 1;
        i += len;
    }
    return width;
}

std::vector<std::string> SplitDevices(const std::string& text) {
    std::vector<std::string> devices;
    for (std::size_t start = 0;;) {
        const std::size_t sep = text.find("; ", start);
        devices.push_back(text.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
        if (sep == std::string::npos) return devices;
        start = sep + 2;
    }
}

std::string HumanBytes(unsigned long long bytes) {
    static const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
    double v = static_cast<double>(bytes);
    int u = 0;
    while (v >= 1024.0 && u < 5) { v /= 1024.0; ++u; }
    char buf[32];
    if (u == 0) std::snprintf(buf, sizeof(buf), "%llu B", bytes);
    else std::snprintf(buf, sizeof(buf), "%.1f %s", v, units[u]);
    return buf;
}

std::string Table::render(const std::string& indent) const {
    std::vector<std::size_t> widths(headers_.size(), 0);
    for (std::size_t c = 0; c < headers_.size(); ++c) widths[c] = DisplayWidth(headers_[c]);
    for (const auto& row : rows_)
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    auto line = [&](const std::vector<std::string>& cells) {
        std::string out = indent;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            std::string cell = c < cells.size() ? cells[c] : std::string();
            out += cell;
            if (c + 1 < widths.size()) out.append(widths[c] - DisplayWidth(cell) + 2, ' ');
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out + "\n";
    };
    std::string out = line(headers_);
    std::vector<std::string> rule;
    for (std::size_t w : widths) rule.push_back(std::string(w, '-'));
    out += line(rule);
    for (const auto& row : rows_) out += line(row);
    return out;
}

std::string LinkSpeedText(unsigned long long bitsPerSecond) {
    if (bitsPerSecond == 0) return "-";
    static const struct {
        unsigned long long unit;
        const char* name;
    } units[] = {{1000000000ull, "Gbit/s"}, {1000000ull, "Mbit/s"}, {1000ull, "kbit/s"}};
    for (const auto& u : units) {
        if (bitsPerSecond < u.unit) continue;
        unsigned long long whole = bitsPerSecond / u.unit;
        unsigned long long tenths = bitsPerSecond % u.unit / (u.unit / 10);
        return std::to_string(whole) + (tenths ? "." + std::to_string(tenths) : std::string()) + " " + u.name;
    }
    return std::to_string(bitsPerSecond) + " bit/s";
}

std::string ArchitectureText(unsigned architecture) {
    switch (architecture) {
        case 0: return "x86";
        case 9: return "x64";
        case 12: return "ARM64";
        default: return "architecture " + std::to_string(architecture);
    }
}

std::string ProductTypeText(unsigned type) {
    switch (type) {
        case 1: return "workstation";
        case 2: return "domain controller";
        case 3: return "server";
        default: return "unknown";
    }
}

std::string UtcText(unsigned long long seconds) {
    if (seconds == 0) return "-";
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (gmtime_s(&parts, &t) != 0) return std::to_string(seconds);
    char buf[32];
    std::strftime(buf, sizeof(buf), "%Y-%m-%d %H:%M:%S UTC", &parts);
    return buf;
}

// ---- numbers beside the texts ----------------------------------------------------------
namespace {

// The decimal digits at text[i...] as a number (at most 15 of them); the
// position after them in `end`. -1 when no digit is there.
long long Digits(const std::string& text, std::size_t i, std::size_t& end) {
    long long v = 0;
    std::size_t start = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (i - start >= 15) return -1;
        v = v * 10 + (text[i] - '0');
    }
    end = i;
    return i == start ? -1 : v;
}

}  // namespace

long long ParseMegabytes(const std::string& text) {
    std::size_t end = 0;
    long long v = Digits(text, 0, end);
    if (v < 0 || text.compare(end, std::string::npos, " MB") != 0 || v > (1LL << 40)) return -1;
    return v << 20;
}

long long ParseGigabytes(const std::string& text) {
    std::size_t end = 0;
    long long whole = Digits(text, 0, end);
    if (whole < 0 || whole > 8000000) return -1;
    long long thousandths = whole * 1000;
    if (end < text.size() && text[end] == '.') {
        std::size_t fracEnd = 0;
        long long frac = Digits(text, end + 1, fracEnd);
        std::size_t places = fracEnd - (end + 1);
        if (frac < 0 || places > 3) return -1;
        for (std::size_t k = places; k < 3; ++k) frac *= 10;
        thousandths += frac;
        end = fracEnd;
    }
    if (text.compare(end, 2, "GB") != 0) return -1;
    return (thousandths * (1LL << 30) + 500) / 1000;
}

long long ParsePercent(const std::string& text) {
    std::size_t end = 0;
    long long v = Digits(text, 0, end);
    return v >= 0 && end < text.size() && text[end] == '%' ? v : -1;
}

long long ParseCount(const std::string& text) {
    std::size_t end = 0;
    long long v = Digits(text, 0, end);
    return v >= 0 && end == text.size() ? v : -1;
}

Json NumberOrNull(long long value) { return value == -1 ? Json::Null() : Json::Int(value); }

Json ReachableFromVerdict(const std::string& verdict, const std::string& reachableText,
                          const std::string& unreachableText) {
    if (verdict.empty()) return Json::Null();
    if (verdict == reachableText || verdict == "NoFault") return Json::Bool(true);
    if (verdict == unreachableText || verdict == "HaveFault") return Json::Bool(false);
    return Json::Null();
}

std::wstring ModuleDirectory(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring CataloguePath(HMODULE library) { return ModuleDirectory(library) + L"common\\config\\Resource.ini"; }

// ---- times -------------------------------------------------------------------------------
std::string IsoDateTime(const SYSTEMTIME& t, int offsetMinutes) {
    char buf[48];
    int n = std::snprintf(buf, sizeof(buf), "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                          t.wMinute, t.wSecond);
    if (offsetMinutes == 0) {
        std::snprintf(buf + n, sizeof(buf) - n, "Z");
    } else {
        int a = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
        std::snprintf(buf + n, sizeof(buf) - n, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', a / 60, a % 60);
    }
    return buf;
}

std::string UtcNowIso() {
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    return IsoDateTime(utc, 0);
}

std::string LocalNowIso() {
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return IsoDateTime(utc, 0);
    FILETIME fu, fl;
    SystemTimeToFileTime(&utc, &fu);
    SystemTimeToFileTime(&local, &fl);
    auto ticks = [](const FILETIME& f) {
        return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
    };
    // 100 ns ticks to minutes, to the nearest minute.
    long long diff = ticks(fl) - ticks(fu);
    long long minutes = (diff + (diff < 0 ? -300000000LL : 300000000LL)) / 600000000LL;
    return IsoDateTime(local, static_cast<int>(minutes));
}

std::string AppPlaceText(unsigned scope, unsigned view) {
    if (scope == TALLOWICK_APP_SCOPE_USER) return "user";
    if (scope != TALLOWICK_APP_SCOPE_MACHINE) return "scope " + std::to_string(scope);
    return view ? "machine, " + std::to_string(view) + "-bit" : "machine";
}

std::string InstallDateText(unsigned yyyymmdd, const std::string& stored) {
    if (yyyymmdd != 0) {
        char text[16];
        std::snprintf(text, sizeof(text), "%04u-%02u-%02u", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
        return text;
    }
    return stored.empty() ? "-" : stored;
}

}  // namespace host
