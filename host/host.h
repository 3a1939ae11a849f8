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

#include "tallowick.h"
#include "tallowick_loader.h"

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
// The devices of a hardware field: its text split at "; " (one part, maybe
// empty, when there is no separator).
std::vector<std::string> SplitDevices(const std::string& text);

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
// The loader's table: the module and one PFN_ member per export.
using Api = TallowickApi;

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

// ---- the records of a check ---------------------------------------------------------
// One field of a record as the host shows it: its JSON key and value, and its
// text under its label in the text report (a field without a label is only in
// the JSON).
struct Field {
    const char* key;
    const char* label;
    Json value;
    std::string text;
};
using Record = std::vector<Field>;

Field TextField(const char* key, const char* label, const wchar_t* text);
Field QuotedField(const char* key, const char* label, const wchar_t* text);  // shown in quotes
Field DashField(const char* key, const char* label, const wchar_t* text);    // shown as "-" when empty
Field NumberField(const char* key, const char* label, long long value);
Field BytesField(const char* key, const char* label, unsigned long long bytes);  // shown as "1.5 GiB"
Field JsonField(const char* key, Json value);                                     // not in the text report

// Sets every field of the record in a JSON object, in order.
void SetFields(Json& object, const Record& record);
// A section's single record: its fields in the section's JSON, the labelled
// ones as "  Label:  value" lines, the values lined up.
void ShowRecord(SectionOutput& out, const Record& record);

// The records of a list: all their fields as a JSON array, and the labelled
// ones as a table with the labels as heads.
class Records {
public:
    void add(const Record& record);
    bool empty() const { return json_.size() == 0; }
    const Json& json() const { return json_; }
    // The table, or the `none` line when there is no record.
    std::string text(const std::string& none, const std::string& indent = "  ") const;

private:
    Json json_ = Json::Array();
    std::vector<std::string> heads_;
    std::vector<std::vector<std::string>> rows_;
};

// The records of a linked list, `describe` giving the record of a node.
template <typename Node, typename Describe>
Records ListRecords(const Node* list, Describe describe) {
    Records records;
    for (const Node* node = list; node; node = node->pNext) records.add(describe(*node));
    return records;
}

// Runs a check with HostCallback: its return code and "count" go into the
// output, `show` adds what it makes of the result, then the result goes back
// to the library.
template <typename Result, typename Held, typename Show>
SectionOutput RunCheck(int(TALLOWICK_CALL* check)(Result**, CheckCallback, int*, intptr_t),
                       int(TALLOWICK_CALL* release)(Held*), Show show) {
    SectionOutput out;
    Result* result = nullptr;
    int count = 0;
    out.rc = check(&result, HostCallback, &count, 0);
    // The result goes back even when showing it throws.
    struct Releaser {
        int(TALLOWICK_CALL* release)(Held*);
        Result* result;
        ~Releaser() { release(result); }
    } releaser{release, result};
    out.json.set("count", Json::Int(count));
    show(out, result, count);
    return out;
}

// The same for a check of a single record; without a record the section
// reads "(no result)".
template <typename Result, typename Held, typename Show>
SectionOutput RunRecordCheck(int(TALLOWICK_CALL* check)(Result**, CheckCallback, int*, intptr_t),
                             int(TALLOWICK_CALL* release)(Held*), Show show) {
    return RunCheck(check, release, [&](SectionOutput& out, const Result* record, int count) {
        if (record) {
            show(out, *record, count);
        } else {
            out.text += "  (no result)\n";
        }
    });
}

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

// The texts of the Windows version section: a PROCESSOR_ARCHITECTURE_* number
// ("x64"), a product type ("workstation"), seconds since 1970 ("2024-01-01
// 00:00:00 UTC", "-" for 0).
std::string ArchitectureText(unsigned architecture);
std::string ProductTypeText(unsigned type);
std::string UtcText(unsigned long long seconds);

// The system as Windows names it: "Windows 10 Pro 22H2, build 19045.5247, x64".
std::string OsSummary(const OsVersionResult& r);

// The texts of the extended installed-programs section: where an entry came
// from ("machine, 64-bit", "user"), and its install date ("2024-01-31" from
// the number, else the stored text, else "-").
std::string AppPlaceText(unsigned scope, unsigned view);
std::string InstallDateText(unsigned yyyymmdd, const std::string& stored);

// A link speed in bits per second as "1 Gbit/s", "100 Mbit/s", "54.5 Mbit/s",
// "-" for 0 (unknown).
std::string LinkSpeedText(unsigned long long bitsPerSecond);

// The report's first line: the system as Windows names it, "Windows 10 Pro
// 22H2, build 19045.5247, x64", with the library's legacy name beside it.
std::string SystemLine(const Api& api);

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

// ---- numbers beside the texts of the JSON report --------------------------------------
// Each gives -1 when the text is not of its form.
// "24105 MB" (whole mebibytes) in bytes.
long long ParseMegabytes(const std::string& text);
// The size at the start of one disk drive text, "76.604GB IDE" (GB being 2^30
// bytes, three decimals at most), in bytes, rounded to the nearest byte.
long long ParseGigabytes(const std::string& text);
// The percentage at the start of a text, "12%碎片" -> 12.
long long ParsePercent(const std::string& text);
// A text that is a plain decimal count and nothing else, "3" -> 3.
long long ParseCount(const std::string& text);
// The number, or null when it is -1.
Json NumberOrNull(long long value);
// Whether a connectivity verdict says the Internet was reached: true for the
// catalogue's text of the reachable verdict (or its message id, shown when
// the catalogue is missing), false for those of the unreachable one, null for
// any other text.
Json ReachableFromVerdict(const std::string& verdict, const std::string& reachableText,
                          const std::string& unreachableText);
// The catalogue text of a message id, as the library beside the host reads it
// (the id itself when the catalogue or the id is missing).
std::string CatalogueText(const Api& api, const wchar_t* id);
// The folder of a module (the host's own for nullptr), with its final backslash.
std::wstring ModuleDirectory(HMODULE module);
// The library's message catalogue, which lies beside it.
std::wstring CataloguePath(HMODULE library);

// ---- times ----------------------------------------------------------------------------
// ISO 8601 with seconds and the zone: "2026-12-08T23:15:03+01:00" for a local
// time `offsetMinutes` east of UTC, "2026-12-08T22:15:03Z" for offset 0.
std::string IsoDateTime(const SYSTEMTIME& time, int offsetMinutes);
// Now in UTC ("...Z"), and now in local time with the zone's offset.
std::string UtcNowIso();
std::string LocalNowIso();

// ---- the JSON report's envelope ----------------------------------------------------------
// The report format: 2 since the envelope (the documents before it, without
// a "format" member, are format 1).
constexpr int kReportFormat = 2;
// The envelope: when, by which tool and library, on which machine and
// Windows the report was made (docs/report.schema.json, "envelope").
Json ReportEnvelope(const Api& api, const std::string& generatedUtc);

// ---- exit codes ---------------------------------------------------------------------------
enum ExitCode : int {
    kExitOk = 0,             // every check that ran returned 0
    kExitCheckFailed = 1,    // a check returned non-zero (or could not be shown)
    kExitUsage = 2,          // a usage error
    // 3 is left out: it is what abort() gives on Windows (std::terminate, a
    // crash of the runtime inside the library), which must not read as any of these.
    kExitNoLibrary = 4,      // Tallowick.dll missing, not loadable, or without an export
    kExitReportWrite = 5,    // the --html report could not be written
    kExitInterrupted = 130,  // Ctrl+C
};

}  // namespace host
