#include <cstdio>

#include "host.h"
#include "core/text.h"

namespace host {

std::vector<Section>& Sections() {
    static std::vector<Section> sections;
    return sections;
}

std::string Utf8(const wchar_t* text) {
    if (!text) return std::string();
    std::u16string t;
    for (const wchar_t* p = text; *p; ++p) t.push_back(static_cast<char16_t>(*p));
    return tallowick::ToUtf8(t);
}

std::string Utf8(const std::wstring& text) { return Utf8(text.c_str()); }

std::wstring Wide(const std::string& utf8) {
    std::u16string t = tallowick::FromUtf8(utf8);
    return std::wstring(t.begin(), t.end());
}

Json Json::Text(const wchar_t* text) { return Str(Utf8(text)); }

static void EscapeTo(std::string& out, const std::string& s) {
    out.push_back('"');
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof(buf), "\\u%04x", c);
                    out += buf;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
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

}  // namespace host
