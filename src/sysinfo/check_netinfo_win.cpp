// The computer's identity as the host sees it: name, server comment,
// workgroup and address.
#include <new>

#include "sysinfo/checks.h"
#include "core/registry_reader.h"
#include "core/win_util.h"
#include "sysinfo/computer_identity.h"

namespace tallowick {
namespace {

const char16_t kServerCommentPath[] =
    u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters\\srvcomment";

}  // namespace

int CheckNetInfo(NetInfoResult** result, int* count) {
    NetInfoResult* record = new (std::nothrow) NetInfoResult();
    if (!record) return 1;

    ComputerIdentity identity = {};
    FillComputerIdentity(&identity);

    // One blank, not the empty text, when no comment is stored (kept on
    // purpose for hosts); a failed read leaves no partial data.
    CopyField(record->szComment, u" ");
    int code = ReadRegistryString(kServerCommentPath, U16(record->szComment));
    if (code != kRegistryOk && code != kRegistryNotString) CopyField(record->szComment, u" ");
    record->szComment[260] = L'\0';

    CopyField(record->szComputerName, TextView(identity.szComputerName, BoundedLength(identity.szComputerName, 16)),
              260);
    CopyField(record->szWorkgroup, TextView(identity.szWorkgroup, BoundedLength(identity.szWorkgroup, 256)), 260);
    CopyField(record->szIpAddress, TextView(identity.szIpAddress, BoundedLength(identity.szIpAddress, 50)), 50);

    // The four fields, whatever could be read: kept on purpose for hosts.
    *count = 4;
    *result = record;
    return 0;
}

int ReleaseNetInfo(NetInfoResult* record) {
    if (!record) return 1;
    delete record;
    return 0;
}

}  // namespace tallowick
