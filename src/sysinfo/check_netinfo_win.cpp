// The computer's identity as the host sees it: name, server comment,
// workgroup and address.
#include <iterator>

#include "sysinfo/checks.h"
#include "core/registry_reader.h"
#include "core/win_util.h"
#include "sysinfo/computer_identity.h"

namespace tallowick {
namespace {

const char16_t kServerCommentPath[] =
    u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters\\srvcomment";

// A text of an identity field, read no further than the field.
template <std::size_t N>
TextView FieldText(const char16_t (&field)[N]) {
    return TextView(field, BoundedLength(field, N));
}

}  // namespace

int CheckNetInfo(NetInfoResult** result, int* count) {
    NodePtr<NetInfoResult> record = MakeZeroed<NetInfoResult>();
    if (!record) return 1;

    ComputerIdentity identity = {};
    FillComputerIdentity(&identity);

    // One blank, not the empty text, when no comment is stored (kept on
    // purpose for hosts); a failed read leaves no partial data.
    CopyField(record->szComment, u" ");
    int code = ReadRegistryString(kServerCommentPath, U16(record->szComment));
    if (code != kRegistryOk && code != kRegistryNotString) CopyField(record->szComment, u" ");
    record->szComment[std::size(record->szComment) - 1] = L'\0';

    // The identity's texts, each read no further than its own field, and
    // written one unit short of the record's field (its terminator
    // included), as the record has always been filled.
    CopyField(record->szComputerName, FieldText(identity.szComputerName), std::size(record->szComputerName) - 1);
    CopyField(record->szWorkgroup, FieldText(identity.szWorkgroup), std::size(record->szWorkgroup) - 1);
    CopyField(record->szIpAddress, FieldText(identity.szIpAddress), std::size(record->szIpAddress) - 1);

    // The four fields, whatever could be read: kept on purpose for hosts.
    *count = 4;
    *result = record.release();
    return 0;
}

int ReleaseNetInfo(NetInfoResult* record) {
    return ReleaseRecord(record);
}

}  // namespace tallowick
