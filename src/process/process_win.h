// Platform side of the process list: identifiers, the system's process
// snapshot, process details, owners and the debug privilege.
#pragma once

#include "core/win_util.h"

#include <wtsapi32.h>

#include <cstdint>
#include <vector>

#include "process/checks.h"
#include "process/process_list.h"
#include "core/os_family.h"

namespace tallowick {

// Owner texts are written with this limit (terminator included).
inline constexpr std::size_t kOwnerBound = 260;

// Account names by security identifier. One check asks for the same few
// users again and again; each distinct identifier is looked up once.
class AccountNameCache {
public:
    // LookupAccountSidW on the local system; the account name alone, without
    // its domain. False when the identifier is missing or does not resolve.
    bool Lookup(PSID sid, Text& name);

private:
    struct Entry {
        std::vector<unsigned char> sid;
        bool resolved = false;
        Text name;
    };
    std::vector<Entry> entries_;
};

// The terminal-services process list, fetched once and searched by identifier.
class WtsProcessList {
public:
    WtsProcessList() = default;
    ~WtsProcessList();
    WtsProcessList(const WtsProcessList&) = delete;
    WtsProcessList& operator=(const WtsProcessList&) = delete;

    // False when the list cannot be obtained.
    bool Fetch();
    // For the first record of `id`: its user's account name, or "SYSTEM" when
    // the user cannot be looked up. False (owner untouched) when not listed.
    bool FindOwner(DWORD id, Text& owner, AccountNameCache& cache) const;

private:
    WTS_PROCESS_INFOW* info_ = nullptr;
    DWORD count_ = 0;
    std::vector<std::pair<DWORD, DWORD>> index_;  // (identifier, first position), sorted
};

// Enables "SeDebugPrivilege" in the host process's token; true when enabled.
// The privilege stays enabled.
bool EnableDebugPrivilege();
// Writes the account name of the token's user into `owner`; always closes
// `token`. False (owner untouched) when the user cannot be read or looked up.
bool GetOwnerFromToken(wchar_t (&owner)[261], HANDLE token, AccountNameCache* cache = nullptr);

// The base name of an open process's executable (query and read rights):
// from its executable module, or, when the modules cannot be read (a 64-bit
// process seen from the 32-bit build under WOW64), from its image path.
// False when neither can be read.
bool ReadExecutableName(HANDLE process, Text& baseName);
// The module route alone (GetModuleFileNameExW, then GetModuleBaseNameW).
bool ReadModuleBaseName(HANDLE process, Text& baseName);

// Every process identifier, the array grown until the whole list fits.
bool EnumerateProcessIds(std::vector<DWORD>& ids);
// One snapshot of the system's process information (class 5), the buffer
// grown until the query succeeds. False when it cannot be taken or is malformed.
bool ReadProcessSnapshot(std::vector<SnapshotRecord>& records);
// The processor times of one fresh snapshot; without one every share is 0.
ProcessorTimes TakeProcessorTimes();

// What one check reads once and shares between its processes.
struct ProcessCheckContext {
    std::int32_t osFamily = OsUnknown;
    ProcessorTimes times;
    const WtsProcessList* wts = nullptr;  // null: no terminal-services list
    AccountNameCache accounts;
};

// Reads the family and one snapshot into `context`, and, but for the NT
// workstation family (whose owners come from the process tokens), fetches
// `wts` and points the context at it when that succeeds.
void PrepareProcessCheck(ProcessCheckContext& context, WtsProcessList& wts);

// The entry of one process, read through `context`.
ProcessEntry ReadProcessEntry(DWORD id, ProcessCheckContext& context);
// Writes an entry's texts and share into a zero-filled node, each text
// bounded to its field.
void WriteProcessNode(const ProcessEntry& entry, ProcessNode* node);

// The whole list in the system's order; `count` (may be null) receives the
// number of nodes. Null when the identifiers cannot be listed.
ProcessNode* BuildProcessList(int* count);

}  // namespace tallowick
