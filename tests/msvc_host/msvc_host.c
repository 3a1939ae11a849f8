/* A host built the way an MSVC host is built: clang in MSVC mode compiles it
 * against the public header (its _MSC_VER branch), lld-link links it against
 * the MSVC-style import library Tallowick.lib. No C runtime exists for that
 * here, so the host is freestanding: its own entry point, kernel32 only, and
 * nothing that would make the compiler call memset or memcpy. It checks the
 * calling convention and the record layout from the host's side: the
 * results' fields must be where the header says. */
#include "tallowick.h"

/* The few kernel32 functions the host needs, declared here: the host takes
 * nothing from a Windows SDK but the public header's own includes. */
typedef void *HANDLE;
typedef unsigned long DWORD;
#define STD_OUTPUT_HANDLE ((DWORD)-11)
__declspec(dllimport) HANDLE __stdcall GetStdHandle(DWORD which);
__declspec(dllimport) int __stdcall WriteFile(HANDLE file, const void *data, DWORD length, DWORD *written,
                                              void *overlapped);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);

static int failures = 0;

static void Say(const char *text) {
    DWORD written = 0;
    DWORD length = 0;
    while (text[length]) ++length;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, length, &written, NULL);
}

static void Expect(int ok, const char *what) {
    if (!ok) {
        Say("msvc_host: failed: ");
        Say(what);
        Say("\r\n");
        ++failures;
    }
}

static int IsTerminated(const TwChar *text, int width) {
    int i;
    for (i = 0; i < width; ++i) {
        if (text[i] == 0) return 1;
    }
    return 0;
}

static int calls = 0;
static intptr_t seenContext = 0;

static int TALLOWICK_CALL StopAtOnce(const TwChar *status, int r2, int r3, int r4, int r5, intptr_t context,
                                     const TwChar *message, int style, int *value) {
    (void)status;
    (void)message;
    (void)value;
    ++calls;
    seenContext = context;
    Expect(r2 == -1 && r3 == -1 && r4 == -1 && r5 == -1 && style == 0, "callback arguments");
    return 1;
}

int HostMain(void) {
    SysInfoResult *sys = NULL;
    NetInfoResult *net = NULL;
    HardwareConfigResult *hw = NULL;
    InstalledAppNode *apps = NULL;
    InstalledAppExNode *appsEx = NULL;
    OsVersionResult *os = NULL;
    int count = -1;
    int major = -1, minor = -1, patch = -1;

    Expect(Check_SysInfo(&sys, NULL, &count, 0) == 0 && sys != NULL, "Check_SysInfo");
    if (sys) {
        Expect(IsTerminated(sys->szOsName, 261) && sys->szOsName[0] != 0, "SysInfoResult.szOsName");
        Expect(IsTerminated(sys->szIeVersion, 261), "SysInfoResult.szIeVersion");
        Expect(count >= 2, "Check_SysInfo count");
    }
    Expect(Release_SysInfo(sys) == 0, "Release_SysInfo");

    Expect(Check_NetInfo(&net, NULL, &count, 0) == 0 && net != NULL && count == 4, "Check_NetInfo");
    if (net) {
        Expect(net->szComputerName[0] != 0 && IsTerminated(net->szIpAddress, 51), "NetInfoResult fields");
    }
    Expect(Release_NetInfo(net) == 0, "Release_NetInfo");

    /* The callback crosses in both directions with the context intact. */
    Expect(Check_HardwareConfig(&hw, StopAtOnce, &count, (intptr_t)0x1234) == 0 && hw != NULL,
           "Check_HardwareConfig");
    Expect(calls == 1 && seenContext == (intptr_t)0x1234 && count == 0, "hardware callback stopped the report");
    if (hw) Expect(hw->szProcessor[0] == 0 && hw->szPointingDevice[0] == 0, "stopped report is empty");
    Expect(Release_HardwareConfig(hw) == 0, "Release_HardwareConfig");

    Expect(Check_InstalledApps(&apps, NULL, &count, 0) == 0, "Check_InstalledApps");
    Expect(Release_InstalledApps(apps) == 0, "Release_InstalledApps");

    /* The extended list: cbSize first, pNext right behind it. */
    Expect(Check_InstalledAppsEx(&appsEx, NULL, &count, 0) == 0, "Check_InstalledAppsEx");
    Expect(offsetof(InstalledAppExNode, pNext) == sizeof(void *), "InstalledAppExNode.pNext");
    if (appsEx) Expect(appsEx->cbSize == sizeof(InstalledAppExNode), "InstalledAppExNode.cbSize");
    Expect(Release_InstalledAppsEx(appsEx) == 0 && Release_InstalledAppsEx(NULL) == 0, "Release_InstalledAppsEx");

    /* The extension record: its size first, its numbers and texts where the
       header says, the same on both architectures. */
    Expect(Check_OsVersion(&os, NULL, &count, 0) == 0 && os != NULL && count == 1, "Check_OsVersion");
    if (os) {
        Expect(os->cbSize == sizeof(OsVersionResult) && sizeof(OsVersionResult) == 568, "OsVersionResult.cbSize");
        Expect(TALLOWICK_HAS_FIELD(os, OsVersionResult, szInstallationType), "OsVersionResult fields covered");
        Expect(os->nMajorVersion >= 5 && os->nBuildNumber > 0, "OsVersionResult version");
        Expect(IsTerminated(os->szProductName, 128) && os->szProductName[0] != 0 &&
                   IsTerminated(os->szInstallationType, 32) && os->szInstallationType[0] != 0,
               "OsVersionResult texts");
        Expect(os->nProcessArchitecture == (sizeof(void *) == 8 ? 9u : 0u), "OsVersionResult process architecture");
    }
    Expect(Release_OsVersion(os) == 0 && Release_OsVersion(NULL) == 1, "Release_OsVersion");
    Expect(Tallowick_GetVersion(&major, &minor, &patch) == TALLOWICK_VERSION && major == TALLOWICK_VERSION_MAJOR &&
               minor == TALLOWICK_VERSION_MINOR && patch == TALLOWICK_VERSION_PATCH,
           "Tallowick_GetVersion");

    Expect(Check_Network(NULL, NULL, NULL, 0) == 1, "null result");
    Expect(Release_SysInfo(NULL) == 1 && Release_Network(NULL) == 0, "null releases");

    Say(failures == 0 ? "msvc_host: all checks passed\r\n" : "msvc_host: FAILED\r\n");
    ExitProcess(failures == 0 ? 0 : 1);
}
