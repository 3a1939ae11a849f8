// The computer identity section: name, server comment, workgroup, address.
#include "host.h"

namespace host {
namespace {

SectionOutput RunNetInfo(const Api& api, const Options&) {
    SectionOutput out;
    NetInfoResult* result = nullptr;
    int count = 0;
    out.rc = api.Check_NetInfo(&result, HostCallback, &count, 0);
    out.json.set("count", Json::Int(count));
    if (!result) {
        out.text += "  (no result)\n";
        return out;
    }
    out.json.set("szComputerName", Json::Text(result->szComputerName));
    out.json.set("szComment", Json::Text(result->szComment));
    out.json.set("szWorkgroup", Json::Text(result->szWorkgroup));
    out.json.set("szIpAddress", Json::Text(result->szIpAddress));
    out.text += "  Computer name:  " + Utf8(result->szComputerName) + "\n";
    out.text += "  Comment:        \"" + Utf8(result->szComment) + "\"\n";
    out.text += "  Workgroup:      " + Utf8(result->szWorkgroup) + "\n";
    out.text += "  IPv4 address:   " + Utf8(result->szIpAddress) + "\n";
    api.Release_NetInfo(result);
    return out;
}

SectionRegistrar registrar({"netinfo", "Computer identity", 20, RunNetInfo});

}  // namespace
}  // namespace host
