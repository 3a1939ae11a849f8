# The files that list the DLL's exports, written from the one table of them
# (src/plugin/exports.txt: "ordinal name [alias-of]" a line, # comments).
#
# tallowick_generate_exports(TABLE OUTPUT_DIR) writes into OUTPUT_DIR:
#   Tallowick.def        the linker's export list: names, ordinals, aliases
#   tallowick_exports.h  TALLOWICK_FOR_EACH_EXPORT(X): X(name) per export, in
#                        ordinal order
# and sets, in the caller's scope, TALLOWICK_EXPORTS_DEF (the .def's path)
# and TALLOWICK_EXPORTS_INCLUDE_DIR (OUTPUT_DIR).
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
  set(header "// Written by CMake from ${source}; edit the table, not this file.\n")
  string(APPEND header "// The DLL's exports in ordinal order, for code that finds them at run time\n")
  string(APPEND header "// (the host, the benchmarks, the tests): X(name) once for each.\n")
  string(APPEND header "#pragma once\n\n#define TALLOWICK_FOR_EACH_EXPORT(X) \\\n")
  foreach(name ordinal target IN ZIP_LISTS exports_NAMES exports_ORDINALS exports_TARGETS)
    if(target STREQUAL name)
      string(APPEND def "    ${name} @${ordinal}\n")
    else()
      string(APPEND def "    ${name} = ${target} @${ordinal}\n")
    endif()
    string(APPEND header "    X(${name}) \\\n")
  endforeach()
  string(APPEND header "    /* end */\n")

  tallowick_write_if_changed("${output_dir}/Tallowick.def" "${def}")
  tallowick_write_if_changed("${output_dir}/tallowick_exports.h" "${header}")
  set(TALLOWICK_EXPORTS_DEF "${output_dir}/Tallowick.def" PARENT_SCOPE)
  set(TALLOWICK_EXPORTS_INCLUDE_DIR "${output_dir}" PARENT_SCOPE)
endfunction()
