// The records of the checks as the sections show them: JSON fields, labelled
// lines and tables.
#include <algorithm>

#include "host.h"

namespace host {

Field TextField(const char* key, const char* label, const wchar_t* text) {
    return {key, label, Json::Text(text), Utf8(text)};
}

Field QuotedField(const char* key, const char* label, const wchar_t* text) {
    return {key, label, Json::Text(text), "\"" + Utf8(text) + "\""};
}

Field DashField(const char* key, const char* label, const wchar_t* text) {
    std::string shown = Utf8(text);
    return {key, label, Json::Text(text), shown.empty() ? "-" : shown};
}

Field NumberField(const char* key, const char* label, long long value) {
    return {key, label, Json::Int(value), std::to_string(value)};
}

Field BytesField(const char* key, const char* label, unsigned long long bytes) {
    return {key, label, Json::Int(static_cast<long long>(bytes)), HumanBytes(bytes)};
}

Field JsonField(const char* key, Json value) { return {key, nullptr, std::move(value), std::string()}; }

void SetFields(Json& object, const Record& record) {
    for (const Field& f : record) object.set(f.key, f.value);
}

void ShowRecord(SectionOutput& out, const Record& record) {
    SetFields(out.json, record);
    std::size_t width = 0;
    for (const Field& f : record)
        if (f.label) width = std::max(width, std::string(f.label).size() + 1);
    for (const Field& f : record) {
        if (!f.label) continue;
        std::string label = std::string(f.label) + ":";
        out.text += "  " + label + std::string(width - label.size() + 2, ' ') + f.text + "\n";
    }
}

void Records::add(const Record& record) {
    Json object = Json::Object();
    SetFields(object, record);
    json_.push(std::move(object));
    std::vector<std::string> heads, row;
    for (const Field& f : record) {
        if (!f.label) continue;
        heads.push_back(f.label);
        row.push_back(f.text);
    }
    if (rows_.empty()) heads_ = std::move(heads);
    rows_.push_back(std::move(row));
}

std::string Records::text(const std::string& none, const std::string& indent) const {
    if (rows_.empty()) return indent + none + "\n";
    Table table(heads_);
    for (const auto& row : rows_) table.add(row);
    return table.render(indent);
}

}  // namespace host
