// Whether the Internet can be reached: one HTTP request through the system's
// Internet client with its configured proxy settings.
#pragma once

#include "core/text.h"

namespace tallowick {

constexpr char16_t kProbeAgent[] = u"Quv_Mgr_Check_Connection";
constexpr char16_t kProbeUrl[] = u"http://www.example.com/";

struct ConnectivityMessages {
    const char16_t* verdictId;
    const char16_t* stateId;
};

// The catalogue ids for an outcome.
inline ConnectivityMessages MessagesFor(bool reachable) {
    return reachable ? ConnectivityMessages{u"NoFault", u"NaturalNet"}
                     : ConnectivityMessages{u"HaveFault", u"DeviantNet"};
}

// 1 when a response handle for kProbeUrl could be obtained, else 0.
int ProbeConnection();

}  // namespace tallowick
