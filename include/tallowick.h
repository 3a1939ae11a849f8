/*
 * tallowick.h - public interface of Tallowick.dll, the diagnostic plug-in
 * library for Windows.
 *
 * Language: C99 or later, or C++11 or later. The layout checks at the end
 * use static_assert in C++ (so C++98/03 compilers stop there),
 * _Static_assert in C11 and later, and in C99 a typedef of a char array
 * whose size turns negative when a check fails. Two builds of the library exist, and a host takes the
 * one of its own architecture (Windows loads no DLL of the other kind):
 *  - x86: the 32-bit DLL, for 32-bit hosts, on 32-bit Windows and on 64-bit
 *    Windows (under WOW64). Every export and the callback use the cdecl
 *    convention.
 *  - x64: the 64-bit DLL, for 64-bit hosts on 64-bit Windows. x64 has one
 *    calling convention; __cdecl is accepted there and means it.
 * The records are the same in both: the same fields in the same order, with
 * the natural alignment of the target (see the layout checks at the end).
 *
 * How a host uses a check:
 *     NetworkResult *net = NULL;
 *     int count = 0;
 *     if (Check_Network(&net, NULL, &count, 0) == 0 && net) {
 *         wprintf(L"%ls / %ls\n", net->szVerdict, net->szNetworkState);
 *     }
 *     Release_Network(net);
 *
 * Rules:
 *  - A result belongs to the library. Read it in place, never free or relink
 *    it, and hand it back exactly once to the release export of its check.
 *    The only field a host writes is ShareResourceNode.nSelected.
 *  - Lists are singly linked through pNext (the last member of the nodes of
 *    the first nineteen exports; see the ABI policy for extension lists); an
 *    empty list is a null head.
 *  - Every text field is zero-terminated UTF-16, the empty text when nothing
 *    was found.
 *  - Threads: every export runs on the calling thread and calls the callback
 *    on that thread. Every check may run on several threads at once, two of
 *    the same check included, with one exception: Check_HDD writes the fixed
 *    work files "defrag.bat" and "defrag.txt" in the host program's
 *    directory, so run one drive survey at a time per host directory.
 *  - The callback must not let an exception (C++ or any other) escape. If it
 *    does, the x64 build's check catches it, frees what it had built (a
 *    drive survey also deletes its work files and ends the defragmenter) and
 *    returns 1 (the host's own handler never sees the exception); in the
 *    x86 build the exception cannot pass through the library's frames and
 *    the process ends in std::terminate.
 *  - A null result pointer makes a check do nothing and return 1.
 *  - A check that returns 1 hands over no result: *result is left as the
 *    host set it, or set to NULL (when a system DLL the check needs cannot
 *    be loaded, or Check_Process fails on the way), never to a record. Start
 *    *result at NULL, so that releasing it is harmless whatever the code.
 *    Check_Network returns 0 even when its record cannot be allocated:
 *    *result is NULL then (and *count 1), so test the pointer too.
 *  - Loading the library loads no system DLL beyond kernel32 and msvcrt; a
 *    check loads the ones it needs on its first call. When one of them cannot
 *    be loaded, the check fails as it fails otherwise (returns 1, hands over
 *    no result).
 *
 * ABI policy (what may change within a major version):
 *  - The exports of a major version keep their names, ordinals, arguments,
 *    calling convention and return codes; a minor version only adds exports,
 *    with the next free ordinals. The records of the first nineteen exports
 *    never change.
 *  - An extension record (OsVersionResult is the first) begins with cbSize:
 *    its size in bytes as this library filled it. Later versions only append
 *    fields behind the last one; nothing is moved, narrowed or given a new
 *    meaning. A host reads a field only when cbSize covers it
 *    (TALLOWICK_HAS_FIELD below), so a host built against a newer header
 *    still works with an older library, and an older host simply does not
 *    see the newer fields.
 *  - A list node's link (pNext) stays at the same place in every version:
 *    nodes of extension lists carry it right behind cbSize.
 *  - Texts are fixed-width, zero-terminated UTF-16 fields; numbers are
 *    integers of fixed width (never text); times are seconds since
 *    1970-01-01 UTC, 0 when unknown.
 *  - The version macros below and Tallowick_GetVersion tell a host which
 *    library it was built against and which one it loaded; a new major
 *    version is free to break any of the above.
 */
#ifndef TALLOWICK_H
#define TALLOWICK_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_MSC_VER) || defined(__MINGW32__)
#define TALLOWICK_CALL __cdecl
#else
#define TALLOWICK_CALL
#endif

#ifndef TALLOWICK_API
#define TALLOWICK_API __declspec(dllimport)
#endif

/* The version of the library this header describes (the DLL's version
 * resource and Tallowick_GetVersion give the loaded one). */
#define TALLOWICK_VERSION_MAJOR 1
#define TALLOWICK_VERSION_MINOR 1
#define TALLOWICK_VERSION_PATCH 0
/* One number for comparisons: 0x00MMmmpp (major, minor, patch). */
#define TALLOWICK_MAKE_VERSION(major, minor, patch) \
    ((((major) & 0xFF) << 16) | (((minor) & 0xFF) << 8) | ((patch) & 0xFF))
#define TALLOWICK_VERSION \
    TALLOWICK_MAKE_VERSION(TALLOWICK_VERSION_MAJOR, TALLOWICK_VERSION_MINOR, TALLOWICK_VERSION_PATCH)

/* Whether an extension record, as the library filled it, holds `field`:
 * its cbSize reaches to the field's end. */
#define TALLOWICK_HAS_FIELD(record, type, field) \
    ((record) != NULL && (record)->cbSize >= offsetof(type, field) + sizeof((record)->field))

/* The library's text unit: a UTF-16 code unit (wchar_t on Windows). */
typedef wchar_t TwChar;

/*
 * The host's callback. Arguments:
 *  1 status   progress text for the host to show; NULL for a bare cancel
 *             poll (the drive survey's), the empty text "" for the hardware
 *             check's one poll, the share's name in Repair_ShareResource
 *  2-5        always -1
 *  6 context  the value the host passed to the export, unchanged
 *  7 message  message text, or NULL
 *  8 style    message style, 0 when no message is passed
 *  9 value    pointer to an integer of the library's, or NULL
 * Return non-zero to ask the running operation to stop. Never let an
 * exception escape the callback (see "The callback must not ..." above).
 */
typedef int (TALLOWICK_CALL *CheckCallback)(const TwChar *status, int reserved2,
                                            int reserved3, int reserved4,
                                            int reserved5, intptr_t context,
                                            const TwChar *message, int style,
                                            int *value);

/* ---- Check_SysInfo ---------------------------------------------------- */
typedef struct PagingFileNode {
    TwChar szDrive[12];            /* "C:" */
    int64_t llInitialSize;         /* megabytes as the system stores them */
    int64_t llMaximumSize;
    struct PagingFileNode *pNext;
} PagingFileNode;

typedef struct EnvironmentVariableNode {
    TwChar szName[261];
    TwChar *pszValue;              /* unexpanded text, owned by the node, never NULL */
    struct EnvironmentVariableNode *pNext;
} EnvironmentVariableNode;

typedef struct SysInfoResult {
    TwChar szOsName[261];
    TwChar szIeVersion[261];
    PagingFileNode *pPagingFiles;
    unsigned char reserved[2052];  /* never written, no meaning */
    EnvironmentVariableNode *pEnvironment;
} SysInfoResult;

/* ---- Check_NetInfo ---------------------------------------------------- */
typedef struct NetInfoResult {
    TwChar szComputerName[261];
    TwChar szComment[261];         /* a single blank when none is stored */
    TwChar szWorkgroup[261];
    TwChar szIpAddress[51];
} NetInfoResult;

/* ---- Check_HardwareConfig --------------------------------------------- */
typedef struct HardwareConfigResult {
    TwChar szProcessor[1025];
    TwChar szMemory[1025];
    TwChar szDiskDrive[1025];      /* "76.604GB IDE": GB are units of 2^30 bytes */
    TwChar szMonitor[1025];
    TwChar szVideoController[1025];
    TwChar szSoundDevice[1025];
    TwChar szNetworkAdapter[1025];
    TwChar szCdromDrive[1025];
    TwChar szPointingDevice[1025];
} HardwareConfigResult;

/* ---- Check_HDD -------------------------------------------------------- */
typedef struct HddNode {
    TwChar szRootPath[5];          /* "C:\" */
    TwChar szVolumeLabel[261];
    uint64_t ullTotalBytes;
    uint64_t ullFreeBytes;
    TwChar szFragmentation[261];   /* "12%碎片", empty without an analysis */
    TwChar szAdvice[261];
    uint32_t dwReserved;           /* always 0 */
    struct HddNode *pNext;
} HddNode;

/* ---- Check_Process ---------------------------------------------------- */
typedef struct ProcessNode {
    TwChar szName[261];
    TwChar szOwner[261];
    int32_t nCpuPercent;           /* share of all processor time used since each
                                      process started (not the current load);
                                      the idle entry gets 100 minus the others */
    TwChar szMemory[261];          /* working set, "10244 K" */
    struct ProcessNode *pNext;
} ProcessNode;

/* ---- Check_NetConfig -------------------------------------------------- */
typedef struct NetConfigNode {
    TwChar szDescription[261];
    TwChar szType[261];
    TwChar szIpAddress[261];
    TwChar szSubnetMask[261];
    struct NetConfigNode *pNext;
} NetConfigNode;

/* ---- Check_Network ---------------------------------------------------- */
/* Reachable: any HTTP answer came back (a proxy's 502 included). */
typedef struct NetworkResult {
    TwChar szVerdict[261];
    TwChar szNetworkState[261];
} NetworkResult;

/* ---- Check_ShareResource / Repair_ShareResource ----------------------- */
typedef struct ShareResourceNode {
    TwChar szShareName[261];
    TwChar szPath[261];
    TwChar szType[261];
    TwChar szConnections[261];
    TwChar szRemark[261];
    int32_t nSelected;             /* set non-zero to have the repair remove it */
    int32_t nRemoveResult;         /* 0 when gone, else the platform's error code */
    struct ShareResourceNode *pNext;
} ShareResourceNode;

/* ---- Check_InstalledApps ---------------------------------------------- */
typedef struct InstalledAppNode {
    TwChar szDisplayName[261];
    TwChar szPublisher[261];
    struct InstalledAppNode *pNext;
} InstalledAppNode;

/* ---- Check_OsVersion (an extension record: see the ABI policy) ------- */
/* Processor architectures (PROCESSOR_ARCHITECTURE_* of Windows). */
#define TALLOWICK_ARCH_X86 0
#define TALLOWICK_ARCH_AMD64 9
#define TALLOWICK_ARCH_ARM64 12

typedef struct OsVersionResult {
    uint32_t cbSize;               /* bytes this library filled: sizeof here */
    uint32_t nMajorVersion;        /* the true version (10 on Windows 11) */
    uint32_t nMinorVersion;
    uint32_t nBuildNumber;         /* full 32 bits: 22631 */
    uint32_t nRevision;            /* update build revision (UBR), 0 when absent */
    uint32_t nProductType;         /* 1 workstation, 2 domain controller, 3 server */
    uint32_t nNativeArchitecture;  /* TALLOWICK_ARCH_*: the machine's */
    uint32_t nProcessArchitecture; /* TALLOWICK_ARCH_*: the host process's */
    uint32_t nWow64;               /* 1: a 32-bit host on 64-bit Windows (x64 or ARM64) */
    uint32_t dwReserved;           /* 0 */
    uint64_t ullInstallTime;       /* seconds since 1970-01-01 UTC, 0 when unknown */
    uint64_t ullBootTime;          /* likewise */
    TwChar szProductName[128];     /* "Windows 11 Pro", "Windows Server 2022 Datacenter" */
    TwChar szDisplayVersion[32];   /* "23H2", else the release id "1909", else
                                      the service pack text, else empty */
    TwChar szEditionId[64];        /* "Professional", "Core", "ServerDatacenter" */
    TwChar szInstallationType[32]; /* "Client", "Server", "Server Core" */
} OsVersionResult;

/* ---- Check_NetConfigEx (extension records: see the ABI policy) ------- */
/* Address families (AF_* of Windows). */
#define TALLOWICK_AF_INET 2
#define TALLOWICK_AF_INET6 23

/* One address of an adapter: a unicast address, a gateway or a DNS server. */
typedef struct NetAddressNode {
    uint32_t cbSize;               /* bytes this library filled: sizeof here */
    struct NetAddressNode *pNext;
    uint32_t nFamily;              /* TALLOWICK_AF_INET or TALLOWICK_AF_INET6 */
    uint32_t nPrefixLength;        /* unicast addresses: 24 for a /24 (0 in the other lists) */
    TwChar szAddress[64];          /* "192.0.2.2", "fd00::2", "fe80::1%4" (RFC 5952
                                      text, a link-local address with its zone) */
} NetAddressNode;

/* One adapter as GetAdaptersAddresses reports it (both address families).
 * The node owns its three address lists; Release_NetConfigEx frees them. */
typedef struct NetAdapterExNode {
    uint32_t cbSize;               /* bytes this library filled: sizeof here */
    struct NetAdapterExNode *pNext;
    uint32_t nIfType;              /* IANA interface type: 6 Ethernet, 71 Wi-Fi, 24 loopback, ... */
    uint32_t nOperStatus;          /* 1 up, 2 down, 3 testing, 4 unknown, 5 dormant,
                                      6 not present, 7 lower layer down */
    uint32_t nMtu;                 /* bytes */
    uint32_t nDhcpEnabled;         /* 1 when DHCP configures its IPv4 address */
    uint32_t nIfIndex;             /* IPv4 interface index, 0 without IPv4 */
    uint32_t nIpv6IfIndex;         /* IPv6 interface index (the zone of link-local
                                      addresses), 0 without IPv6 */
    uint64_t ullTransmitSpeed;     /* bits per second, 0 when unknown */
    uint64_t ullReceiveSpeed;      /* bits per second, 0 when unknown */
    TwChar szFriendlyName[256];    /* "Ethernet", "Wi-Fi" as the user named it */
    TwChar szDescription[256];     /* "Intel(R) Ethernet Connection I219-V" */
    TwChar szAdapterName[64];      /* the adapter's name, its GUID text in braces */
    TwChar szType[32];             /* nIfType as a word: "Ethernet", "Wi-Fi", "Loopback",
                                      "Tunnel", "PPP", "Mobile broadband", "Other" */
    TwChar szOperStatus[32];       /* "Up", "Down", "Testing", "Unknown", "Dormant",
                                      "Not present", "Lower layer down" */
    TwChar szPhysicalAddress[32];  /* "02-FC-00-1A-2B-3C", empty when none */
    TwChar szDnsSuffix[256];       /* connection-specific DNS suffix, often empty */
    NetAddressNode *pUnicastAddresses;  /* IPv4 and IPv6, in the system's order */
    NetAddressNode *pGateways;
    NetAddressNode *pDnsServers;
} NetAdapterExNode;

/* ---- Check_InstalledAppsEx (an extension list: see the ABI policy) -----
 * Every program that Windows' own list of installed apps shows, one node
 * each, sorted by display name (see the export below for the rules). Each
 * text holds the value as stored, REG_EXPAND_SZ included (not expanded),
 * cut to its field's width less the terminator (never inside a surrogate
 * pair); a value that is missing or not a string gives the empty text. */
#define TALLOWICK_APP_SCOPE_MACHINE 0  /* HKEY_LOCAL_MACHINE's uninstall key */
#define TALLOWICK_APP_SCOPE_USER 1     /* HKEY_CURRENT_USER's uninstall key */

typedef struct InstalledAppExNode {
    uint32_t cbSize;               /* bytes this library filled: sizeof here */
    struct InstalledAppExNode *pNext;
    uint32_t nScope;               /* TALLOWICK_APP_SCOPE_* */
    uint32_t nView;                /* registry view of a machine entry: 64 or
                                      32 (32 on 32-bit Windows); 0 for a user
                                      entry (that key has a single view) */
    uint32_t nInstallDate;         /* szInstallDate as YYYYMMDD (20240131) when
                                      it is exactly 8 digits of a valid date,
                                      else 0 */
    uint32_t nEstimatedSizeKiB;    /* EstimatedSize (REG_DWORD, KiB), 0 when
                                      absent or of another type */
    TwChar szKeyName[256];         /* the entry's key name, often the product code */
    TwChar szDisplayName[260];     /* DisplayName, never empty */
    TwChar szPublisher[260];       /* Publisher */
    TwChar szDisplayVersion[128];  /* DisplayVersion */
    TwChar szInstallDate[32];      /* InstallDate as stored ("20240131") */
    TwChar szInstallLocation[520]; /* InstallLocation */
    TwChar szUninstallString[1024];      /* UninstallString */
    TwChar szQuietUninstallString[1024]; /* QuietUninstallString */
} InstalledAppExNode;

/* ---- Exports (ordinals 1 to 26) ---------------------------------------
 * Each export is declared for linking against the import library and, for a
 * host that loads the DLL at run time, has a function-pointer type of the
 * same signature named PFN_<export> (PFN_Check_SysInfo, ...). The package's
 * tallowick_loader.h loads the DLL and fills a table of them. */
TALLOWICK_API int TALLOWICK_CALL Check_HDD(HddNode **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_HDD)(HddNode **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_HardwareConfig(HardwareConfigResult **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_HardwareConfig)(HardwareConfigResult **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_InstalledApps(InstalledAppNode **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_InstalledApps)(InstalledAppNode **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_NetConfig(NetConfigNode **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_NetConfig)(NetConfigNode **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_NetInfo(NetInfoResult **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_NetInfo)(NetInfoResult **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_Network(NetworkResult **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_Network)(NetworkResult **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_Process(ProcessNode **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_Process)(ProcessNode **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_ShareResource(ShareResourceNode **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_ShareResource)(ShareResourceNode **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Check_SysInfo(SysInfoResult **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_SysInfo)(SysInfoResult **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Release_HDD(HddNode *list);
typedef int (TALLOWICK_CALL *PFN_Release_HDD)(HddNode *list);
TALLOWICK_API int TALLOWICK_CALL Release_HardwareConfig(void *block);
typedef int (TALLOWICK_CALL *PFN_Release_HardwareConfig)(void *block);
TALLOWICK_API int TALLOWICK_CALL Release_InstalledApps(InstalledAppNode *list);
typedef int (TALLOWICK_CALL *PFN_Release_InstalledApps)(InstalledAppNode *list);
TALLOWICK_API int TALLOWICK_CALL Release_NetConfig(NetConfigNode *list);
typedef int (TALLOWICK_CALL *PFN_Release_NetConfig)(NetConfigNode *list);
TALLOWICK_API int TALLOWICK_CALL Release_NetInfo(NetInfoResult *record);
typedef int (TALLOWICK_CALL *PFN_Release_NetInfo)(NetInfoResult *record);
TALLOWICK_API int TALLOWICK_CALL Release_Network(void *record);  /* same entry as Release_HardwareConfig */
typedef int (TALLOWICK_CALL *PFN_Release_Network)(void *record);
TALLOWICK_API int TALLOWICK_CALL Release_Process(ProcessNode *list);
typedef int (TALLOWICK_CALL *PFN_Release_Process)(ProcessNode *list);
TALLOWICK_API int TALLOWICK_CALL Release_ShareResource(ShareResourceNode *list);
typedef int (TALLOWICK_CALL *PFN_Release_ShareResource)(ShareResourceNode *list);
TALLOWICK_API int TALLOWICK_CALL Release_SysInfo(SysInfoResult *record);
typedef int (TALLOWICK_CALL *PFN_Release_SysInfo)(SysInfoResult *record);
TALLOWICK_API int TALLOWICK_CALL Repair_ShareResource(ShareResourceNode *list, CheckCallback callback, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Repair_ShareResource)(ShareResourceNode *list, CheckCallback callback, intptr_t context);
/* Ordinals 20 and 21: the running Windows as it names itself, a single
 * record (count 1). Like every check: 0 on success, 1 when nothing could be
 * built or the result pointer is null; the release returns 1 for null. */
TALLOWICK_API int TALLOWICK_CALL Check_OsVersion(OsVersionResult **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_OsVersion)(OsVersionResult **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Release_OsVersion(OsVersionResult *record);
typedef int (TALLOWICK_CALL *PFN_Release_OsVersion)(OsVersionResult *record);
/* Ordinal 22: the version of the loaded library. Writes each part whose
 * pointer is not null and returns TALLOWICK_MAKE_VERSION(major, minor, patch),
 * so Tallowick_GetVersion(NULL, NULL, NULL) >= TALLOWICK_MAKE_VERSION(1, 0, 0)
 * is a whole comparison. Never fails. */
TALLOWICK_API int TALLOWICK_CALL Tallowick_GetVersion(int *major, int *minor, int *patch);
typedef int (TALLOWICK_CALL *PFN_Tallowick_GetVersion)(int *major, int *minor, int *patch);

/* Ordinals 23 and 24: every network adapter with its addresses, gateways and
 * DNS servers, a list of NetAdapterExNode (count: the adapters). 0 on
 * success (a system without adapters gives an empty list: a null head,
 * count 0); 1 when the system's adapter query fails or memory runs out,
 * with nothing handed over (*result left as it was) and a count of 0, or
 * when the result pointer is null. The release
 * frees the adapters with their address lists and returns 0 (null included). */
TALLOWICK_API int TALLOWICK_CALL Check_NetConfigEx(NetAdapterExNode **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_NetConfigEx)(NetAdapterExNode **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Release_NetConfigEx(NetAdapterExNode *list);
typedef int (TALLOWICK_CALL *PFN_Release_NetConfigEx)(NetAdapterExNode *list);

/* Ordinals 25 and 26: the installed programs as Windows' own list of
 * installed apps has them, from the uninstall key
 * (Software\Microsoft\Windows\CurrentVersion\Uninstall) of the machine, in
 * both registry views on 64-bit Windows, and of the current user. Left out:
 * entries without a DisplayName (or an empty one), system components
 * (SystemComponent a non-zero REG_DWORD), and updates (a ParentKeyName value,
 * or a ReleaseType of "Update", "Hotfix" or "Security Update" in any letter
 * case). No product code is left out by itself. An entry whose key name and
 * display name (both in any letter case) are found in more than one place
 * is listed once, from the first place in this order: the machine's 64-bit
 * view, its 32-bit view, the user's key (a machine-wide installation serves
 * every user and is the one an administrator manages). Sorted by display
 * name, upper-cased unit by unit (ASCII, Latin-1, Latin Extended-A, Greek,
 * Cyrillic and full-width letters; other units as they are) and compared
 * ordinally; entries of equal names keep the order of the places above.
 * *count is the number of nodes; an empty list is a null head and returns 0.
 * Returns 1 when the result pointer is null or the list could not be built
 * (out of memory). The release returns 0, for null too. */
TALLOWICK_API int TALLOWICK_CALL Check_InstalledAppsEx(InstalledAppExNode **result, CheckCallback callback, int *count, intptr_t context);
typedef int (TALLOWICK_CALL *PFN_Check_InstalledAppsEx)(InstalledAppExNode **result, CheckCallback callback, int *count, intptr_t context);
TALLOWICK_API int TALLOWICK_CALL Release_InstalledAppsEx(InstalledAppExNode *list);
typedef int (TALLOWICK_CALL *PFN_Release_InstalledAppsEx)(InstalledAppExNode *list);

/* ---- Layout checks ------------------------------------------------------
 * Fields in their order with the natural alignment of the target: 32-bit
 * Windows (4-byte pointers) or 64-bit Windows (8-byte pointers, so a pointer
 * after a text field may move up to the next multiple of 8).
 * TALLOWICK_AT(x86, x64) picks the figure of the architecture being built. */
#if defined(_WIN32)
#if defined(__cplusplus)
#define TALLOWICK_ASSERT(c, m) static_assert(c, m)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define TALLOWICK_ASSERT(c, m) _Static_assert(c, m)
#else /* C99: a negative array size fails the build */
#define TALLOWICK_CAT2(a, b) a##b
#define TALLOWICK_CAT(a, b) TALLOWICK_CAT2(a, b)
#define TALLOWICK_ASSERT(c, m) typedef char TALLOWICK_CAT(tallowick_layout_, __LINE__)[(c) ? 1 : -1]
#endif
#if defined(_WIN64)
#define TALLOWICK_AT(x86, x64) (x64)
#else
#define TALLOWICK_AT(x86, x64) (x86)
#endif
TALLOWICK_ASSERT(sizeof(TwChar) == 2, "UTF-16 text unit");
TALLOWICK_ASSERT(sizeof(void *) == TALLOWICK_AT(4, 8) && sizeof(intptr_t) == sizeof(void *), "pointer width");

TALLOWICK_ASSERT(offsetof(PagingFileNode, llInitialSize) == 24, "PagingFileNode");
TALLOWICK_ASSERT(offsetof(PagingFileNode, llMaximumSize) == 32, "PagingFileNode");
TALLOWICK_ASSERT(offsetof(PagingFileNode, pNext) == 40, "PagingFileNode");
TALLOWICK_ASSERT(sizeof(PagingFileNode) == 48, "PagingFileNode");

TALLOWICK_ASSERT(offsetof(EnvironmentVariableNode, pszValue) == TALLOWICK_AT(524, 528), "EnvironmentVariableNode");
TALLOWICK_ASSERT(offsetof(EnvironmentVariableNode, pNext) == TALLOWICK_AT(528, 536), "EnvironmentVariableNode");
TALLOWICK_ASSERT(sizeof(EnvironmentVariableNode) == TALLOWICK_AT(532, 544), "EnvironmentVariableNode");

TALLOWICK_ASSERT(offsetof(SysInfoResult, szIeVersion) == 522, "SysInfoResult");
TALLOWICK_ASSERT(offsetof(SysInfoResult, pPagingFiles) == TALLOWICK_AT(1044, 1048), "SysInfoResult");
TALLOWICK_ASSERT(offsetof(SysInfoResult, reserved) == TALLOWICK_AT(1048, 1056), "SysInfoResult");
TALLOWICK_ASSERT(offsetof(SysInfoResult, pEnvironment) == TALLOWICK_AT(3100, 3112), "SysInfoResult");
TALLOWICK_ASSERT(sizeof(SysInfoResult) == TALLOWICK_AT(3104, 3120), "SysInfoResult");

TALLOWICK_ASSERT(offsetof(NetInfoResult, szComment) == 522, "NetInfoResult");
TALLOWICK_ASSERT(offsetof(NetInfoResult, szWorkgroup) == 1044, "NetInfoResult");
TALLOWICK_ASSERT(offsetof(NetInfoResult, szIpAddress) == 1566, "NetInfoResult");
TALLOWICK_ASSERT(sizeof(NetInfoResult) == 1668, "NetInfoResult");

TALLOWICK_ASSERT(offsetof(HardwareConfigResult, szMemory) == 2050, "HardwareConfigResult");
TALLOWICK_ASSERT(offsetof(HardwareConfigResult, szPointingDevice) == 8 * 2050, "HardwareConfigResult");
TALLOWICK_ASSERT(sizeof(HardwareConfigResult) == 9 * 2050, "HardwareConfigResult");

TALLOWICK_ASSERT(offsetof(HddNode, szVolumeLabel) == 10, "HddNode");
TALLOWICK_ASSERT(offsetof(HddNode, ullTotalBytes) == 536, "HddNode");
TALLOWICK_ASSERT(offsetof(HddNode, ullFreeBytes) == 544, "HddNode");
TALLOWICK_ASSERT(offsetof(HddNode, szFragmentation) == 552, "HddNode");
TALLOWICK_ASSERT(offsetof(HddNode, szAdvice) == 1074, "HddNode");
TALLOWICK_ASSERT(offsetof(HddNode, dwReserved) == 1596, "HddNode");
TALLOWICK_ASSERT(offsetof(HddNode, pNext) == 1600, "HddNode");
TALLOWICK_ASSERT(sizeof(HddNode) == 1608, "HddNode");

TALLOWICK_ASSERT(offsetof(ProcessNode, szOwner) == 522, "ProcessNode");
TALLOWICK_ASSERT(offsetof(ProcessNode, nCpuPercent) == 1044, "ProcessNode");
TALLOWICK_ASSERT(offsetof(ProcessNode, szMemory) == 1048, "ProcessNode");
TALLOWICK_ASSERT(offsetof(ProcessNode, pNext) == TALLOWICK_AT(1572, 1576), "ProcessNode");
TALLOWICK_ASSERT(sizeof(ProcessNode) == TALLOWICK_AT(1576, 1584), "ProcessNode");

TALLOWICK_ASSERT(offsetof(NetConfigNode, szType) == 522, "NetConfigNode");
TALLOWICK_ASSERT(offsetof(NetConfigNode, szIpAddress) == 1044, "NetConfigNode");
TALLOWICK_ASSERT(offsetof(NetConfigNode, szSubnetMask) == 1566, "NetConfigNode");
TALLOWICK_ASSERT(offsetof(NetConfigNode, pNext) == 2088, "NetConfigNode");
TALLOWICK_ASSERT(sizeof(NetConfigNode) == TALLOWICK_AT(2092, 2096), "NetConfigNode");

TALLOWICK_ASSERT(offsetof(NetworkResult, szNetworkState) == 522, "NetworkResult");
TALLOWICK_ASSERT(sizeof(NetworkResult) == 1044, "NetworkResult");

TALLOWICK_ASSERT(offsetof(ShareResourceNode, szPath) == 522, "ShareResourceNode");
TALLOWICK_ASSERT(offsetof(ShareResourceNode, szType) == 1044, "ShareResourceNode");
TALLOWICK_ASSERT(offsetof(ShareResourceNode, szConnections) == 1566, "ShareResourceNode");
TALLOWICK_ASSERT(offsetof(ShareResourceNode, szRemark) == 2088, "ShareResourceNode");
TALLOWICK_ASSERT(offsetof(ShareResourceNode, nSelected) == 2612, "ShareResourceNode");
TALLOWICK_ASSERT(offsetof(ShareResourceNode, nRemoveResult) == 2616, "ShareResourceNode");
TALLOWICK_ASSERT(offsetof(ShareResourceNode, pNext) == TALLOWICK_AT(2620, 2624), "ShareResourceNode");
TALLOWICK_ASSERT(sizeof(ShareResourceNode) == TALLOWICK_AT(2624, 2632), "ShareResourceNode");

TALLOWICK_ASSERT(offsetof(InstalledAppNode, szPublisher) == 522, "InstalledAppNode");
TALLOWICK_ASSERT(offsetof(InstalledAppNode, pNext) == TALLOWICK_AT(1044, 1048), "InstalledAppNode");
TALLOWICK_ASSERT(sizeof(InstalledAppNode) == TALLOWICK_AT(1048, 1056), "InstalledAppNode");

/* The same on both architectures: integers first, 64-bit ones 8-aligned. */
TALLOWICK_ASSERT(offsetof(OsVersionResult, cbSize) == 0, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, nMajorVersion) == 4, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, nBuildNumber) == 12, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, nRevision) == 16, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, nProductType) == 20, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, nNativeArchitecture) == 24, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, nProcessArchitecture) == 28, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, nWow64) == 32, "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, ullInstallTime) == TALLOWICK_AT(40, 40), "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, ullBootTime) == TALLOWICK_AT(48, 48), "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, szProductName) == TALLOWICK_AT(56, 56), "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, szDisplayVersion) == TALLOWICK_AT(312, 312), "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, szEditionId) == TALLOWICK_AT(376, 376), "OsVersionResult");
TALLOWICK_ASSERT(offsetof(OsVersionResult, szInstallationType) == TALLOWICK_AT(504, 504), "OsVersionResult");
TALLOWICK_ASSERT(sizeof(OsVersionResult) == TALLOWICK_AT(568, 568), "OsVersionResult");
/* Extension list nodes: cbSize, then pNext (4 or 8 bytes on), integers with
 * the 64-bit ones 8-aligned, texts, the address lists last. */
TALLOWICK_ASSERT(offsetof(NetAddressNode, cbSize) == 0, "NetAddressNode");
TALLOWICK_ASSERT(offsetof(NetAddressNode, pNext) == TALLOWICK_AT(4, 8), "NetAddressNode");
TALLOWICK_ASSERT(offsetof(NetAddressNode, nFamily) == TALLOWICK_AT(8, 16), "NetAddressNode");
TALLOWICK_ASSERT(offsetof(NetAddressNode, nPrefixLength) == TALLOWICK_AT(12, 20), "NetAddressNode");
TALLOWICK_ASSERT(offsetof(NetAddressNode, szAddress) == TALLOWICK_AT(16, 24), "NetAddressNode");
TALLOWICK_ASSERT(sizeof(NetAddressNode) == TALLOWICK_AT(144, 152), "NetAddressNode");

TALLOWICK_ASSERT(offsetof(NetAdapterExNode, cbSize) == 0, "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, pNext) == TALLOWICK_AT(4, 8), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, nIfType) == TALLOWICK_AT(8, 16), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, nOperStatus) == TALLOWICK_AT(12, 20), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, nMtu) == TALLOWICK_AT(16, 24), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, nDhcpEnabled) == TALLOWICK_AT(20, 28), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, nIfIndex) == TALLOWICK_AT(24, 32), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, nIpv6IfIndex) == TALLOWICK_AT(28, 36), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, ullTransmitSpeed) == TALLOWICK_AT(32, 40), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, ullReceiveSpeed) == TALLOWICK_AT(40, 48), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, szFriendlyName) == TALLOWICK_AT(48, 56), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, szDescription) == TALLOWICK_AT(560, 568), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, szAdapterName) == TALLOWICK_AT(1072, 1080), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, szType) == TALLOWICK_AT(1200, 1208), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, szOperStatus) == TALLOWICK_AT(1264, 1272), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, szPhysicalAddress) == TALLOWICK_AT(1328, 1336), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, szDnsSuffix) == TALLOWICK_AT(1392, 1400), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, pUnicastAddresses) == TALLOWICK_AT(1904, 1912), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, pGateways) == TALLOWICK_AT(1908, 1920), "NetAdapterExNode");
TALLOWICK_ASSERT(offsetof(NetAdapterExNode, pDnsServers) == TALLOWICK_AT(1912, 1928), "NetAdapterExNode");
TALLOWICK_ASSERT(sizeof(NetAdapterExNode) == TALLOWICK_AT(1920, 1936), "NetAdapterExNode");

/* Integers first behind the link; the texts start 8-aligned on x64. */
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, cbSize) == 0, "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, pNext) == TALLOWICK_AT(4, 8), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, nScope) == TALLOWICK_AT(8, 16), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, nView) == TALLOWICK_AT(12, 20), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, nInstallDate) == TALLOWICK_AT(16, 24), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, nEstimatedSizeKiB) == TALLOWICK_AT(20, 28), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szKeyName) == TALLOWICK_AT(24, 32), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szDisplayName) == TALLOWICK_AT(536, 544), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szPublisher) == TALLOWICK_AT(1056, 1064), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szDisplayVersion) == TALLOWICK_AT(1576, 1584), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szInstallDate) == TALLOWICK_AT(1832, 1840), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szInstallLocation) == TALLOWICK_AT(1896, 1904), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szUninstallString) == TALLOWICK_AT(2936, 2944), "InstalledAppExNode");
TALLOWICK_ASSERT(offsetof(InstalledAppExNode, szQuietUninstallString) == TALLOWICK_AT(4984, 4992), "InstalledAppExNode");
TALLOWICK_ASSERT(sizeof(InstalledAppExNode) == TALLOWICK_AT(7032, 7040), "InstalledAppExNode");
#undef TALLOWICK_AT
#undef TALLOWICK_ASSERT
#endif

#ifdef __cplusplus
}
#endif

#endif /* TALLOWICK_H */
