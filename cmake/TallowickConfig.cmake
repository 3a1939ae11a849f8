# Package config of Tallowick: find_package(Tallowick) gives the imported
# target Tallowick::Tallowick (the 32-bit Windows DLL, its import library and
# the public header) and Tallowick_BIN_DIR, the folder that holds the DLL and
# the message catalogue (common/config/Resource.ini) that must lie beside it.
get_filename_component(_tallowick_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(${CMAKE_FIND_PACKAGE_NAME}_FOUND FALSE)
  set(${CMAKE_FIND_PACKAGE_NAME}_NOT_FOUND_MESSAGE "Tallowick is a 32-bit Windows library; configure a 32-bit build")
  return()
endif()

if(NOT TARGET Tallowick::Tallowick)
  add_library(Tallowick::Tallowick SHARED IMPORTED)
  if(MSVC)
    set(_tallowick_implib "${_tallowick_prefix}/lib/Tallowick.lib")
  else()
    set(_tallowick_implib "${_tallowick_prefix}/lib/Tallowick.dll.a")
  endif()
  set_target_properties(Tallowick::Tallowick PROPERTIES
    IMPORTED_LOCATION "${_tallowick_prefix}/bin/Tallowick.dll"
    IMPORTED_IMPLIB "${_tallowick_implib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_tallowick_prefix}/include")
  unset(_tallowick_implib)
endif()

set(Tallowick_BIN_DIR "${_tallowick_prefix}/bin")
set(Tallowick_INCLUDE_DIR "${_tallowick_prefix}/include")
unset(_tallowick_prefix)
