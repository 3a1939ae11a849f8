// Platform side of the process list: identifiers, the system's process
// snapshot, process details, owners and the debug privilege.
#pragma once

#include "core/win_util.h"
#include "core/platform_owners.h"

#include <wtsapi32.h>

#include <cstdint>
#include <type_traits>
#include <vector>

#include "process/checks.h"
#include "process/process_list.h"
#include "core/os_family.h"

namespace tallowick {

// The texts of a node are written with this limit (terminator included), one
// unit short of their fields: kept on purpose for hosts.
inline constexpr std::size_t kProcessTextBound = 260;
inline constexpr std::size_t kOwnerBound = kProcessTextBound;
// The width of a node's owner field, terminator included.
inline constexpr std::size_t kOwnerField = std::extent_v<decltype(ProcessNode::szOwner)>;

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

    // False when the list cannot be obtained.
    bool Fetch();
    // For the first record of `id`: its user's account name, or "SYSTEM" when
    // the user cannot be looked up. False (owner untouched) when not listed.
    bool FindOwner(DWORD id, Text& owner, AccountNameCache& cache) const;
    // For the first record of `id`: its user's account name. False (owner
    // untouched) when not listed or when the list names no user that can be
    // looked up.
    bool FindUser(DWORD id, Text& owner, AccountNameCache& cache) const;

private:
    UniqueWtsMemory<WTS_PROCESS_INFOW> info_;
    DWORD count_ = 0;
    std::vector<std::pair<DWORD, DWORD>> index_;  // (identifier, first position), sorted
};

// Enables "SeDebugPrivilege" in the host process's token; true when enabled.
// The privilege stays enabled.
bool EnableDebugPrivilege();
// Writes the account name of the token's user into `owner`; the token stays
// with its owner. False (owner untouched) when the user cannot be read or
// looked up.
bool GetOwnerFromToken(wchar_t (&owner)[kOwnerField], const UniqueHandle& token, AccountNameCache* cache = nullptr);

// The base name of an open process's executable (query and read rights):
// from its executable module, or, when the modules cannot be read (a 64-bit
// process seen from the 32-bit build under WOW64), from its image path.
// False when neither can be read.
bool ReadExecutableName(HANDLE process, Text& baseName);
// The module route alone (GetModuleFileNameExW, then GetModuleBaseNameW).
bool ReadModuleBaseName(HANDLE process, Text& baseName);

// Every process identifier, the array grown until the whole list fits.
bool EnumerateProcessIds(std::vector<DWORD>& ids);
// One snapshot of the system's process information (SystemProcessInformation), the buffer
// grown until the query succeeds. False when it cannot be taken or is malformed.
bool ReadProcessSnapshot(std::vector<SnapshotRecord>& records);
// The processor times of one fresh snapshot; without one every share is 0.
ProcessorTimes TakeProcessorTimes();

// What one check reads once and shares between its processes.
struct ProcessCheckContext {
    std::int32_t osFamily = OsUnknown;
    ProcessorTimes times;                 // also the names and working sets of the snapshot
    const WtsProcessList* wts = nullptr;  // null: no terminal-services list (yet)
    WtsProcessList* sessions = nullptr;   // the list to fetch, once, when first needed
    bool sessionsTried = false;
    AccountNameCache accounts;
};

// Reads the family and one snapshot into `context`, and, but for the NT
// workstation family (whose owners come from the process tokens), fetches
// `wts` and points the context at it when that succeeds. There `wts` is
// fetched only when a process's token cannot be read.
void PrepareProcessCheck(ProcessCheckContext& context, WtsProcessList& wts);
// The session list of the check, fetched on first use; null when it cannot
// be obtained.
const WtsProcessList* SessionList(ProcessCheckContext& context);

// The entry of one process, read through `context`: opened with the full
// rights as ever; where those are refused, through the limited query right,
// and what that cannot give from the snapshot and the session list. A process
// that has ended meanwhile stays empty.
ProcessEntry ReadProcessEntry(DWORD id, ProcessCheckContext& context);
// Writes an entry's texts and share into a zero-filled node, each text
// bounded to its field.
void WriteProcessNode(const ProcessEntry& entry, ProcessNode* node);

// The whole list in the system's order; `count` (may be null) receives the
// number of nodes. Null when the identifiers cannot be listed.
ProcessNode* BuildProcessList(int* count);

}  // namespace tallowick
