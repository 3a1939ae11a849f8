# The files that list the DLL's exports, written from the one table of them
# (src/plugin/exports.txt: "ordinal name [alias-of]" a line, # comments).
#
# tallowick_generate_exports(TABLE OUTPUT_DIR) writes into OUTPUT_DIR:
#   Tallowick.def        the linker's export list: names, ordinals, aliases
#   tallowick_loader.h   the run-time loader a host includes (shipped in the
#                        package): TallowickApi, a PFN_<name> member per
#                        export, TallowickLoad/TallowickResolve/TallowickUnload,
#                        and TALLOWICK_FOR_EACH_EXPORT(X): X(name) per export,
#                        in ordinal order
# and sets, in the caller's scope, TALLOWICK_EXPORTS_DEF (the .def's path),
# TALLOWICK_LOADER_HEADER (the loader's path) and TALLOWICK_EXPORTS_INCLUDE_DIR
# (OUTPUT_DIR).
# A change to the table re-runs the configure step. The files are rewritten
# only when their text changes, so an unchanged table rebuilds nothing.

# Reads TABLE into <prefix>_NAMES, <prefix>_ORDINALS and <prefix>_TARGETS
# (the entry each name exports: itself, or the export it is an alias of), all
# in table order. Stops the configure step on a malformed table: ordinals not
# 1, 2, 3, ... in order, a name twice, an alias of an unknown name or of an
# alias.
function(tallowick_read_exports table prefix)
  file(STRINGS "${table}" lines)
  set(names "")
  set(ordinals "")
  set(targets "")
  set(expected 1)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+)[ \t]+([A-Za-z_][A-Za-z0-9_]*)([ \t]+([A-Za-z_][A-Za-z0-9_]*))?$")
      message(FATAL_ERROR "${table}: not \"ordinal name [alias-of]\": ${line}")
    endif()
    set(ordinal "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    set(target "${CMAKE_MATCH_4}")
    if(NOT ordinal EQUAL expected)
      message(FATAL_ERROR "${table}: ${name} has ordinal ${ordinal}; the next ordinal is ${expected}")
    endif()
    if(name IN_LIST names)
      message(FATAL_ERROR "${table}: ${name} is listed twice")
    endif()
    if(target STREQUAL "")
      set(target "${name}")
    else()
      list(FIND names "${target}" at)
      if(at EQUAL -1)
        message(FATAL_ERROR "${table}: ${name} is an alias of ${target}, which no line above exports")
      endif()
      list(GET targets ${at} target_of_target)
      if(NOT target_of_target STREQUAL target)
        message(FATAL_ERROR "${table}: ${name} is an alias of ${target}, itself an alias")
      endif()
    endif()
    list(APPEND names "${name}")
    list(APPEND ordinals "${ordinal}")
    list(APPEND targets "${target}")
    math(EXPR expected "${expected} + 1")
  endforeach()
  if(names STREQUAL "")
    message(FATAL_ERROR "${table}: no exports")
  endif()
  set(${prefix}_NAMES "${names}" PARENT_SCOPE)
  set(${prefix}_ORDINALS "${ordinals}" PARENT_SCOPE)
  set(${prefix}_TARGETS "${targets}" PARENT_SCOPE)
endfunction()

# Writes TEXT to PATH unless PATH already holds it (an unchanged file keeps its
# time stamp, so nothing that depends on it is rebuilt).
function(tallowick_write_if_changed path text)
  file(WRITE "${path}.new" "${text}")
  file(COPY_FILE "${path}.new" "${path}" ONLY_IF_DIFFERENT)
  file(REMOVE "${path}.new")
endfunction()

function(tallowick_generate_exports table output_dir)
  set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${table}")
  tallowick_read_exports("${table}" exports)
  file(RELATIVE_PATH source "${CMAKE_SOURCE_DIR}" "${table}")

  set(def "; Written by CMake from ${source}; edit the table, not this file.\n")
  string(APPEND def "LIBRARY \"Tallowick.dll\"\nEXPORTS\n")
  set(each "")
  set(members "")
  set(resolve "")
  foreach(name ordinal target IN ZIP_LISTS exports_NAMES exports_ORDINALS exports_TARGETS)
    if(target STREQUAL name)
      string(APPEND def "    ${name} @${ordinal}\n")
    else()
      string(APPEND def "    ${name} = ${target} @${ordinal}\n")
    endif()
    string(APPEND each "    X(${name}) \\\n")
    string(APPEND members "    PFN_${name} ${name};\n")
    string(APPEND resolve "    api->${name} = (PFN_${name})(void (*)(void))GetProcAddress(module, \"${name}\");\n")
    string(APPEND resolve "    if (!api->${name}) return TallowickLoaderFail_(api, \"${name}\", 0);\n")
  endforeach()
  string(CONFIGURE [=[/*
 * tallowick_loader.h - loads Tallowick.dll at run time and finds every export.
 * Written by CMake from @source@; edit the table, not this file.
 *
 * C99 or later, C++11 or later, as tallowick.h, which it includes. It loads
 * with LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH): pass a full
 * path. Include it instead of linking the import library:
 *
 *     TallowickApi api;
 *     if (TallowickLoad(&api, L"C:\\Tools\\Tallowick.dll") != 0) {
 *         // api.error: the Windows error code; api.missing: the first export
 *         // the DLL lacks (NULL when the DLL itself did not load)
 *     }
 *     SysInfoResult *info = NULL;
 *     int count = 0;
 *     if (api.Check_SysInfo(&info, NULL, &count, 0) == 0 && info) { ... }
 *     api.Release_SysInfo(info);
 *     TallowickUnload(&api);
 *
 * TallowickApi has one member per export, named as the export and typed
 * PFN_<name> (declared in tallowick.h). A load succeeds only when every
 * export was found; otherwise the DLL is freed again and every member is
 * NULL.
 */
#ifndef TALLOWICK_LOADER_H
#define TALLOWICK_LOADER_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "tallowick.h"

#ifdef __cplusplus
extern "C" {
#endif

/* X(name) once for each export, in ordinal order. */
#define TALLOWICK_FOR_EACH_EXPORT(X) \
@each@    /* end */

typedef struct TallowickApi {
    HMODULE module;        /* the loaded DLL, NULL when not loaded */
    DWORD error;           /* 0, or why the last load failed (a Windows error code) */
    const char *missing;   /* the first export not found, or NULL */
@members@} TallowickApi;

#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 199901L)
#define TALLOWICK_LOADER_FN static inline
#else
#define TALLOWICK_LOADER_FN static __inline
#endif

TALLOWICK_LOADER_FN int TallowickLoaderFail_(TallowickApi *api, const char *missing, DWORD error) {
    HMODULE module = api->module;
    ZeroMemory(api, sizeof *api);
    if (module) FreeLibrary(module);
    api->missing = missing;
    api->error = missing ? ERROR_PROC_NOT_FOUND : error;
    return 1;
}

/* Fills `api` from a module the host loaded itself; the table then owns
 * the module (TallowickUnload frees it, and so does a failed resolve).
 * Returns 0 when every export was found, else 1 (see api->missing). */
TALLOWICK_LOADER_FN int TallowickResolve(TallowickApi *api, HMODULE module) {
    ZeroMemory(api, sizeof *api);
    api->module = module;
    if (!module) return TallowickLoaderFail_(api, NULL, ERROR_INVALID_HANDLE);
@resolve@    return 0;
}

/* Loads the DLL at `path` (its folder searched first for what it needs) and
 * fills `api`. Returns 0 when every export was found, else 1 with
 * api->error set (ERROR_BAD_EXE_FORMAT: a DLL of the other architecture;
 * ERROR_PROC_NOT_FOUND: api->missing names the export it lacks). */
TALLOWICK_LOADER_FN int TallowickLoad(TallowickApi *api, const wchar_t *path) {
    HMODULE module = LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
        DWORD error = GetLastError();
        ZeroMemory(api, sizeof *api);
        return TallowickLoaderFail_(api, NULL, error ? error : ERROR_MOD_NOT_FOUND);
    }
    return TallowickResolve(api, module);
}

/* Frees the DLL (if loaded) and clears the table. */
TALLOWICK_LOADER_FN void TallowickUnload(TallowickApi *api) {
    HMODULE module = api->module;
    ZeroMemory(api, sizeof *api);
    if (module) FreeLibrary(module);
}

#ifdef __cplusplus
}
#endif

#endif /* TALLOWICK_LOADER_H */
]=] loader @ONLY)

  tallowick_write_if_changed("${output_dir}/Tallowick.def" "${def}")
  tallowick_write_if_changed("${output_dir}/tallowick_loader.h" "${loader}")
  set(TALLOWICK_EXPORTS_DEF "${output_dir}/Tallowick.def" PARENT_SCOPE)
  set(TALLOWICK_LOADER_HEADER "${output_dir}/tallowick_loader.h" PARENT_SCOPE)
  set(TALLOWICK_EXPORTS_INCLUDE_DIR "${output_dir}" PARENT_SCOPE)
endfunction()
