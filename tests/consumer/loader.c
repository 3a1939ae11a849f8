/* A C host of the installed package that links no import library: it loads
 * Tallowick.dll at run time through tallowick_loader.h, beside itself. */
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <tallowick_loader.h>

static int failures = 0;
#define EXPECT(cond)                                                                    \
    do {                                                                                \
        if (!(cond)) {                                                                  \
            fprintf(stderr, "consumer_loader: failed: %s (line %d)\n", #cond, __LINE__); \
            ++failures;                                                                 \
        }                                                                               \
    } while (0)

int main(void) {
    wchar_t path[MAX_PATH];
    wchar_t *slash;
    TallowickApi api;
    SysInfoResult *sys = NULL;
    HMODULE kernel;
    int count = -1;

    /* A DLL that is not there: no module, no table, the Windows error. */
    EXPECT(TallowickLoad(&api, L"Z:\\nowhere\\Tallowick.dll") != 0);
    EXPECT(api.module == NULL && api.missing == NULL && api.error != 0 && api.Check_SysInfo == NULL);

    /* A DLL without the exports: the first one in ordinal order is named,
     * and the table gives the module back. */
    kernel = LoadLibraryW(L"kernel32.dll");
    EXPECT(TallowickResolve(&api, kernel) != 0);
    EXPECT(api.module == NULL && api.missing != NULL && api.error == ERROR_PROC_NOT_FOUND);
    if (api.missing) EXPECT(strcmp(api.missing, "Check_HDD") == 0);

    /* The real one, beside this program. */
    GetModuleFileNameW(NULL, path, MAX_PATH);
    slash = wcsrchr(path, L'\\');
    if (slash) wcscpy(slash + 1, L"Tallowick.dll");
    EXPECT(TallowickLoad(&api, path) == 0);
    EXPECT(api.module != NULL && api.missing == NULL && api.error == 0);
    if (api.module) {
#define EXPECT_FOUND(name) EXPECT(api.name != NULL);
        TALLOWICK_FOR_EACH_EXPORT(EXPECT_FOUND)
#undef EXPECT_FOUND
        EXPECT(api.Release_Network == api.Release_HardwareConfig);
        EXPECT(api.Check_SysInfo(&sys, NULL, &count, 0) == 0 && sys != NULL);
        if (sys) printf("os: %ls\n", sys->szOsName);
        EXPECT(api.Release_SysInfo(sys) == 0);
    }
    TallowickUnload(&api);
    EXPECT(api.module == NULL && api.Check_SysInfo == NULL);

    if (failures == 0) printf("consumer_loader: passed\n");
    return failures == 0 ? 0 : 1;
}
