// The process list: identifiers, one processor-time snapshot per check, and
// each process's name, working set and owner.
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 1  // the functions of psapi.dll, present before Windows 7
#endif
#include "process/process_win.h"

#include <psapi.h>
#include <winternl.h>

#include <cstddef>
#include <iterator>
#include <memory>
#include <new>

#include "core/os_family.h"

namespace tallowick {
namespace {

constexpr DWORD kProcessQueryRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x0410
// The right that opens far more processes to a host without administrator
// rights (Vista and later): image path, memory counters and token.
constexpr DWORD kProcessQueryLimited = PROCESS_QUERY_LIMITED_INFORMATION;  // 0x1000
// A path of MAX_PATH units and its terminator.
constexpr DWORD kMaxPathUnits = MAX_PATH + 1;
constexpr DWORD kMaxLongPathUnits = 32768;
constexpr std::size_t kMaxProcessIds = 1u << 20;
constexpr ULONG kFirstSnapshotSize = 0x20000;
constexpr ULONG kMaxSnapshotSize = 64u << 20;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);
constexpr LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005);

using NtQuerySystemInformationFn = LONG(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);

// The snapshot layout this build walks is the SDK's record.
constexpr std::size_t kImageNameAt = offsetof(SYSTEM_PROCESS_INFORMATION, ImageName);
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, NextEntryOffset) == kNativeSnapshotLayout.nextOffset, "next");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, UserTime) == kNativeSnapshotLayout.userTime, "user time");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, KernelTime) == kNativeSnapshotLayout.kernelTime, "kernel time");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, UniqueProcessId) == kNativeSnapshotLayout.processId, "id");
static_assert(sizeof(SYSTEM_PROCESS_INFORMATION::UniqueProcessId) == kNativeSnapshotLayout.processIdBytes, "id");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, InheritedFromUniqueProcessId) == kNativeSnapshotLayout.minRecord,
              "the fields read end at the parent's identifier");
static_assert(kImageNameAt + offsetof(UNICODE_STRING, Length) == kNativeSnapshotLayout.imageNameLength, "name");
static_assert(kImageNameAt + offsetof(UNICODE_STRING, Buffer) == kNativeSnapshotLayout.imageNameBuffer, "name");
static_assert(sizeof(UNICODE_STRING::Buffer) == kNativeSnapshotLayout.pointerBytes, "name");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION, VirtualMemoryCounters) + offsetof(VM_COUNTERS, WorkingSetSize) ==
                  kNativeSnapshotLayout.workingSet,
              "working set");
static_assert(sizeof(VM_COUNTERS::WorkingSetSize) == kNativeSnapshotLayout.pointerBytes, "working set");

// The base name from the process's image path, for a process whose modules
// cannot be read: a 64-bit process seen from a 32-bit one (WOW64), where the
// module route fails with ERROR_PARTIAL_COPY. The function is looked up at
// run time: Windows before Vista lacks it.
bool ReadImageBaseName(HANDLE process, Text& baseName) {
    using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    auto query = Kernel32Function<QueryImageNameFn>("QueryFullProcessImageNameW");
    if (!query) return false;
    // MAX_PATH first; a longer path once more, at the longest a Win32 path can be.
    for (DWORD units : {kMaxPathUnits, kMaxLongPathUnits}) {
        std::unique_ptr<wchar_t[]> path(new (std::nothrow) wchar_t[units]);
        if (!path) return false;
        DWORD size = units;
        if (query(process, 0, path.get(), &size) && size > 0 && size < units) {
            baseName = BaseNameOfPath(TextView(U16(path.get()), size));
            return !baseName.empty();
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    }
    return false;
}

}  // namespace

void WriteProcessNode(const ProcessEntry& entry, ProcessNode* node) {
    CopyField(node->szName, entry.name, kProcessTextBound);
    CopyField(node->szOwner, entry.owner, kOwnerBound);
    CopyField(node->szMemory, entry.memory, kProcessTextBound);
    node->nCpuPercent = entry.cpuPercent;
}

bool ReadExecutableName(HANDLE process, Text& baseName) {
    if (ReadModuleBaseName(process, baseName)) return true;
    // The module route failed (a process of the other bitness, or one whose
    // loader data is not readable yet): the image path names it as well.
    return ReadImageBaseName(process, baseName);
}

bool ReadModuleBaseName(HANDLE process, Text& baseName) {
    // The executable's module (a null module handle stands for it) and its
    // full path. Every route to the module reads the same loader data, so
    // one path read answers whether the executable can be named at all; the
    // module list itself is not walked (on some systems that walk costs
    // several times the rest of the process's details).
    wchar_t path[MAX_PATH] = {};
    constexpr DWORD kUnits = static_cast<DWORD>(std::size(path));
    const DWORD length = GetModuleFileNameExW(process, nullptr, path, kUnits);
    if (length == 0) return false;
    path[kUnits - 1] = 0;
    // A path that filled the buffer may have lost its end: ask for the base
    // name itself then.
    if (length < kUnits - 1) {
        baseName = BaseNameOfPath(ViewOf(path));
        if (!baseName.empty()) return true;
    }
    wchar_t base[MAX_PATH] = {};
    if (GetModuleBaseNameW(process, nullptr, base, kUnits) == 0) return false;
    base[kUnits - 1] = 0;
    baseName.assign(ViewOf(base));
    return true;
}

bool EnumerateProcessIds(std::vector<DWORD>& ids) {
    ids.assign(1024, 0);
    for (;;) {
        DWORD bytes = 0;
        const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!EnumProcesses(ids.data(), capacity, &bytes)) {
            ids.clear();
            return false;
        }
        // A full array may have been cut: grow it and ask again.
        if (bytes < capacity || ids.size() >= kMaxProcessIds) {
            ids.resize(bytes / sizeof(DWORD));
            return true;
        }
        ids.assign(ids.size() * 2, 0);
    }
}

bool ReadProcessSnapshot(std::vector<SnapshotRecord>& records) {
    records.clear();
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto query = ntdll ? reinterpret_cast<NtQuerySystemInformationFn>(
                             reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")))
                       : nullptr;
    if (!query) return false;
    ULONG size = kFirstSnapshotSize;
    while (size <= kMaxSnapshotSize) {
        std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]());
        if (!buffer) return false;
        ULONG returned = 0;
        const LONG status = query(SystemProcessInformation, buffer.get(), size, &returned);
        if (status == 0) {
            // Walk only what the system wrote.
            const ULONG length = returned != 0 && returned <= size ? returned : size;
            return WalkProcessSnapshot(buffer.get(), length, records, kNativeSnapshotLayout);
        }
        if (status != kStatusInfoLengthMismatch && status != kStatusBufferTooSmall &&
            status != kStatusBufferOverflow) {
            return false;
        }
        // Processes may start before the next call: leave some room.
        const ULONG wanted = returned > size ? returned + returned / 4 : size * 2;
        if (wanted <= size) return false;
        size = wanted;
    }
    return false;
}

ProcessorTimes TakeProcessorTimes() {
    std::vector<SnapshotRecord> records;
    if (!ReadProcessSnapshot(records)) return ProcessorTimes();
    return ProcessorTimes(records);
}

namespace {

// The owner of an open process: from its token on the NT workstation family,
// from the session list on the others and wherever the token cannot be read
// (`fallback`).
void ReadOwner(HANDLE process, ProcessCheckContext& context, bool fallback, ProcessFacts& facts) {
    if (context.osFamily == OsNtWorkstation) {
        UniqueHandle token;
        if (OpenProcessToken(process, TOKEN_QUERY, token.put())) {
            wchar_t owner[kOwnerField] = {};
            if (GetOwnerFromToken(owner, token, &context.accounts)) {
                facts.owner.assign(ViewOf(owner));
                return;
            }
        }
        if (!fallback) return;
    }
    if (const WtsProcessList* wts = SessionList(context)) wts->FindOwner(facts.id, facts.owner, context.accounts);
}

// A process that refused the full rights: its image name, memory counters and
// owner through the limited query right where that opens it; what is still
// missing (or everything, when even that is refused) from the snapshot and
// the session list.
void ReadRefusedProcess(ProcessCheckContext& context, ProcessFacts& facts) {
    UniqueHandle process(OpenProcess(kProcessQueryLimited, FALSE, facts.id));
    if (process) {
        facts.named = ReadImageBaseName(process.get(), facts.baseName);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) facts.workingSet = counters.WorkingSetSize;
        ReadOwner(process.get(), context, true, facts);
    }
    if (!facts.named) {
        if (!FillFactsFromSnapshot(context.times, facts)) return;
    } else if (facts.workingSet == 0) {
        if (const SnapshotRecord* record = context.times.find(facts.id)) facts.workingSet = record->workingSet;
    }
    if (!facts.owner.empty()) return;
    // The user the session list names for it; no guess where it names none
    // (the list's own reader may be refused the process too, as under Wine).
    if (const WtsProcessList* wts = SessionList(context)) wts->FindUser(facts.id, facts.owner, context.accounts);
}

}  // namespace

const WtsProcessList* SessionList(ProcessCheckContext& context) {
    if (!context.wts && context.sessions && !context.sessionsTried) {
        context.sessionsTried = true;
        if (context.sessions->Fetch()) context.wts = context.sessions;
    }
    return context.wts;
}

ProcessEntry ReadProcessEntry(DWORD id, ProcessCheckContext& context) {
    ProcessFacts facts;
    facts.id = id;
    const ProcessKind kind = KindOfProcess(id);
    if (kind != ProcessKind::Idle) {
        UniqueHandle process(OpenProcess(kProcessQueryRead, FALSE, id));
        if (process) {
            facts.opened = true;
            if (kind == ProcessKind::Other) facts.named = ReadExecutableName(process.get(), facts.baseName);
            if (kind == ProcessKind::System || facts.named) {
                PROCESS_MEMORY_COUNTERS counters = {};
                counters.cb = sizeof counters;
                if (GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) {
                    facts.workingSet = counters.WorkingSetSize;
                }
            }
            if (facts.named) ReadOwner(process.get(), context, false, facts);
        } else if (kind == ProcessKind::Other && GetLastError() == ERROR_ACCESS_DENIED) {
            // Refused, not ended: a service, another user's or an elevated
            // program to a host without administrator rights.
            ReadRefusedProcess(context, facts);
        }
    }
    return MakeProcessEntry(facts, context.osFamily, context.times);
}

void PrepareProcessCheck(ProcessCheckContext& context, WtsProcessList& wts) {
    context.osFamily = GetOsFamily();
    context.times = TakeProcessorTimes();
    context.wts = nullptr;
    context.sessions = &wts;
    context.sessionsTried = false;
    if (context.osFamily != OsNtWorkstation) SessionList(context);
}

ProcessNode* BuildProcessList(int* count) {
    // With it, an administrator's host opens other users' processes and
    // services with the full rights; without it they are read through the
    // limited right or the snapshot.
    EnableDebugPrivilege();
    std::vector<DWORD> ids;
    if (!EnumerateProcessIds(ids)) return nullptr;

    // One family, one snapshot and one terminal-services list for the whole
    // list: every share is taken against the same total.
    ProcessCheckContext context;
    WtsProcessList wts;
    PrepareProcessCheck(context, wts);

    ListBuilder<ProcessNode> built;
    std::vector<ProcessEntry> entries;
    std::vector<ProcessNode*> nodes;
    entries.reserve(ids.size());
    nodes.reserve(ids.size());
    for (DWORD id : ids) {
        NodePtr<ProcessNode> node = MakeZeroed<ProcessNode>();
        if (!node) break;  // the list built so far is handed over
        entries.push_back(ReadProcessEntry(id, context));
        WriteProcessNode(entries.back(), node.get());
        nodes.push_back(node.get());
        built.Append(std::move(node));
    }
    const std::ptrdiff_t idle = ApplyIdleRemainder(entries);
    if (idle >= 0) nodes[static_cast<std::size_t>(idle)]->nCpuPercent = entries[static_cast<std::size_t>(idle)].cpuPercent;
    if (count) *count = static_cast<int>(nodes.size());
    return built.Release();
}

int CheckProcess(ProcessNode** result, int* count) {
    *result = nullptr;
    *count = 0;
    *result = BuildProcessList(count);
    return 0;
}

int ReleaseProcess(ProcessNode* list) { return ReleaseList(list); }

}  // namespace tallowick
