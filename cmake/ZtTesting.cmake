# GoogleTest built for Windows from Debian's sources, and helpers to add test
# programs that ctest runs under Wine.

set(ZT_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ZT_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# zt_add_gtest(NAME SOURCES ... [LIBS ...] [LOCKS ...] [TIMEOUT s])
# One ctest test per program. LOCKS names shared resources (the virtual
# panel, the registry settings, the context windows seen across processes)
# so ctest never runs two tests that use one of them at the same time.
function(zt_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${ARG_LOCKS}")
  endif()
endfunction()

# zt_add_script_test(NAME SCRIPT [LOCKS ...]): a JScript or VBScript file run
# by cscript in the prefix (tools/run-script.sh). It passes only when the
# script exits 0 and its last line is "PASS": Wine's cscript ends a script
# that broke with status 0 and prints nothing, so the exit code alone cannot
# be trusted.
function(zt_add_script_test name script)
  cmake_parse_arguments(ARG "" "" "LOCKS" ${ARGN})
  add_test(NAME ${name}
    COMMAND ${ZT_WINE_RUN} sh ${PROJECT_SOURCE_DIR}/tools/run-script.sh ${CMAKE_BINARY_DIR}/bin ${script})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
  if(ARG_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${ARG_LOCKS}")
  endif()
endfunction()
