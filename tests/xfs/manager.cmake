# Tests of the XFS manager msxfs.dll, with a provider whose behaviour each
# test sets. They write their own logical services into HKLM\SOFTWARE\XFS,
# hence the panel lock (the XFS configuration is shared with the panel).
if(TARGET msxfs)
  add_library(fake_provider SHARED fake_provider.cpp)
  set_target_properties(fake_provider PROPERTIES PREFIX "")
  target_compile_definitions(fake_provider PRIVATE ZT_BUILDING_FAKE_PROVIDER)
  target_link_libraries(fake_provider PRIVATE msxfs)

  add_library(zt_manager_test_support STATIC manager_test_support.cpp)
  target_link_libraries(zt_manager_test_support PUBLIC msxfs fake_provider zt_test_pump GTest::gtest)

  zt_add_gtest(xfs_buffer_test SOURCES xfs_buffer_test.cpp LIBS msxfs)
  zt_add_gtest(xfs_manager_test SOURCES xfs_manager_test.cpp
    LIBS zt_manager_test_support advapi32 LOCKS panel)
  zt_add_gtest(xfs_manager_sync_test SOURCES xfs_manager_sync_test.cpp
    LIBS zt_manager_test_support advapi32 LOCKS panel)
endif()

# Figures, not a test: build-<name>/wine-run.sh build-<name>/bin/xfs_manager_bench.exe
if(TARGET msxfs)
  add_executable(xfs_manager_bench xfs_manager_bench.cpp)
  target_link_libraries(xfs_manager_bench PRIVATE zt_manager_test_support advapi32)
endif()
