/* example.c - a small host of Tallowick.dll in C.
 *
 * Lists the fixed drives with a progress callback that stops the survey when
 * the user asks, then the system's environment, and hands every result back
 * to its release export. Build with the package's CMake config:
 *     find_package(Tallowick REQUIRED)
 *     add_executable(example example.c)
 *     target_link_libraries(example PRIVATE Tallowick::Tallowick)
 * and put Tallowick.dll and its common\config\Resource.ini beside example.exe.
 */
#include <stdio.h>
#include <wchar.h>

#include <tallowick.h>

struct progress {
    int texts;       /* progress texts shown */
    int stop;        /* set by the host's UI to ask the library to stop */
};

/* Called on the thread that called the check, from inside it. */
static int TALLOWICK_CALL on_callback(const TwChar *status, int r2, int r3, int r4, int r5,
                                      intptr_t context, const TwChar *message, int style,
                                      int *value) {
    struct progress *p = (struct progress *)context;  /* our own context value, unchanged */
    (void)r2; (void)r3; (void)r4; (void)r5; (void)message; (void)style; (void)value;
    if (status && *status) {          /* a progress text: "正在分析: C:\ ..." */
        wprintf(L"  ... %ls\n", status);
        p->texts++;
    }
    return p->stop;                   /* non-zero asks the running check to stop */
}

int main(void) {
    struct progress progress = {0, 0};
    HddNode *drives = NULL, *d;
    SysInfoResult *sys = NULL;
    EnvironmentVariableNode *v;
    int count = 0;

    if (Check_HDD(&drives, on_callback, &count, (intptr_t)&progress) == 0) {
        wprintf(L"%d fixed drive(s)\n", count);
        for (d = drives; d; d = d->pNext) {
            wprintf(L"  %ls  %llu of %llu bytes free  %ls %ls\n", d->szRootPath,
                    (unsigned long long)d->ullFreeBytes, (unsigned long long)d->ullTotalBytes,
                    d->szFragmentation, d->szAdvice);
        }
    }
    Release_HDD(drives);              /* exactly once; also fine with NULL */

    if (Check_SysInfo(&sys, NULL, &count, 0) == 0) {
        wprintf(L"%ls, Internet Explorer %ls\n", sys->szOsName, sys->szIeVersion);
        for (v = sys->pEnvironment; v; v = v->pNext) wprintf(L"  %ls=%ls\n", v->szName, v->pszValue);
        Release_SysInfo(sys);         /* frees the record and both lists it owns */
    }
    return 0;
}
