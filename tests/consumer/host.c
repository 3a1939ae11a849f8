/* A C host of the installed package: checks that stay on this machine, each
 * result read in place and handed back to its release export. */
#include <stdio.h>
#include <wchar.h>

#include <tallowick.h>

static int failures = 0;
#define EXPECT(cond)                                                               \
    do {                                                                           \
        if (!(cond)) {                                                             \
            fprintf(stderr, "consumer_c: failed: %s (line %d)\n", #cond, __LINE__); \
            ++failures;                                                            \
        }                                                                          \
    } while (0)

static int calls = 0;
static int TALLOWICK_CALL on_progress(const TwChar *status, int r2, int r3, int r4, int r5, intptr_t context,
                                      const TwChar *message, int style, int *value) {
    (void)status; (void)message; (void)value;
    EXPECT(r2 == -1 && r3 == -1 && r4 == -1 && r5 == -1);
    EXPECT(context == 0x5157);
    EXPECT(style == 0);
    ++calls;
    return 0;
}

int main(void) {
    SysInfoResult *sys = NULL;
    NetInfoResult *net = NULL;
    HardwareConfigResult *hw = NULL;
    InstalledAppNode *apps = NULL, *app;
    OsVersionResult *os = NULL;
    int count = -1, n = 0, major = 0, minor = 0, patch = 0;

    EXPECT(Check_SysInfo(&sys, NULL, &count, 0) == 0 && sys != NULL);
    if (sys) printf("os: %ls\n", sys->szOsName);
    EXPECT(Release_SysInfo(sys) == 0);

    EXPECT(Check_NetInfo(&net, NULL, &count, 0) == 0 && net != NULL);
    if (net) printf("computer: %ls\n", net->szComputerName);
    EXPECT(Release_NetInfo(net) == 0);

    count = -1;
    EXPECT(Check_HardwareConfig(&hw, on_progress, &count, 0x5157) == 0 && hw != NULL);
    EXPECT(count == 9 || count == 0);
    EXPECT(Release_HardwareConfig(hw) == 0);

    EXPECT(Check_InstalledApps(&apps, NULL, &count, 0) == 0);
    for (app = apps; app; app = app->pNext) ++n;
    EXPECT(n == count);
    EXPECT(Release_InstalledApps(apps) == 0);

    EXPECT(Check_OsVersion(&os, NULL, &count, 0) == 0 && os != NULL && count == 1);
    if (os && TALLOWICK_HAS_FIELD(os, OsVersionResult, szProductName)) {
        printf("system: %ls, build %u.%u\n", os->szProductName, (unsigned)os->nBuildNumber, (unsigned)os->nRevision);
    }
    EXPECT(Release_OsVersion(os) == 0);

    /* The library found is the one the package's header describes. */
    EXPECT(Tallowick_GetVersion(&major, &minor, &patch) == TALLOWICK_VERSION);
    printf("library: %d.%d.%d\n", major, minor, patch);

    if (failures == 0) printf("consumer_c: passed (%d callback calls)\n", calls);
    return failures == 0 ? 0 : 1;
}
