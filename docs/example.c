/* example.c - a small host of Tallowick.dll in C.
 *
 * Lists the fixed drives with a progress callback that stops the survey when
 * the user asks, then the system's environment, and hands every result back
 * to its release export. Build with the package's CMake config:
 *     find_package(Tallowick REQUIRED)
 *     add_executable(example example.c)
 *     target_link_libraries(example PRIVATE Tallowick::Tallowick)
 * and put Tallowick.dll and its common\config\Resource.ini beside example.exe.
 *
 * The library's texts are UTF-16 and may hold any script (the progress texts
 * are Chinese). wprintf in the C runtime's default locale drops what the
 * locale cannot carry, so this host formats each line into a wide buffer and
 * writes it itself: WriteConsoleW to a console, UTF-8 bytes to a file or pipe.
 */
#include <stdarg.h>
#include <stdio.h>
#include <wchar.h>

#include <windows.h>
#include <tallowick.h>

/* Writes one formatted line of wide text to standard output. */
static void say(const wchar_t *format, ...) {
    wchar_t line[2048];
    char bytes[3 * 2048];
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode, written;
    va_list args;
    int length, size;

    va_start(args, format);
    length = vswprintf(line, sizeof line / sizeof line[0], format, args);
    va_end(args);
    if (length < 0) length = (int)wcslen(line);       /* cut at the buffer's end */
    if (out == NULL || out == INVALID_HANDLE_VALUE) return;
    if (GetConsoleMode(out, &mode)) {                  /* a console takes UTF-16 */
        WriteConsoleW(out, line, (DWORD)length, &written, NULL);
        return;
    }
    size = WideCharToMultiByte(CP_UTF8, 0, line, length, bytes, (int)sizeof bytes, NULL, NULL);
    if (size > 0) WriteFile(out, bytes, (DWORD)size, &written, NULL);
}

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
        say(L"  ... %ls\n", status);
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
        say(L"%d fixed drive(s)\n", count);
        for (d = drives; d; d = d->pNext) {
            say(L"  %ls  %llu of %llu bytes free  %ls %ls\n", d->szRootPath,
                    (unsigned long long)d->ullFreeBytes, (unsigned long long)d->ullTotalBytes,
                    d->szFragmentation, d->szAdvice);
        }
    }
    Release_HDD(drives);              /* exactly once; also fine with NULL */

    if (Check_SysInfo(&sys, NULL, &count, 0) == 0) {
        say(L"%ls, Internet Explorer %ls\n", sys->szOsName, sys->szIeVersion);
        for (v = sys->pEnvironment; v; v = v->pNext) say(L"  %ls=%ls\n", v->szName, v->pszValue);
        Release_SysInfo(sys);         /* frees the record and both lists it owns */
    }
    return 0;
}
