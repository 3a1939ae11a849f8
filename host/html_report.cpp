// The HTML report: one self-contained page (inline style, inline script, no
// external resources) built from the sections' JSON documents. Every section
// is rendered generically - scalars as a field table, lists of records as a
// table with one column per field - and a few views are keyed on the record
// fields they show: drive usage bars (ullTotalBytes/ullFreeBytes), the largest
// processes by working set (szMemory "10244 K"), and the connectivity verdict
// (szVerdict/szNetworkState) at the top of the page.
#include <algorithm>
#include <cstdio>

#include "host.h"

namespace host {
namespace {

std::string Esc(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

// Field names of byte counts get a human figure beside the raw one.
bool IsByteField(const std::string& key) {
    return key.find("Bytes") != std::string::npos || key.find("bytes") != std::string::npos;
}

std::string ScalarCell(const std::string& key, const Json& v) {
    if (v.kind() == Json::Kind::Null) return "<span class=\"null\">null</span>";
    std::string text = Esc(v.scalarText());
    if (v.kind() == Json::Kind::Int && IsByteField(key) && v.asInt() >= 0)
        text += " <span class=\"human\">(" + Esc(HumanBytes(static_cast<unsigned long long>(v.asInt()))) + ")</span>";
    if (v.kind() == Json::Kind::String && v.asString().empty()) text = "<span class=\"empty\">(empty)</span>";
    return text;
}

bool IsRecordList(const Json& v) {
    if (!v.isArray() || v.size() == 0) return false;
    for (const Json& item : v.items())
        if (!item.isObject()) return false;
    return true;
}

void RenderValue(std::string& out, const std::string& key, const Json& v, int depth);

void RenderRecordTable(std::string& out, const Json& list, int depth) {
    std::vector<std::string> columns;
    for (const Json& item : list.items())
        for (const std::string& k : item.keys())
            if (std::find(columns.begin(), columns.end(), k) == columns.end()) columns.push_back(k);
    out += "<div class=\"scroll\"><table class=\"list\"><thead><tr><th>#</th>";
    for (const std::string& c : columns) out += "<th>" + Esc(c) + "</th>";
    out += "</tr></thead><tbody>";
    std::size_t row = 0;
    for (const Json& item : list.items()) {
        out += "<tr><td class=\"num\">" + std::to_string(++row) + "</td>";
        for (const std::string& c : columns) {
            const Json* cell = item.find(c);
            out += "<td>";
            if (!cell) {
                out += "";
            } else if (cell->isScalar()) {
                out += ScalarCell(c, *cell);
            } else {
                RenderValue(out, "", *cell, depth + 1);
            }
            out += "</td>";
        }
        out += "</tr>";
    }
    out += "</tbody></table></div>";
}

void RenderObject(std::string& out, const Json& obj, int depth) {
    bool anyScalar = false;
    for (const Json& item : obj.items()) anyScalar = anyScalar || item.isScalar();
    if (anyScalar) {
        out += "<table class=\"fields\"><tbody>";
        for (std::size_t i = 0; i < obj.size(); ++i) {
            const Json& item = obj.items()[i];
            if (!item.isScalar()) continue;
            out += "<tr><th>" + Esc(obj.keys()[i]) + "</th><td>" + ScalarCell(obj.keys()[i], item) + "</td></tr>";
        }
        out += "</tbody></table>";
    }
    for (std::size_t i = 0; i < obj.size(); ++i) {
        const Json& item = obj.items()[i];
        if (item.isScalar()) continue;
        const std::string& key = obj.keys()[i];
        std::string tag = depth < 2 ? "h3" : "h4";
        out += "<" + tag + " class=\"field\">" + Esc(key);
        if (item.isArray()) out += " <span class=\"count\">(" + std::to_string(item.size()) + ")</span>";
        out += "</" + tag + ">";
        RenderValue(out, key, item, depth + 1);
    }
}

void RenderValue(std::string& out, const std::string& key, const Json& v, int depth) {
    if (v.isObject()) {
        RenderObject(out, v, depth);
    } else if (v.isArray()) {
        if (v.size() == 0) {
            out += "<p class=\"empty\">(none)</p>";
        } else if (IsRecordList(v)) {
            RenderRecordTable(out, v, depth);
        } else {
            out += "<ul>";
            for (const Json& item : v.items()) {
                out += "<li>";
                if (item.isScalar()) out += ScalarCell(key, item);
                else RenderValue(out, key, item, depth + 1);
                out += "</li>";
            }
            out += "</ul>";
        }
    } else {
        out += "<p>" + ScalarCell(key, v) + "</p>";
    }
}

// Every list of records anywhere in a document whose records carry all the keys.
void CollectLists(const Json& v, const std::vector<std::string>& keys, std::vector<const Json*>& found) {
    if (IsRecordList(v)) {
        bool all = true;
        for (const std::string& k : keys) all = all && v.items()[0].find(k) != nullptr;
        if (all) {
            found.push_back(&v);
            return;
        }
    }
    if (v.isObject() || v.isArray())
        for (const Json& item : v.items()) CollectLists(item, keys, found);
}

// The first object anywhere in a document that carries all the keys.
const Json* FindRecord(const Json& v, const std::vector<std::string>& keys) {
    if (v.isObject()) {
        bool all = true;
        for (const std::string& k : keys) all = all && v.find(k) != nullptr;
        if (all) return &v;
    }
    if (v.isObject() || v.isArray())
        for (const Json& item : v.items())
            if (const Json* r = FindRecord(item, keys)) return r;
    return nullptr;
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

void RenderDriveBars(std::string& out, const Json& doc) {
    std::vector<const Json*> lists;
    CollectLists(doc, {"ullTotalBytes", "ullFreeBytes"}, lists);
    for (const Json* list : lists) {
        out += "<div class=\"view drives\"><h3>Drive usage</h3>";
        for (const Json& d : list->items()) {
            unsigned long long total = Uint(d, "ullTotalBytes"), free = Uint(d, "ullFreeBytes");
            if (free > total) free = total;
            double used = total ? 100.0 * static_cast<double>(total - free) / static_cast<double>(total) : 0.0;
            std::string name = Text(d, "szRootPath");
            std::string label = Text(d, "szVolumeLabel");
            out += "<div class=\"bar-row\"><span class=\"bar-label\">" + Esc(name);
            if (!label.empty()) out += " " + Esc(label);
            out += "</span><span class=\"bar\" role=\"meter\" aria-valuenow=\"" + Percent(used) +
                   "\"><span class=\"fill" + std::string(used >= 90.0 ? " high" : "") + "\" style=\"width:" +
                   Percent(used) + "%\"></span></span><span class=\"bar-text\">" + Percent(used) + "% used, " +
                   Esc(HumanBytes(free)) + " free of " + Esc(HumanBytes(total)) + "</span></div>";
        }
        out += "</div>";
    }
}

void RenderProcessChart(std::string& out, const Json& doc) {
    std::vector<const Json*> lists;
    CollectLists(doc, {"szMemory", "szName"}, lists);
    for (const Json* list : lists) {
        std::vector<std::pair<long long, std::string>> procs;
        for (const Json& p : list->items()) {
            long long bytes = ParseKilobytes(Text(p, "szMemory"));
            if (bytes >= 0) procs.emplace_back(bytes, Text(p, "szName"));
        }
        if (procs.empty()) continue;
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
}

const char* kStyle = R"CSS(
body{font-family:system-ui,-apple-system,"Segoe UI",sans-serif;margin:0;background:#f4f5f7;color:#1d2330}
header{background:#243447;color:#fff;padding:16px 24px}
header h1{margin:0;font-size:22px}
header p{margin:4px 0 0;opacity:.8;font-size:13px}
main{padding:16px 24px;max-width:1200px}
nav{margin:0 0 12px;font-size:14px}
nav a{margin-right:12px;color:#1f5fa8}
.verdict{background:#fff;border-left:6px solid #1f5fa8;padding:12px 16px;margin-bottom:16px;border-radius:4px}
.verdict .big{font-size:20px;font-weight:600}
section.check{background:#fff;border-radius:6px;padding:12px 16px;margin-bottom:16px;box-shadow:0 1px 2px rgba(0,0,0,.08)}
section.check h2{margin:0 0 8px;font-size:18px}
section.check h2 .name{font-size:12px;color:#667;font-weight:normal;margin-left:8px}
.rc{color:#a01b1b;font-weight:600}
table{border-collapse:collapse;font-size:13px;margin:4px 0 8px}
table.fields th{text-align:left;padding:2px 12px 2px 0;color:#445;font-weight:600;vertical-align:top}
table.fields td{padding:2px 0;word-break:break-word}
table.list th,table.list td{border:1px solid #dde;padding:3px 6px;text-align:left;vertical-align:top}
table.list th{background:#eef1f5}
td.num{color:#889;text-align:right}
.scroll{overflow-x:auto}
.human{color:#667}
.empty,.null{color:#99a;font-style:italic}
h3.field,h4.field{margin:10px 0 4px;font-size:14px;color:#334}
.count{color:#889;font-weight:normal}
.view{margin:6px 0 12px}
.view h3{font-size:14px;margin:4px 0}
.bar-row{display:flex;align-items:center;gap:8px;margin:3px 0;font-size:13px}
.bar-label{width:180px;overflow:hidden;text-overflow:ellipsis;white-space:nowrap}
.bar{flex:0 0 320px;height:14px;background:#e3e7ee;border-radius:7px;overflow:hidden;display:inline-block}
.fill{display:block;height:100%;background:#3c8d5a}
.fill.high{background:#c0392b}
.fill.mem{background:#1f5fa8}
.bar-text{color:#445}
)CSS";

// Marks every section that has a laid-out box, so a headless browser's DOM
// dump shows that the page rendered.
const char* kScript = R"JS(
document.addEventListener('DOMContentLoaded',function(){var n=0;
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

    // The connectivity verdict first, wherever a section reports one.
    for (const ReportEntry& e : entries) {
        if (!e.json) continue;
        if (const Json* r = FindRecord(*e.json, {"szVerdict", "szNetworkState"})) {
            out += "<div class=\"verdict\" id=\"verdict\"><div class=\"big\">" + Esc(Text(*r, "szVerdict")) +
                   "</div><div>" + Esc(Text(*r, "szNetworkState")) + "</div></div>\n";
            break;
        }
    }

    out += "<nav>";
    for (const ReportEntry& e : entries) out += "<a href=\"#check-" + Esc(e.name) + "\">" + Esc(e.title) + "</a>";
    out += "</nav>\n";

    for (const ReportEntry& e : entries) {
        out += "<section class=\"check\" id=\"check-" + Esc(e.name) + "\" data-check=\"" + Esc(e.name) + "\"><h2>" +
               Esc(e.title) + "<span class=\"name\">" + Esc(e.name) + "</span></h2>";
        if (e.rc != 0) out += "<p class=\"rc\">The check returned " + std::to_string(e.rc) + ".</p>";
        if (e.json) {
            RenderDriveBars(out, *e.json);
            RenderProcessChart(out, *e.json);
            RenderValue(out, e.name, *e.json, 0);
        } else {
            out += "<p class=\"empty\">(no result)</p>";
        }
        out += "</section>\n";
    }
    out += "</main></body></html>\n";
    return out;
}

}  // namespace host
