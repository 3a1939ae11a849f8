// The host's callback as the checks call it: to ask whether to cancel, or to
// show a status text. Every call passes -1 for arguments 2 to 5, the host's
// context unchanged, and no message.
#pragma once

#include "core/records.h"

namespace tallowick {

class HostCallback {
public:
    HostCallback(CheckCallback callback, intptr_t context) : callback_(callback), context_(context) {}

    // Whether the host gave a callback at all.
    explicit operator bool() const { return callback_ != nullptr; }

    // Shows `status` (null for a bare cancel poll) and returns the host's
    // answer, non-zero meaning "stop"; 0 without a callback.
    int Ask(const TwChar* status) const {
        return callback_ ? callback_(status, -1, -1, -1, -1, context_, nullptr, 0, nullptr) : 0;
    }

    // Whether the host asks to cancel, given `status` (null: none) to show.
    bool CancelRequested(const TwChar* status = nullptr) const { return Ask(status) != 0; }

private:
    CheckCallback callback_;
    intptr_t context_;
};

}  // namespace tallowick
