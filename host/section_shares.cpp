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

Record Share(const ShareResourceNode& node) {
    return {TextField("szShareName", "Share", node.szShareName),
            TextField("szPath", "Path", node.szPath),
            TextField("szType", "Kind", node.szType),
            TextField("szConnections", "Connections", node.szConnections),
            TextField("szRemark", "Remark", node.szRemark),
            JsonField("nSelected", Json::Int(node.nSelected)),
            JsonField("nRemoveResult", Json::Int(node.nRemoveResult)),
            JsonField("connections", NumberOrNull(ParseCount(Utf8(node.szConnections))))};
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

// Marks the shares to remove, asks, removes them and shows each removal.
void RemoveShares(SectionOutput& out, const Api& api, const Options& options, ShareResourceNode* list) {
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
        Records removals;
        for (const ShareResourceNode* node = list; node; node = node->pNext) {
            if (!node->nSelected) continue;
            removals.add({TextField("szShareName", "Share", node->szShareName),
                          {"nRemoveResult", "Removal", Json::Int(node->nRemoveResult), ErrorText(node->nRemoveResult)}});
        }
        out.json.set("removals", removals.json());
        out.text += removals.text("");
        if (CancelRequested()) out.text += "  (interrupted: the shares after the last one shown were left)\n";
    }
    out.text += "\n";
}

SectionOutput RunShares(const Api& api, const Options& options) {
    auto show = [&](SectionOutput& out, ShareResourceNode* list, int) {
        bool removing = !options.removeShares.empty();
        if (removing) RemoveShares(out, api, options, list);
        Records shares = ListRecords(list, Share);
        out.json.set("shares", shares.json());
        if (removing && !shares.empty()) out.text += "  Shares as listed before the removal:\n";
        out.text += shares.text("(no shared folder listed)");
    };
    return RunCheck(api.Check_ShareResource, api.Release_ShareResource, show);
}

SectionRegistrar registrar({"shares", "Shared folders", 80, RunShares});

}  // namespace
}  // namespace host
