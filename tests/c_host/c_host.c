/* A host written in C99: the public header compiles as C and the import
 * library links. Calls only checks that stay on this machine. */
#include <stdio.h>

#include "tallowick.h"

static int failures = 0;

#define EXPECT(cond)                                                  \
    do {                                                              \
        if (!(cond)) {                                                \
            fprintf(stderr, "c_host: failed: %s (line %d)\n", #cond, __LINE__); \
            ++failures;                                               \
        }                                                             \
    } while (0)

int main(void) {
    SysInfoResult *sys = NULL;
    NetInfoResult *net = NULL;
    InstalledAppNode *apps = NULL;
    OsVersionResult *os = NULL;
    NetAdapterExNode *adapters = NULL;
    const NetAdapterExNode *adapter;
    InstalledAppExNode *appsEx = NULL;
    int count = -1;
    int major = -1, minor = -1, patch = -1;

    EXPECT(Check_SysInfo(&sys, NULL, &count, 0) == 0);
    EXPECT(sys != NULL);
    EXPECT(Release_SysInfo(sys) == 0);

    EXPECT(Check_NetInfo(&net, NULL, NULL, 0) == 0);
    EXPECT(net != NULL);
    EXPECT(Release_NetInfo(net) == 0);

    EXPECT(Check_InstalledApps(&apps, NULL, &count, 0) == 0);
    EXPECT(Release_InstalledApps(apps) == 0);

    EXPECT(Check_InstalledAppsEx(&appsEx, NULL, &count, 0) == 0);
    EXPECT(appsEx == NULL || TALLOWICK_HAS_FIELD(appsEx, InstalledAppExNode, szQuietUninstallString));
    EXPECT(Release_InstalledAppsEx(appsEx) == 0);

    EXPECT(Check_OsVersion(&os, NULL, &count, 0) == 0);
    EXPECT(os != NULL && count == 1);
    EXPECT(TALLOWICK_HAS_FIELD(os, OsVersionResult, szInstallationType));
    EXPECT(os != NULL && os->nMajorVersion >= 5);
    EXPECT(Release_OsVersion(os) == 0);

    EXPECT(Check_NetConfigEx(&adapters, NULL, &count, 0) == 0);
    for (adapter = adapters; adapter; adapter = adapter->pNext) {
        EXPECT(TALLOWICK_HAS_FIELD(adapter, NetAdapterExNode, pDnsServers));
        EXPECT(adapter->pUnicastAddresses == NULL ||
               TALLOWICK_HAS_FIELD(adapter->pUnicastAddresses, NetAddressNode, szAddress));
    }
    EXPECT(Release_NetConfigEx(adapters) == 0);

    EXPECT(Tallowick_GetVersion(&major, &minor, &patch) == TALLOWICK_VERSION);
    EXPECT(major == TALLOWICK_VERSION_MAJOR && minor == TALLOWICK_VERSION_MINOR && patch == TALLOWICK_VERSION_PATCH);

    /* Null pointers from a host never crash the library. */
    EXPECT(Check_OsVersion(NULL, NULL, NULL, 0) == 1);
    EXPECT(Release_OsVersion(NULL) == 1);
    EXPECT(Check_NetConfigEx(NULL, NULL, NULL, 0) == 1);
    EXPECT(Release_NetConfigEx(NULL) == 0);
    EXPECT(Check_InstalledAppsEx(NULL, NULL, NULL, 0) == 1);
    EXPECT(Release_InstalledAppsEx(NULL) == 0);
    EXPECT(Check_Network(NULL, NULL, NULL, 0) == 1);
    EXPECT(Release_SysInfo(NULL) == 1);
    EXPECT(Release_NetInfo(NULL) == 1);
    EXPECT(Release_Network(NULL) == 0);
    EXPECT(Repair_ShareResource(NULL, NULL, 0) == 0);

    if (failures == 0) printf("c_host: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
