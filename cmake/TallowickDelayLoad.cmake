# Delay-import libraries for the system DLLs that only some checks use, so
# that loading Tallowick.dll loads none of them: a call into one goes through
# a stub that loads the DLL on first use (mingw-w64's __delayLoadHelper2).
#
# tallowick_delay_import_libs(OUT_VAR DLL...) writes, for each DLL (a base
# name: netapi32), <build>/delayimp/<dll>.def listing every function mingw's
# import library lib<dll>.a has, and a rule that makes lib<dll>_delay.a from
# it with dlltool --output-delaylib. OUT_VAR gets the libraries' paths: link
# them ahead of the ordinary import libraries, and the linker takes the
# delay-loading stubs for every function they name.
function(tallowick_delay_import_libs out_var)
  find_program(TALLOWICK_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)
  find_program(TALLOWICK_NM NAMES ${TOOLCHAIN_PREFIX}-nm REQUIRED)
  set(dir "${CMAKE_BINARY_DIR}/delayimp")
  file(MAKE_DIRECTORY "${dir}")
  set(libs "")
  foreach(dll IN LISTS ARGN)
    find_library(TALLOWICK_IMPLIB_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    set(implib "${TALLOWICK_IMPLIB_${dll}}")
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${implib}")
    execute_process(COMMAND "${TALLOWICK_NM}" -g --defined-only "${implib}"
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE rc ERROR_QUIET)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "cannot read the symbols of ${implib}")
    endif()
    # The functions: the code symbols (T) of the import library's members,
    # without the leading underscore of the x86 build ("_NetApiBufferFree@4").
    string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" functions "${symbols}")
    set(def "; Written by CMake from ${implib}.\nLIBRARY \"${dll}.dll\"\nEXPORTS\n")
    set(seen "")
    foreach(entry IN LISTS functions)
      string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${entry}")
      if(TALLOWICK_ARCH STREQUAL "x86")
        string(REGEX REPLACE "^_" "" name "${name}")
      endif()
      if(name IN_LIST seen)
        continue()
      endif()
      list(APPEND seen "${name}")
      string(APPEND def "    ${name}\n")
    endforeach()
    tallowick_write_if_changed("${dir}/${dll}.def" "${def}")
    # -k: the DLL exports the names without their @N decoration.
    # Run in the folder with a bare output name: dlltool names the delay
    # descriptor after it (__DELAY_IMPORT_DESCRIPTOR_lib<dll>_delay_a), and
    # src/plugin/system_dlls_win.cpp refers to it by that name.
    add_custom_command(OUTPUT "${dir}/lib${dll}_delay.a"
      COMMAND "${TALLOWICK_DLLTOOL}" -k -d "${dll}.def" -D "${dll}.dll" -y "lib${dll}_delay.a"
      WORKING_DIRECTORY "${dir}" DEPENDS "${dir}/${dll}.def" VERBATIM)
    list(APPEND libs "${dir}/lib${dll}_delay.a")
  endforeach()
  add_custom_target(tallowick_delay_import_libs DEPENDS ${libs})
  set(${out_var} "${libs}" PARENT_SCOPE)
endfunction()
