// The shared folders section. With --remove NAME... it marks those shares,
// asks for confirmation on the console (unless --yes), runs the repair and
// prints each marked share's removal result.
#include <cwchar>

#include "host.h"

namespace host {
namespace {

void Print(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Reads one answer line from standard input; an answer starting with y or Y
// agrees, anything else (or no input) declines.
bool Confirm(const std::string& question) {
    Print(question + " [y/N] ");
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (ReadFile(in, &c, 1, &read, nullptr) && read == 1 && c != '\n') line.push_back(c);
    std::size_t start = line.find_first_not_of(" \t\r");
    if (read == 0 && line.empty()) Print("\n");
    return start != std::string::npos && (line[start] == 'y' || line[start] == 'Y');
}

Json NodeJson(const ShareResourceNode* node) {
    Json entry = Json::Object();
    entry.set("szShareName", Json::Text(node->szShareName));
    entry.set("szPath", Json::Text(node->szPath));
    entry.set("szType", Json::Text(node->szType));
    entry.set("szConnections", Json::Text(node->szConnections));
    entry.set("szRemark", Json::Text(node->szRemark));
    entry.set("nSelected", Json::Int(node->nSelected));
    entry.set("nRemoveResult", Json::Int(node->nRemoveResult));
    return entry;
}

std::string ErrorText(int code) {
    if (code == 0) return "removed";
    std::string text = "failed, error " + std::to_string(code);
    if (code == ERROR_ACCESS_DENIED) text += " (access denied)";
    return text;
}

// Marks the named shares; returns the names that are not in the list.
std::vector<std::wstring> MarkShares(ShareResourceNode* list, const std::vector<std::wstring>& names) {
    std::vector<std::wstring> missing;
    for (const std::wstring& name : names) {
        bool found = false;
        for (ShareResourceNode* node = list; node; node = node->pNext) {
            // Share names are not case-sensitive.
            if (_wcsicmp(node->szShareName, name.c_str()) == 0) {
                node->nSelected = 1;
                found = true;
            }
        }
        if (!found) missing.push_back(name);
    }
    return missing;
}

SectionOutput RunShares(const Api& api, const Options& options) {
    SectionOutput out;
    ShareResourceNode* list = nullptr;
    int count = 0;
    out.rc = api.Check_ShareResource(&list, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));

    if (!options.removeShares.empty()) {
        std::vector<std::wstring> missing = MarkShares(list, options.removeShares);
        Json notShared = Json::Array();
        for (const std::wstring& name : missing) {
            notShared.push(Json::Str(Utf8(name)));
            out.text += "  " + Utf8(name) + ": not shared, nothing to remove\n";
        }
        out.json.set("notShared", std::move(notShared));
        std::string marked;
        int selected = 0;
        for (const ShareResourceNode* node = list; node; node = node->pNext) {
            if (!node->nSelected) continue;
            marked += (selected++ ? ", " : "") + Utf8(node->szShareName);
        }
        bool go = selected > 0 && (options.yes || Confirm("Stop sharing " + marked + "?"));
        out.json.set("repaired", Json::Bool(go));
        if (selected > 0 && !go) {
            out.text += "  (not confirmed: nothing removed)\n";
        }
        if (go) {
            // The callback shows each share as it is handled; Ctrl+C stops
            // the removals after the current one.
            api.Repair_ShareResource(list, HostCallback, 0);
            ClearProgressLine();
            Table results({"Share", "Removal"});
            Json removals = Json::Array();
            for (const ShareResourceNode* node = list; node; node = node->pNext) {
                if (!node->nSelected) continue;
                Json entry = Json::Object();
                entry.set("szShareName", Json::Text(node->szShareName));
                entry.set("nRemoveResult", Json::Int(node->nRemoveResult));
                removals.push(std::move(entry));
                results.add({Utf8(node->szShareName), ErrorText(node->nRemoveResult)});
            }
            out.json.set("removals", std::move(removals));
            out.text += results.render();
            if (CancelRequested()) out.text += "  (interrupted: the shares after the last one shown were left)\n";
        }
        out.text += "\n";
    }

    Json shares = Json::Array();
    Table table({"Share", "Path", "Kind", "Connections", "Remark"});
    for (const ShareResourceNode* node = list; node; node = node->pNext) {
        shares.push(NodeJson(node));
        table.add({Utf8(node->szShareName), Utf8(node->szPath), Utf8(node->szType), Utf8(node->szConnections),
                   Utf8(node->szRemark)});
    }
    out.json.set("shares", std::move(shares));
    if (!options.removeShares.empty() && !table.empty()) out.text += "  Shares as listed before the removal:\n";
    out.text += table.empty() ? "  (no shared folder listed)\n" : table.render();
    api.Release_ShareResource(list);
    return out;
}

SectionRegistrar registrar({"shares", "Shared folders", 80, RunShares});

}  // namespace
}  // namespace host
