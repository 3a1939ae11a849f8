# cmake -DTABLE=<src/plugin/exports.txt> -DHEADER=<include/tallowick.h> -P check_header_exports.cmake
# The public header, written by hand, declares exactly the exports of the
# table: every function it declares with TALLOWICK_API is in the table, every
# name of the table is declared, and its heading "ordinals 1 to N" counts them.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/../cmake/TallowickExports.cmake")
tallowick_read_exports("${TABLE}" table)

file(READ "${HEADER}" text)
set(declared "")
string(REGEX MATCHALL "TALLOWICK_API[^;(]*TALLOWICK_CALL[ \t\r\n]+[A-Za-z_][A-Za-z0-9_]*[ \t\r\n]*\\("
       declarations "${text}")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE ".*TALLOWICK_CALL[ \t\r\n]+([A-Za-z_][A-Za-z0-9_]*).*" "\\1" name "${declaration}")
  list(APPEND declared "${name}")
endforeach()

set(failed FALSE)
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
  message(STATUS "the header declares the ${count} exports of the table")
endif()
