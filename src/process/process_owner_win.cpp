// Owners of processes and the debug privilege.
#include "process/process_win.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tallowick {
namespace {

// Account and domain names are read into buffers as wide as a node's owner.
constexpr DWORD kAccountUnits = static_cast<DWORD>(kOwnerField);

bool LookupAccountName(PSID sid, Text& name) {
    wchar_t account[kAccountUnits] = {};
    wchar_t domain[kAccountUnits] = {};  // looked up with the name, then dropped
    DWORD accountLen = kAccountUnits - 1;
    DWORD domainLen = kAccountUnits - 1;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, sid, account, &accountLen, domain, &domainLen, &use)) return false;
    account[kAccountUnits - 1] = 0;
    name.assign(ViewOf(account));
    return true;
}

}  // namespace

bool AccountNameCache::Lookup(PSID sid, Text& name) {
    if (!sid || !IsValidSid(sid)) return false;
    const DWORD length = GetLengthSid(sid);
    const auto* bytes = static_cast<const unsigned char*>(sid);
    for (const Entry& e : entries_) {
        if (e.sid.size() == length && std::memcmp(e.sid.data(), bytes, length) == 0) {
            if (e.resolved) name = e.name;
            return e.resolved;
        }
    }
    Entry e;
    e.sid.assign(bytes, bytes + length);
    e.resolved = LookupAccountName(sid, e.name);
    if (e.resolved) name = e.name;
    const bool resolved = e.resolved;
    entries_.push_back(std::move(e));
    return resolved;
}

bool WtsProcessList::Fetch() {
    UniqueWtsMemory<WTS_PROCESS_INFOW> info;
    DWORD count = 0;
    if (!WTSEnumerateProcessesW(WTS_CURRENT_SERVER_HANDLE, 0, 1, info.put(), &count)) return false;
    info_ = std::move(info);
    count_ = info_ ? count : 0;
    index_.clear();
    index_.reserve(count_);
    for (DWORD i = 0; i < count_; ++i) index_.emplace_back(info_.get()[i].ProcessId, i);
    // Sorted by identifier, then by position: the first record of an
    // identifier comes first.
    std::sort(index_.begin(), index_.end());
    return true;
}

bool WtsProcessList::FindOwner(DWORD id, Text& owner, AccountNameCache& cache) const {
    auto it = std::lower_bound(index_.begin(), index_.end(), std::make_pair(id, DWORD(0)));
    if (it == index_.end() || it->first != id) return false;
    if (!cache.Lookup(info_.get()[it->second].pUserSid, owner)) owner = kSystemOwner;
    return true;
}

bool WtsProcessList::FindUser(DWORD id, Text& owner, AccountNameCache& cache) const {
    auto it = std::lower_bound(index_.begin(), index_.end(), std::make_pair(id, DWORD(0)));
    if (it == index_.end() || it->first != id) return false;
    return cache.Lookup(info_.get()[it->second].pUserSid, owner);
}

bool EnableDebugPrivilege() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
    TOKEN_PRIVILEGES request = {};
    request.PrivilegeCount = 1;
    request.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &request.Privileges[0].Luid)) return false;
    if (!AdjustTokenPrivileges(token.get(), FALSE, &request, sizeof request, nullptr, nullptr)) return false;
    return GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

bool GetOwnerFromToken(wchar_t (&owner)[kOwnerField], const UniqueHandle& token, AccountNameCache* cache) {
    alignas(8) unsigned char buffer[512];
    DWORD returned = 0;
    if (!GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &returned)) return false;
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    Text name;
    AccountNameCache local;
    if (!(cache ? cache : &local)->Lookup(sid, name)) return false;
    CopyField(owner, name, kOwnerBound);
    return true;
}

}  // namespace tallowick
