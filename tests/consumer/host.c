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
    int count = -1, n = 0;

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

    if (failures == 0) printf("consumer_c: passed (%d callback calls)\n", calls);
    return failures == 0 ? 0 : 1;
}
