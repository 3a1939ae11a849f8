# cmake -DTABLE=<src/plugin/exports.txt> -DHEADER=<include/tallowick.h> -P check_header_exports.cmake
# The public header, written by hand, declares exactly the exports of the
# table: every function it declares with TALLOWICK_API is in the table, every
# name of the table is declared with its function-pointer type PFN_<name> of
# the same signature, and its heading "ordinals 1 to N" counts them.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/../cmake/TallowickExports.cmake")
tallowick_read_exports("${TABLE}" table)

file(READ "${HEADER}" text)
set(failed FALSE)
set(declared "")
string(REGEX MATCHALL "TALLOWICK_API[^;(]*TALLOWICK_CALL[ \t\r\n]+[A-Za-z_][A-Za-z0-9_]*[ \t\r\n]*\\("
       declarations "${text}")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE ".*TALLOWICK_CALL[ \t\r\n]+([A-Za-z_][A-Za-z0-9_]*).*" "\\1" name "${declaration}")
  list(APPEND declared "${name}")
endforeach()

# Every declaration has its function-pointer type PFN_<name>, with the same
# return type and parameters, and there is no other PFN_ type.
set(typed "")
string(REGEX MATCHALL "typedef[^;]*PFN_[A-Za-z0-9_]+\\)[^;]*" pfns "${text}")
foreach(pfn IN LISTS pfns)
  string(REGEX REPLACE "^typedef[ \t\r\n]+([^(]*[^( \t\r\n])[ \t\r\n]*\\(TALLOWICK_CALL[ \t\r\n]*\\*[ \t\r\n]*PFN_([A-Za-z0-9_]+)\\)[ \t\r\n]*(\\([^;]*\\))$"
         "\\2;\\1 \\3" parts "${pfn}")
  list(GET parts 0 name)
  list(GET parts 1 pfn_signature)
  list(APPEND typed "${name}")
  string(REGEX MATCH "TALLOWICK_API[ \t\r\n]+[^;(]*TALLOWICK_CALL[ \t\r\n]+${name}[ \t\r\n]*\\([^;]*\\);" declaration "${text}")
  string(REGEX REPLACE "^TALLOWICK_API[ \t\r\n]+([^;(]*[^ \t\r\n])[ \t\r\n]+TALLOWICK_CALL[ \t\r\n]+${name}[ \t\r\n]*(\\([^;]*\\));$"
         "\\1 \\2" declared_signature "${declaration}")
  if(NOT declaration)
    message(SEND_ERROR "${HEADER} has PFN_${name}, but declares no export ${name}")
    set(failed TRUE)
  elseif(NOT pfn_signature STREQUAL declared_signature)
    message(SEND_ERROR "${HEADER}: PFN_${name} is \"${pfn_signature}\", the export \"${declared_signature}\"")
    set(failed TRUE)
  endif()
endforeach()
foreach(name IN LISTS table_NAMES)
  if(NOT name IN_LIST typed)
    message(SEND_ERROR "${HEADER} has no function-pointer type PFN_${name}")
    set(failed TRUE)
  endif()
endforeach()

foreach(name IN LISTS declared)
  if(NOT name IN_LIST table_NAMES)
    message(SEND_ERROR "${HEADER} declares ${name}, which ${TABLE} does not export")
    set(failed TRUE)
  endif()
endforeach()
foreach(name IN LISTS table_NAMES)
  if(NOT name IN_LIST declared)
    message(SEND_ERROR "${TABLE} exports ${name}, which ${HEADER} does not declare")
    set(failed TRUE)
  endif()
endforeach()
list(LENGTH table_NAMES count)
if(text MATCHES "ordinals 1 to ([0-9]+)" AND NOT CMAKE_MATCH_1 EQUAL count)
  message(SEND_ERROR "${HEADER} speaks of ordinals 1 to ${CMAKE_MATCH_1}; ${TABLE} has ${count}")
  set(failed TRUE)
endif()
if(NOT failed)
  message(STATUS "the header declares the ${count} exports of the table, each with its PFN_ type")
endif()
