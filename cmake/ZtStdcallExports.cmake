# i686 only. A WINAPI function is _Name@N in the objects, while the .def files
# name the exports undecorated, as on x86_64 and as every importer and
# GetProcAddress expect them. Left alone, the linker exports both spellings
# of a dllexport'ed function and warns about each fix-up. So each DLL with a
# .def is linked through tools/stdcall-link.sh: from a copy of the .def that
# spells the stdcall functions Name@N, with --kill-at (exports undecorated),
# and with an import library made by dlltool from that copy.
function(zt_stdcall_exports target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(defs ${sources})
  list(FILTER defs INCLUDE REGEX "\\.def$")
  if(NOT defs)
    return()
  endif()
  list(REMOVE_ITEM sources ${defs})
  set_property(TARGET ${target} PROPERTY SOURCES ${sources})
  cmake_path(ABSOLUTE_PATH defs BASE_DIRECTORY ${source_dir} OUTPUT_VARIABLE def)
  set(out ${CMAKE_BINARY_DIR}/exports/${target}.def)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/exports)
  set(launcher sh ${PROJECT_SOURCE_DIR}/tools/stdcall-link.sh ${ZT_TRIPLE} ${def} ${out})
  set_target_properties(${target} PROPERTIES C_LINKER_LAUNCHER "${launcher}" CXX_LINKER_LAUNCHER "${launcher}")
  target_link_options(${target} PRIVATE ${out} -Wl,--kill-at)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${def})
endfunction()

# Every shared library defined under DIR and its subdirectories.
function(zt_stdcall_exports_under dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
      zt_stdcall_exports(${target})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    zt_stdcall_exports_under(${subdir})
  endforeach()
endfunction()
