// The system information section: OS name, Internet Explorer version, paging
// files and system environment.
#include "host.h"

namespace host {
namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

SectionOutput RunSysInfo(const Api& api, const Options&) {
    SectionOutput out;
    SysInfoResult* result = nullptr;
    int count = 0;
    out.rc = api.Check_SysInfo(&result, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));
    if (!result) {
        out.text += "  (no result)\n";
        return out;
    }
    out.json.set("szOsName", Json::Text(result->szOsName));
    out.json.set("szIeVersion", Json::Text(result->szIeVersion));
    out.text += "  Operating system:   " + Quoted(Utf8(result->szOsName)) + "\n";
    out.text += "  Internet Explorer:  " + Utf8(result->szIeVersion) + "\n";

    Json paging = Json::Array();
    Table pagingTable({"Drive", "Initial (MB)", "Maximum (MB)"});
    for (const PagingFileNode* n = result->pPagingFiles; n; n = n->pNext) {
        paging.push(Json::Object()
                        .set("szDrive", Json::Text(n->szDrive))
                        .set("llInitialSize", Json::Int(n->llInitialSize))
                        .set("llMaximumSize", Json::Int(n->llMaximumSize)));
        pagingTable.add({Utf8(n->szDrive), std::to_string(n->llInitialSize), std::to_string(n->llMaximumSize)});
    }
    out.json.set("pPagingFiles", std::move(paging));
    out.text += "  Paging files:\n";
    out.text += pagingTable.empty() ? "    (none)\n" : pagingTable.render("    ");

    Json environment = Json::Array();
    Table environmentTable({"Name", "Value"});
    for (const EnvironmentVariableNode* n = result->pEnvironment; n; n = n->pNext) {
        environment.push(Json::Object()
                             .set("szName", Json::Text(n->szName))
                             .set("pszValue", n->pszValue ? Json::Text(n->pszValue) : Json::Null()));
        environmentTable.add({Utf8(n->szName), n->pszValue ? Utf8(n->pszValue) : ""});
    }
    out.json.set("pEnvironment", std::move(environment));
    out.text += "  System environment:\n";
    out.text += environmentTable.empty() ? "    (none)\n" : environmentTable.render("    ");
    out.text += "  Count: " + std::to_string(count) + "\n";

    api.Release_SysInfo(result);
    return out;
}

SectionRegistrar registrar({"sysinfo", "System information", 10, RunSysInfo});

}  // namespace
}  // namespace host
