#include "core/win_util.h"  // windows.h first

#include <wininet.h>

#include <new>

#include "network/connectivity.h"
#include "network/checks.h"
#include "core/message_catalog.h"

namespace tallowick {
namespace {

struct InternetHandleTraits {
    static HINTERNET Invalid() { return nullptr; }
    static bool Valid(HINTERNET h) { return h != nullptr; }
    static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
using UniqueInternetHandle = UniqueResource<HINTERNET, InternetHandleTraits>;

// Copies the catalogue text of `id` into a field, bounded one unit short of
// the field (its terminator included), as the record has always been
// filled; without a catalogue set up the field stays empty (the record is
// zeroed).
template <std::size_t N>
void CopyMessage(wchar_t (&field)[N], const char16_t* id) {
    MessageBuffer message;
    const char16_t* text = GetMessageText(id, message);
    CopyField(field, text ? TextView(text) : TextView(), N - 1);
}

}  // namespace

int ProbeConnection() {
    UniqueInternetHandle root(InternetOpenW(W(kProbeAgent), INTERNET_OPEN_TYPE_PRECONFIG,
                                            nullptr, nullptr, 0));
    if (!root) return 0;
    // The request handle closes before the root handle.
    UniqueInternetHandle request(InternetOpenUrlW(root.get(), W(kProbeUrl), nullptr, 0,
                                                  INTERNET_FLAG_RELOAD, 0));
    return request ? 1 : 0;
}

int CheckNetwork(NetworkResult** result, int* count) {
    NodePtr<NetworkResult> record = MakeZeroed<NetworkResult>();
    if (record) {
        ConnectivityMessages ids = MessagesFor(ProbeConnection() == 1);
        CopyMessage(record->szVerdict, ids.verdictId);
        CopyMessage(record->szNetworkState, ids.stateId);
    }
    // One item and code 0 even when no record could be made: kept on
    // purpose for hosts.
    *result = record.release();
    *count = 1;
    return 0;
}

}  // namespace tallowick
