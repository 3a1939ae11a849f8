// The system information section: OS name, Internet Explorer version, paging
// files and system environment.
#include "host.h"

namespace host {
namespace {

Record PagingFile(const PagingFileNode& node) {
    return {TextField("szDrive", "Drive", node.szDrive),
            NumberField("llInitialSize", "Initial (MB)", node.llInitialSize),
            NumberField("llMaximumSize", "Maximum (MB)", node.llMaximumSize)};
}

// A variable without a value has null in the JSON.
Record Variable(const EnvironmentVariableNode& node) {
    return {TextField("szName", "Name", node.szName),
            {"pszValue", "Value", node.pszValue ? Json::Text(node.pszValue) : Json::Null(), Utf8(node.pszValue)}};
}

void ShowSysInfo(SectionOutput& out, const SysInfoResult& r, int count) {
    ShowRecord(out, {QuotedField("szOsName", "Operating system", r.szOsName),
                     TextField("szIeVersion", "Internet Explorer", r.szIeVersion)});

    Records paging = ListRecords(r.pPagingFiles, PagingFile);
    out.json.set("pPagingFiles", paging.json());
    out.text += "  Paging files:\n" + paging.text("(none)", "    ");

    Records environment = ListRecords(r.pEnvironment, Variable);
    out.json.set("pEnvironment", environment.json());
    out.text += "  System environment:\n" + environment.text("(none)", "    ");
    out.text += "  Count: " + std::to_string(count) + "\n";
}

SectionOutput RunSysInfo(const Api& api, const Options&) {
    return RunRecordCheck(api.Check_SysInfo, api.Release_SysInfo, ShowSysInfo);
}

SectionRegistrar registrar({"sysinfo", "System information", 10, RunSysInfo});

}  // namespace
}  // namespace host
