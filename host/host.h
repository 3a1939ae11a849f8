// The command-line host: loads Tallowick.dll from its own folder, runs the
// checks named on the command line, prints readable UTF-8 text or JSON.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugin/export_list.h"
#include "tallowick.h"

namespace host {

// ---- JSON values ---------------------------------------------------------------
class Json {
public:
    enum class Kind { Null, Bool, Int, String, Array, Object };
    Json() = default;
    static Json Null() { return Json(); }
    static Json Bool(bool b) { Json j; j.kind_ = Kind::Bool; j.int_ = b; return j; }
    static Json Int(long long v) { Json j; j.kind_ = Kind::Int; j.int_ = v; return j; }
    static Json Str(const std::string& utf8) { Json j; j.kind_ = Kind::String; j.str_ = utf8; return j; }
    static Json Text(const wchar_t* text);  // UTF-16 field -> JSON string
    static Json Array() { Json j; j.kind_ = Kind::Array; return j; }
    static Json Object() { Json j; j.kind_ = Kind::Object; return j; }

    Json& push(Json v) { items_.push_back(std::move(v)); return *this; }
    Json& set(const std::string& key, Json v) { keys_.push_back(key); items_.push_back(std::move(v)); return *this; }
    std::size_t size() const { return items_.size(); }
    std::string dump(int indent = 0) const;

    // Reading back (the HTML report walks the sections' documents).
    Kind kind() const { return kind_; }
    bool isObject() const { return kind_ == Kind::Object; }
    bool isArray() const { return kind_ == Kind::Array; }
    bool isScalar() const { return kind_ != Kind::Object && kind_ != Kind::Array; }
    long long asInt() const { return int_; }
    const std::string& asString() const { return str_; }
    const std::vector<std::string>& keys() const { return keys_; }  // objects: one key per item
    const std::vector<Json>& items() const { return items_; }
    const Json* find(const std::string& key) const;  // objects: the first item of that key, or null
    std::string scalarText() const;                  // a scalar as plain text ("" for null)

private:
    void dumpTo(std::string& out, int indent, int depth) const;
    Kind kind_ = Kind::Null;
    long long int_ = 0;
    std::string str_;
    std::vector<std::string> keys_;
    std::vector<Json> items_;
};

// ---- text helpers ----------------------------------------------------------------
std::string Utf8(const wchar_t* text);
std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);
// Display width in terminal cells (East Asian wide characters count 2).
std::size_t DisplayWidth(const std::string& utf8);
// "1.5 GiB" style.
std::string HumanBytes(unsigned long long bytes);

// Replacements of single bytes, an empty entry keeping its byte. `control`
// gives those of the control characters below 0x20; `named` those of other
// bytes, and of control characters it names again.
using ByteEscapes = std::array<std::string, 256>;
ByteEscapes MakeEscapes(std::string (*control)(unsigned char c),
                        std::initializer_list<std::pair<unsigned char, const char*>> named);
// The text with the replacements made.
std::string Escaped(const std::string& text, const ByteEscapes& escapes);

// An aligned text table.
class Table {
public:
    explicit Table(std::vector<std::string> headers) : headers_(std::move(headers)) {}
    void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    std::string render(const std::string& indent = "  ") const;
    bool empty() const { return rows_.empty(); }

private:
    std::vector<std::string> headers_;
    std::vector<std::vector<std::string>> rows_;
};

// ---- the loaded library ------------------------------------------------------------
struct Api {
    HMODULE module = nullptr;
#define HOST_EXPORT(name) decltype(&::name) name = nullptr;
    TALLOWICK_FOR_EACH_EXPORT(HOST_EXPORT)
#undef HOST_EXPORT
};

// What a section hands back: the export's return code, its JSON and its text.
struct SectionOutput {
    int rc = 0;
    Json json = Json::Object();
    std::string text;
};

struct Options {
    bool json = false;
    bool yes = false;
    std::vector<std::wstring> removeShares;  // shares --remove NAME...
    std::wstring htmlPath;                   // --html FILE: also write the HTML report there
};

// The callback every check gets: shows status texts as a live line on stderr
// and answers non-zero once the user pressed Ctrl+C.
int __cdecl HostCallback(const wchar_t* status, int, int, int, int, intptr_t context, const wchar_t* message,
                         int style, int* value);
bool CancelRequested();
void ClearProgressLine();
// Shows a text as the live line on stderr (only when stderr is a console).
void ShowProgress(const std::string& utf8);

struct Section {
    const char* name;   // command-line name
    const char* title;  // heading in the text report
    int order;          // place in the report
    std::function<SectionOutput(const Api&, const Options&)> run;
};

// Sections register themselves from their own files.
std::vector<Section>& Sections();
struct SectionRegistrar {
    explicit SectionRegistrar(Section s) { Sections().push_back(std::move(s)); }
};

// One section's outcome as the report writers see it.
struct ReportEntry {
    std::string name;
    std::string title;
    int rc = 0;
    const Json* json = nullptr;
};

// The self-contained HTML report of the sections that ran (no external resources).
std::string RenderHtmlReport(const std::vector<ReportEntry>& entries, const std::string& generatedAt);

// The memory text of a process record ("10244 K") in bytes; -1 when it is no such text.
long long ParseKilobytes(const std::string& text);

}  // namespace host
