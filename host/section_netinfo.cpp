// The computer identity section: name, server comment, workgroup, address.
#include "host.h"

namespace host {
namespace {

void ShowNetInfo(SectionOutput& out, const NetInfoResult& r, int) {
    ShowRecord(out, {TextField("szComputerName", "Computer name", r.szComputerName),
                     QuotedField("szComment", "Comment", r.szComment),
                     TextField("szWorkgroup", "Workgroup", r.szWorkgroup),
                     TextField("szIpAddress", "IPv4 address", r.szIpAddress)});
}

SectionOutput RunNetInfo(const Api& api, const Options&) {
    return RunRecordCheck(api.Check_NetInfo, api.Release_NetInfo, ShowNetInfo);
}

SectionRegistrar registrar({"netinfo", "Computer identity", 20, RunNetInfo});

}  // namespace
}  // namespace host
