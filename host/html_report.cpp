// The HTML report: one self-contained page (inline style, inline script, no
// external resources) built from the sections' JSON documents. Each section
// is laid out like its text report - the same labels, in the same order, the
// same units - with a few views the page adds: the connectivity verdict at the
// top, drive usage bars, the largest processes by memory, and a processes
// table the reader can sort by any column (written sorted by memory, largest
// first, so it reads the same with scripts off).
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "host.h"

namespace host {
namespace {

// Markup characters as entities. Control characters other than tabs and line
// ends have no place in an HTML document: they read as U+FFFD.
std::string Esc(const std::string& s) {
    static const ByteEscapes escapes =
        MakeEscapes([](unsigned char) { return std::string("\xEF\xBF\xBD"); },
                    {{0x7F, "\xEF\xBF\xBD"}, {'\t', ""}, {'\n', ""}, {'\r', ""}, {'&', "&amp;"}, {'<', "&lt;"},
                     {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}});
    return Escaped(s, escapes);
}

std::string Text(const Json& record, const std::string& key) {
    const Json* v = record.find(key);
    return v ? v->scalarText() : std::string();
}

unsigned long long Uint(const Json& record, const std::string& key) {
    const Json* v = record.find(key);
    return v && v->kind() == Json::Kind::Int && v->asInt() > 0 ? static_cast<unsigned long long>(v->asInt()) : 0;
}

std::string Percent(double p) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%.1f", std::max(0.0, std::min(100.0, p)));
    return buf;
}

// The hardware memory text ("24105 MB", whole mebibytes) in bytes; -1 when it is no such text.
long long ParseMegabytes(const std::string& text) {
    std::size_t digits = text.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string::npos || digits > 12 || text.compare(digits, std::string::npos, " MB") != 0)
        return -1;
    return std::stoll(text.substr(0, digits)) << 20;
}

// ---- cells ----------------------------------------------------------------------
// How a field's value is shown.
enum class Show {
    Text,
    Quoted,     // in quotes, as the text report shows texts whose blanks matter
    Number,     // right-aligned, sorts as a number
    Bytes,      // a byte count as "1.5 GiB"
    Kilobytes,  // a process's working set "10244 K" as "10.0 MiB"
    Megabytes,  // the installed memory "24105 MB" as "23.5 GiB (24105 MB)"
    Dash,       // "-" when empty
    Devices,    // "a; b; c", one device a line
    Removal,    // a share removal's result code in words
};

struct Column {
    const char* key;
    const char* label;
    Show show = Show::Text;
};
using Columns = std::vector<Column>;

bool IsNumeric(Show show) { return show == Show::Number || show == Show::Bytes || show == Show::Kilobytes; }

// What a numeric column sorts by (-1 for a text that is no figure).
long long SortValue(const Json* v, Show show) {
    if (!v) return -1;
    if (show == Show::Kilobytes) return ParseKilobytes(v->scalarText());
    return v->kind() == Json::Kind::Int ? v->asInt() : -1;
}

std::string RemovalText(long long code) {
    if (code == 0) return "removed";
    std::string text = "failed, error " + std::to_string(code);
    if (code == ERROR_ACCESS_DENIED) text += " (access denied)";
    return text;
}

std::string CellHtml(const Json* v, Show show) {
    if (!v || v->kind() == Json::Kind::Null) return std::string();
    std::string text = v->scalarText();
    switch (show) {
        case Show::Quoted: return "&quot;" + Esc(text) + "&quot;";
        case Show::Bytes:
            return v->kind() == Json::Kind::Int && v->asInt() >= 0
                       ? Esc(HumanBytes(static_cast<unsigned long long>(v->asInt())))
                       : Esc(text);
        case Show::Kilobytes: {
            long long bytes = ParseKilobytes(text);
            return bytes < 0 ? Esc(text) : Esc(HumanBytes(static_cast<unsigned long long>(bytes)));
        }
        case Show::Megabytes: {
            long long bytes = ParseMegabytes(text);
            return bytes < 0 ? Esc(text)
                             : Esc(HumanBytes(static_cast<unsigned long long>(bytes))) + " <span class=\"aside\">(" +
                                   Esc(text) + ")</span>";
        }
        case Show::Dash: return text.empty() ? "-" : Esc(text);
        case Show::Devices: {
            std::string out;
            bool first = true;
            for (const std::string& device : SplitDevices(text)) {
                if (!first) out += "<br>";
                out += Esc(device);
                first = false;
            }
            return out;
        }
        case Show::Removal: return v->kind() == Json::Kind::Int ? Esc(RemovalText(v->asInt())) : Esc(text);
        default: return Esc(text);
    }
}

// ---- building blocks ------------------------------------------------------------
void Note(std::string& out, const std::string& text, const char* cls = "note") {
    out += "<p class=\"" + std::string(cls) + "\">" + Esc(text) + "</p>";
}

// Labelled values, one a row, in the given order; fields the document lacks are
// left out. With heads the rows get the column heads of the text report's table.
void Fields(std::string& out, const Json& doc, const Columns& fields, const char* keyHead = nullptr,
            const char* valueHead = nullptr) {
    std::string rows;
    for (const Column& f : fields) {
        const Json* v = doc.find(f.key);
        if (!v) continue;
        rows += "<tr><th scope=\"row\">" + Esc(f.label) + "</th><td" + (IsNumeric(f.show) ? " class=\"num\"" : "") +
                ">" + CellHtml(v, f.show) + "</td></tr>";
    }
    if (rows.empty()) return;
    if (keyHead) {
        out += "<table class=\"list\"><thead><tr><th scope=\"col\">" + Esc(keyHead) + "</th><th scope=\"col\">" +
               Esc(valueHead) + "</th></tr></thead><tbody>" + rows + "</tbody></table>";
    } else {
        out += "<table class=\"fields\"><tbody>" + rows + "</tbody></table>";
    }
}

// A list of records as a table with the given columns. With sortBy the rows
// come largest first by that numeric column and the reader can sort the table.
void RecordTable(std::string& out, const Json& list, const Columns& columns, const char* sortBy = nullptr) {
    std::vector<const Json*> rows;
    for (const Json& item : list.items())
        if (item.isObject()) rows.push_back(&item);
    const Column* key = nullptr;
    for (const Column& c : columns)
        if (sortBy && std::string(c.key) == sortBy) key = &c;
    if (key)
        std::stable_sort(rows.begin(), rows.end(), [key](const Json* a, const Json* b) {
            return SortValue(a->find(key->key), key->show) > SortValue(b->find(key->key), key->show);
        });

    out += key ? "<div class=\"scroll\"><table class=\"list sortable\"><thead><tr>"
               : "<div class=\"scroll\"><table class=\"list\"><thead><tr>";
    for (const Column& c : columns) {
        out += "<th scope=\"col\"";
        if (IsNumeric(c.show)) out += " class=\"num\"";
        if (key) out += std::string(" data-type=\"") + (IsNumeric(c.show) ? "num" : "text") + "\"";
        if (&c == key) out += " aria-sort=\"descending\"";
        out += ">" + Esc(c.label) + "</th>";
    }
    out += "</tr></thead><tbody>";
    for (const Json* row : rows) {
        out += "<tr>";
        for (const Column& c : columns) {
            const Json* v = row->find(c.key);
            out += "<td";
            if (IsNumeric(c.show)) {
                out += " class=\"num\"";
                if (key) out += " data-value=\"" + std::to_string(SortValue(v, c.show)) + "\"";
                if (c.show == Show::Kilobytes && v) out += " title=\"" + Esc(v->scalarText()) + "\"";
            }
            out += ">" + CellHtml(v, c.show) + "</td>";
        }
        out += "</tr>";
    }
    out += "</tbody></table></div>";
}

// A list of the document under a heading, or the text for an empty list.
void List(std::string& out, const Json& doc, const char* key, const char* heading, const Columns& columns,
          const std::string& none, const char* sortBy = nullptr) {
    if (heading) out += "<h3 class=\"part\">" + Esc(heading) + "</h3>";
    const Json* list = doc.find(key);
    if (!list || !list->isArray() || list->size() == 0) return Note(out, none, "empty");
    RecordTable(out, *list, columns, sortBy);
}

void DriveBars(std::string& out, const Json& drives) {
    out += "<div class=\"view drives\"><h3>Drive usage</h3>";
    for (const Json& d : drives.items()) {
        unsigned long long total = Uint(d, "ullTotalBytes"), free = Uint(d, "ullFreeBytes");
        if (free > total) free = total;
        double used = total ? 100.0 * static_cast<double>(total - free) / static_cast<double>(total) : 0.0;
        std::string label = Text(d, "szVolumeLabel");
        out += "<div class=\"bar-row\"><span class=\"bar-label\">" + Esc(Text(d, "szRootPath"));
        if (!label.empty()) out += " " + Esc(label);
        out += "</span><span class=\"bar\" role=\"meter\" aria-valuemin=\"0\" aria-valuemax=\"100\" aria-valuenow=\"" +
               Percent(used) + "\"><span class=\"fill" + std::string(used >= 90.0 ? " high" : "") +
               "\" style=\"width:" + Percent(used) + "%\"></span></span><span class=\"bar-text\">" + Percent(used) +
               "% used, " + Esc(HumanBytes(free)) + " free of " + Esc(HumanBytes(total)) + "</span></div>";
    }
    out += "</div>";
}

void ProcessChart(std::string& out, const Json& processes) {
    std::vector<std::pair<long long, std::string>> procs;
    for (const Json& p : processes.items()) {
        long long bytes = ParseKilobytes(Text(p, "szMemory"));
        if (bytes >= 0) procs.emplace_back(bytes, Text(p, "szName"));
    }
    if (procs.empty()) return;
    std::stable_sort(procs.begin(), procs.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (procs.size() > 10) procs.resize(10);
    long long top = std::max(1LL, procs.front().first);
    out += "<div class=\"view processes\"><h3>Largest processes by memory</h3>";
    for (const auto& p : procs) {
        double share = 100.0 * static_cast<double>(p.first) / static_cast<double>(top);
        out += "<div class=\"bar-row\"><span class=\"bar-label\">" + Esc(p.second) +
               "</span><span class=\"bar\"><span class=\"fill mem\" style=\"width:" + Percent(share) +
               "%\"></span></span><span class=\"bar-text\">" +
               Esc(HumanBytes(static_cast<unsigned long long>(p.first))) + "</span></div>";
    }
    out += "</div>";
}

// ---- the sections, laid out as their text reports --------------------------------
void SysInfoView(std::string& out, const ReportEntry&, const Json& doc) {
    if (!doc.find("szOsName")) return Note(out, "(no result)", "empty");
    Fields(out, doc, {{"szOsName", "Operating system", Show::Quoted}, {"szIeVersion", "Internet Explorer"}});
    List(out, doc, "pPagingFiles", "Paging files",
         {{"szDrive", "Drive"},
          {"llInitialSize", "Initial (MB)", Show::Number},
          {"llMaximumSize", "Maximum (MB)", Show::Number}},
         "(none)");
    List(out, doc, "pEnvironment", "System environment", {{"szName", "Name"}, {"pszValue", "Value"}}, "(none)");
    Fields(out, doc, {{"count", "Count", Show::Number}});
}

// The Windows version: one table of fields, the numbers shown as the text
// report shows them.
void OsVersionView(std::string& out, const ReportEntry&, const Json& doc) {
    if (!doc.find("szProductName")) return Note(out, "(no result)", "empty");
    auto number = [&](const char* key) { return Uint(doc, key); };
    auto copy = [&](const char* key) { const Json* v = doc.find(key); return v ? *v : Json::Str(""); };
    Json shown = Json::Object();
    shown.set("summary", copy("summary"));
    shown.set("szProductName", copy("szProductName"));
    shown.set("szDisplayVersion", copy("szDisplayVersion"));
    shown.set("szEditionId", copy("szEditionId"));
    shown.set("szInstallationType", copy("szInstallationType"));
    shown.set("version", Json::Str(std::to_string(number("nMajorVersion")) + "." +
                                   std::to_string(number("nMinorVersion"))));
    shown.set("nBuildNumber", copy("nBuildNumber"));
    shown.set("nRevision", copy("nRevision"));
    shown.set("type", Json::Str(std::to_string(number("nProductType")) + " (" +
                                ProductTypeText(static_cast<unsigned>(number("nProductType"))) + ")"));
    shown.set("native", Json::Str(ArchitectureText(static_cast<unsigned>(number("nNativeArchitecture")))));
    shown.set("process", Json::Str(ArchitectureText(static_cast<unsigned>(number("nProcessArchitecture")))));
    shown.set("wow64", Json::Str(number("nWow64") ? "yes" : "no"));
    shown.set("installed", Json::Str(UtcText(number("ullInstallTime"))));
    shown.set("started", Json::Str(UtcText(number("ullBootTime"))));
    Fields(out, shown,
           {{"summary", "System"},
            {"szProductName", "Product"},
            {"szDisplayVersion", "Display version", Show::Dash},
            {"szEditionId", "Edition", Show::Dash},
            {"szInstallationType", "Installation type", Show::Dash},
            {"version", "Version"},
            {"nBuildNumber", "Build", Show::Number},
            {"nRevision", "Revision", Show::Number},
            {"type", "Product type"},
            {"native", "Machine"},
            {"process", "Host process"},
            {"wow64", "WOW64"},
            {"installed", "Installed"},
            {"started", "Started"}});
}

void NetInfoView(std::string& out, const ReportEntry&, const Json& doc) {
    if (!doc.find("szComputerName")) return Note(out, "(no result)", "empty");
    Fields(out, doc,
           {{"szComputerName", "Computer name"},
            {"szComment", "Comment", Show::Quoted},
            {"szWorkgroup", "Workgroup"},
            {"szIpAddress", "IPv4 address"}});
}

void HardwareView(std::string& out, const ReportEntry&, const Json& doc) {
    if (!doc.find("szProcessor")) return Note(out, "(no result)", "empty");
    Fields(out, doc,
           {{"szProcessor", "Processor"},
            {"szMemory", "Memory", Show::Megabytes},
            {"szDiskDrive", "Disk drives", Show::Devices},
            {"szMonitor", "Monitors", Show::Devices},
            {"szVideoController", "Video controllers", Show::Devices},
            {"szSoundDevice", "Sound devices", Show::Devices},
            {"szNetworkAdapter", "Network adapters", Show::Devices},
            {"szCdromDrive", "CD-ROM drives", Show::Devices},
            {"szPointingDevice", "Pointing devices", Show::Devices}},
           "Field", "Value");
    if (Uint(doc, "count") == 0) Note(out, "(cancelled before any field was read)");
}

void HddView(std::string& out, const ReportEntry&, const Json& doc) {
    const Json* drives = doc.find("drives");
    if (drives && drives->isArray() && drives->size() > 0) DriveBars(out, *drives);
    List(out, doc, "drives", nullptr,
         {{"szRootPath", "Drive"},
          {"szVolumeLabel", "Label"},
          {"ullTotalBytes", "Total", Show::Bytes},
          {"ullFreeBytes", "Free", Show::Bytes},
          {"szFragmentation", "Fragmentation", Show::Dash},
          {"szAdvice", "Advice", Show::Dash}},
         "(no fixed drive listed)");
}

void ProcessView(std::string& out, const ReportEntry&, const Json& doc) {
    const Json* items = doc.find("items");
    bool any = items && items->isArray() && items->size() > 0;
    if (any) ProcessChart(out, *items);
    List(out, doc, "items", nullptr,
         {{"szName", "Name"},
          {"szOwner", "Owner"},
          {"nCpuPercent", "CPU %", Show::Number},
          {"szMemory", "Memory", Show::Kilobytes}},
         "(no processes)", "szMemory");
    if (any) Note(out, Text(doc, "count") + " processes");
}

void NetConfigView(std::string& out, const ReportEntry& e, const Json& doc) {
    if (e.rc != 0) return Note(out, "(the adapter query failed: no adapter reported)", "empty");
    List(out, doc, "adapters", nullptr,
         {{"szDescription", "Description"},
          {"szType", "Type"},
          {"szIpAddress", "IP address"},
          {"szSubnetMask", "Subnet mask"}},
         "(no adapter listed)");
}

// The extended adapters: a table of fields an adapter under its name, the
// address lists one address a line.
std::string AddressLines(const Json& adapter, const char* key, bool withPrefix) {
    const Json* list = adapter.find(key);
    std::string text;
    if (list && list->isArray())
        for (const Json& a : list->items()) {
            if (!text.empty()) text += "; ";
            text += Text(a, "szAddress");
            if (withPrefix) text += "/" + std::to_string(Uint(a, "nPrefixLength"));
        }
    return text.empty() ? "-" : text;
}

void AdaptersView(std::string& out, const ReportEntry& e, const Json& doc) {
    if (e.rc != 0) return Note(out, "(the adapter query failed)", "empty");
    const Json* list = doc.find("adapters");
    if (!list || !list->isArray() || list->size() == 0) return Note(out, "(no adapter listed)", "empty");
    for (const Json& a : list->items()) {
        out += "<h3 class=\"part\">" + Esc(Text(a, "szFriendlyName")) + "</h3>";
        Json shown = Json::Object();
        shown.set("description", Json::Str(Text(a, "szDescription")));
        shown.set("adapter", Json::Str(Text(a, "szAdapterName")));
        shown.set("type", Json::Str(Text(a, "szType") + " (" + Text(a, "nIfType") + ")"));
        shown.set("status", Json::Str(Text(a, "szOperStatus") + " (" + Text(a, "nOperStatus") + ")"));
        shown.set("hardware", Json::Str(Text(a, "szPhysicalAddress")));
        shown.set("mtu", Json::Int(static_cast<long long>(Uint(a, "nMtu"))));
        shown.set("speed", Json::Str(LinkSpeedText(Uint(a, "ullTransmitSpeed")) + " / " +
                                     LinkSpeedText(Uint(a, "ullReceiveSpeed"))));
        shown.set("dhcp", Json::Str(Uint(a, "nDhcpEnabled") ? "enabled" : "disabled"));
        shown.set("suffix", Json::Str(Text(a, "szDnsSuffix")));
        shown.set("unicast", Json::Str(AddressLines(a, "pUnicastAddresses", true)));
        shown.set("gateways", Json::Str(AddressLines(a, "pGateways", false)));
        shown.set("dns", Json::Str(AddressLines(a, "pDnsServers", false)));
        Fields(out, shown,
               {{"description", "Description"},
                {"adapter", "Adapter"},
                {"type", "Type"},
                {"status", "Status"},
                {"hardware", "Hardware address", Show::Dash},
                {"mtu", "MTU", Show::Number},
                {"speed", "Speed (send / receive)"},
                {"dhcp", "DHCP"},
                {"suffix", "DNS suffix", Show::Dash},
                {"unicast", "Addresses", Show::Devices},
                {"gateways", "Gateways", Show::Devices},
                {"dns", "DNS servers", Show::Devices}});
    }
}

void NetworkView(std::string& out, const ReportEntry&, const Json& doc) {
    if (!doc.find("szVerdict")) return Note(out, "(no result)", "empty");
    Fields(out, doc, {{"szVerdict", "Verdict"}, {"szNetworkState", "Network state"}});
}

void SharesView(std::string& out, const ReportEntry&, const Json& doc) {
    const Json* shares = doc.find("shares");
    const Json* notShared = doc.find("notShared");
    const Json* repaired = doc.find("repaired");
    bool listed = shares && shares->isArray() && shares->size() > 0;
    // With --remove: what was asked for and what came of it, before the list.
    if (notShared)
        for (const Json& name : notShared->items()) Note(out, name.scalarText() + ": not shared, nothing to remove");
    if (repaired && repaired->kind() == Json::Kind::Bool && !repaired->asInt() && listed &&
        std::any_of(shares->items().begin(), shares->items().end(),
                    [](const Json& s) { return Uint(s, "nSelected") != 0; }))
        Note(out, "(not confirmed: nothing removed)");
    if (doc.find("removals"))
        List(out, doc, "removals", nullptr, {{"szShareName", "Share"}, {"nRemoveResult", "Removal", Show::Removal}},
             "");
    if (repaired && listed) Note(out, "Shares as listed before the removal:");
    List(out, doc, "shares", nullptr,
         {{"szShareName", "Share"},
          {"szPath", "Path"},
          {"szType", "Kind"},
          {"szConnections", "Connections"},
          {"szRemark", "Remark"}},
         "(no shared folder listed)");
}

void AppsView(std::string& out, const ReportEntry&, const Json& doc) {
    List(out, doc, "programs", nullptr, {{"szDisplayName", "Program"}, {"szPublisher", "Publisher"}},
         "(no installed program listed)");
}

// The extended list: where each entry came from and its date in words, its
// size in bytes, and how to remove it.
void AppsExView(std::string& out, const ReportEntry&, const Json& doc) {
    const Json* programs = doc.find("programs");
    Json rows = Json::Array();
    if (programs && programs->isArray()) {
        for (const Json& p : programs->items()) {
            if (!p.isObject()) continue;
            const unsigned long long kib = Uint(p, "nEstimatedSizeKiB");
            Json row = Json::Object();
            row.set("name", Json::Str(Text(p, "szDisplayName")));
            row.set("publisher", Json::Str(Text(p, "szPublisher")));
            row.set("version", Json::Str(Text(p, "szDisplayVersion")));
            row.set("installed", Json::Str(InstallDateText(static_cast<unsigned>(Uint(p, "nInstallDate")),
                                                           Text(p, "szInstallDate"))));
            row.set("size", kib ? Json::Int(static_cast<long long>(kib * 1024)) : Json::Null());
            row.set("place", Json::Str(AppPlaceText(static_cast<unsigned>(Uint(p, "nScope")),
                                                    static_cast<unsigned>(Uint(p, "nView")))));
            row.set("key", Json::Str(Text(p, "szKeyName")));
            row.set("location", Json::Str(Text(p, "szInstallLocation")));
            row.set("uninstall", Json::Str(Text(p, "szUninstallString")));
            rows.push(std::move(row));
        }
    }
    Json view = Json::Object();
    view.set("rows", std::move(rows));
    List(out, view, "rows", nullptr,
         {{"name", "Program"},
          {"publisher", "Publisher", Show::Dash},
          {"version", "Version", Show::Dash},
          {"installed", "Installed"},
          {"size", "Size", Show::Bytes},
          {"place", "Place"},
          {"key", "Registry key"},
          {"location", "Location", Show::Dash},
          {"uninstall", "Uninstall command", Show::Dash}},
         "(no installed program listed)");
}

const struct {
    const char* name;
    void (*render)(std::string&, const ReportEntry&, const Json&);
} kViews[] = {
    {"os", OsVersionView},    {"sysinfo", SysInfoView},     {"netinfo", NetInfoView},     {"hardware", HardwareView},
    {"hdd", HddView},         {"process", ProcessView},     {"netconfig", NetConfigView},
    {"adapters", AdaptersView},
    {"network", NetworkView}, {"shares", SharesView},       {"apps", AppsView},
    {"appsex", AppsExView},
};

const char* kStyle = R"CSS(
body{font-family:system-ui,-apple-system,"Segoe UI",sans-serif;margin:0;background:#f4f5f7;color:#1d2330}
header{background:#243447;color:#fff;padding:16px 24px}
header h1{margin:0;font-size:22px}
header p{margin:4px 0 0;opacity:.8;font-size:13px}
main{padding:16px 24px;max-width:1200px}
nav{margin:0 0 12px;font-size:14px}
nav a{margin-right:12px;color:#1f5fa8;display:inline-block}
.verdict{background:#fff;border-left:6px solid #1f5fa8;padding:12px 16px;margin-bottom:16px;border-radius:4px}
.verdict .what{font-size:12px;color:#667;text-transform:uppercase;letter-spacing:.04em}
.verdict .big{font-size:20px;font-weight:600}
section.check{background:#fff;border-radius:6px;padding:12px 16px;margin-bottom:16px;box-shadow:0 1px 2px rgba(0,0,0,.08)}
section.check h2{margin:0 0 8px;font-size:18px}
section.check h2 .name{font-size:12px;color:#667;font-weight:normal;margin-left:8px}
.rc{color:#a01b1b;font-weight:600}
table{border-collapse:collapse;font-size:13px;margin:4px 0 8px}
table.fields th{text-align:left;padding:2px 16px 2px 0;color:#445;font-weight:600;vertical-align:top;white-space:nowrap}
table.fields td{padding:2px 0;word-break:break-word;white-space:pre-wrap}
table.list th,table.list td{border:1px solid #dde;padding:3px 8px;text-align:left;vertical-align:top;word-break:break-word}
table.list th{background:#eef1f5;white-space:nowrap}
table.list .num{text-align:right;font-variant-numeric:tabular-nums}
table.sortable.live th{cursor:pointer;user-select:none}
table.sortable.live th:hover{background:#dfe5ee}
table.sortable th[aria-sort=descending]::after{content:" \25BC";font-size:10px}
table.sortable th[aria-sort=ascending]::after{content:" \25B2";font-size:10px}
.scroll{overflow-x:auto}
.aside{color:#667}
.empty{color:#99a;font-style:italic}
p.note,p.empty{font-size:14px;margin:4px 0}
.note{color:#445}
h3.part,h4.part{margin:10px 0 4px;font-size:14px;color:#334}
.view{margin:6px 0 12px}
.view h3{font-size:14px;margin:4px 0}
.bar-row{display:flex;align-items:center;gap:8px;margin:3px 0;font-size:13px}
.bar-label{width:180px;overflow:hidden;text-overflow:ellipsis;white-space:nowrap}
.bar{flex:0 0 320px;height:14px;background:#e3e7ee;border-radius:7px;overflow:hidden;display:inline-block}
.fill{display:block;height:100%;background:#3c8d5a}
.fill.high{background:#c0392b}
.fill.mem{background:#1f5fa8}
.bar-text{color:#445}
@media print{
body{background:#fff;color:#000;font-size:11pt}
header{background:none;color:#000;padding:0 0 6px;border-bottom:2px solid #000}
header p{opacity:1}
nav{display:none}
main{padding:8px 0 0;max-width:none}
.verdict{border:1px solid #888;border-left-width:6px}
section.check{box-shadow:none;border-radius:0;border-top:1px solid #888;padding:8px 0;break-inside:auto}
section.check h2,h3.part,.view h3{break-after:avoid}
.scroll{overflow:visible}
table.list th,table.list td{border-color:#999}
table.list th{background:#eee}
table.sortable th:hover{background:#eee}
thead{display:table-header-group}
tr,.bar-row{break-inside:avoid}
.bar,.fill,table.list th{-webkit-print-color-adjust:exact;print-color-adjust:exact}
.bar{border:1px solid #999}
}
)CSS";

// Marks every section that has a laid-out box, so a headless browser's DOM
// dump shows that the page rendered; makes the heads of sortable tables sort
// their rows on a click (or Enter): numbers largest first, texts A to Z, a
// second click the other way round.
const char* kScript = R"JS(
function sortTable(th){var table=th.closest('table'),body=table.tBodies[0],col=th.cellIndex;
var num=th.getAttribute('data-type')==='num',was=th.getAttribute('aria-sort');
var dir=was?(was==='descending'?'ascending':'descending'):(num?'descending':'ascending');
Array.prototype.forEach.call(table.tHead.rows[0].cells,function(h){h.removeAttribute('aria-sort');});
th.setAttribute('aria-sort',dir);
var sign=dir==='ascending'?1:-1,rows=Array.prototype.slice.call(body.rows);
rows.sort(function(a,b){var x=a.cells[col],y=b.cells[col];
return sign*(num?Number(x.getAttribute('data-value'))-Number(y.getAttribute('data-value')):
x.textContent.localeCompare(y.textContent,undefined,{numeric:true,sensitivity:'base'}));});
rows.forEach(function(r){body.appendChild(r);});}
document.addEventListener('DOMContentLoaded',function(){var n=0;
document.querySelectorAll('table.sortable').forEach(function(t){t.classList.add('live');
Array.prototype.forEach.call(t.tHead.rows[0].cells,function(th){th.tabIndex=0;
th.addEventListener('click',function(){sortTable(th);});
th.addEventListener('keydown',function(e){if(e.key==='Enter'||e.key===' '){e.preventDefault();sortTable(th);}});});});
document.querySelectorAll('section.check').forEach(function(s){var r=s.getBoundingClientRect();
if(r.height>0&&r.width>0){s.setAttribute('data-rendered','yes');n++;}});
document.body.setAttribute('data-rendered-sections',String(n));});
)JS";

}  // namespace

long long ParseKilobytes(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
    long long v = 0;
    for (; i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == ','); ++i) {
        if (text[i] == ',') continue;
        if (v > (1LL << 50)) return -1;
        v = v * 10 + (text[i] - '0');
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == 'K' || text[i] == 'k')) return v * 1024;
    return -1;
}

std::string RenderHtmlReport(const std::vector<ReportEntry>& entries, const std::string& generatedAt) {
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
        "<title>Tallowick report</title><style>";
    out += kStyle;
    out += "</style><script>";
    out += kScript;
    out += "</script></head><body>\n<header><h1>Tallowick report</h1><p>" + Esc(generatedAt) + "</p></header>\n<main>";

    // The connectivity verdict first, from whichever section reports one.
    for (const ReportEntry& e : entries) {
        if (!e.json || !e.json->find("szVerdict")) continue;
        out += "<div class=\"verdict\" id=\"verdict\"><div class=\"what\">" + Esc(e.title) +
               "</div><div class=\"big\">" + Esc(Text(*e.json, "szVerdict")) + "</div><div>" +
               Esc(Text(*e.json, "szNetworkState")) + "</div></div>\n";
        break;
    }

    out += "<nav>";
    for (const ReportEntry& e : entries) out += "<a href=\"#check-" + Esc(e.name) + "\">" + Esc(e.title) + "</a>";
    out += "</nav>\n";

    for (const ReportEntry& e : entries) {
        out += "<section class=\"check\" id=\"check-" + Esc(e.name) + "\" data-check=\"" + Esc(e.name) + "\"><h2>" +
               Esc(e.title) + "<span class=\"name\">" + Esc(e.name) + "</span></h2>";
        if (e.rc != 0) out += "<p class=\"rc\">The check returned " + std::to_string(e.rc) + ".</p>";
        if (e.json) {
            auto view = std::find_if(std::begin(kViews), std::end(kViews),
                                     [&](const auto& v) { return e.name == v.name; });
            if (view != std::end(kViews)) view->render(out, e, *e.json);
            else Note(out, "(shown in the text report only)", "empty");
        } else {
            Note(out, "(no result)", "empty");
        }
        out += "</section>\n";
    }
    out += "</main></body></html>\n";
    return out;
}

}  // namespace host
