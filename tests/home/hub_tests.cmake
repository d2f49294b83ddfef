# The hub, the progress wait and the scan: window-free logic tests, the probe
# loop against test modules, and end-to-end tests under Xvfb.
if(TARGET vantrel_home AND TARGET vantrel_app)
  add_executable(hub_logic_tests ${CMAKE_CURRENT_LIST_DIR}/hub_logic_test.cpp)
  target_link_libraries(hub_logic_tests PRIVATE vantrel_home vantrel_testmodule GTest::gtest_main)
  gtest_discover_tests(hub_logic_tests DISCOVERY_MODE PRE_TEST)

  add_executable(scan_probe_tests ${CMAKE_CURRENT_LIST_DIR}/scan_probe_test.cpp)
  target_link_libraries(scan_probe_tests PRIVATE vantrel_scan_probe vantrel_testmodule GTest::gtest_main)
  gtest_discover_tests(scan_probe_tests DISCOVERY_MODE PRE_TEST)

  set(_hub_test_defs
    VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VANTREL_ARTIFACTS_DIR="${CMAKE_BINARY_DIR}/artifacts")

  vantrel_gui_test(hub_gui_tests
    ${CMAKE_CURRENT_LIST_DIR}/hub_gui_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hub_test_util.cpp)
  target_link_libraries(hub_gui_tests PRIVATE vantrel_app vantrel_home vantrel_testmodule)
  target_compile_definitions(hub_gui_tests PRIVATE ${_hub_test_defs})

  # The scan probes the fixed configuration port 65000 on 127.0.0.1 to
  # 127.0.0.6: its tests take that port's lock, so no two run at once.
  add_executable(scan_gui_tests
    ${CMAKE_CURRENT_LIST_DIR}/scan_gui_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hub_test_util.cpp)
  target_link_libraries(scan_gui_tests PRIVATE vantrel_guitest vantrel_app vantrel_home vantrel_testmodule)
  target_compile_definitions(scan_gui_tests PRIVATE ${_hub_test_defs})
  set_target_properties(scan_gui_tests PROPERTIES CROSSCOMPILING_EMULATOR ${VANTREL_XVFB_WRAPPER})
  gtest_discover_tests(scan_gui_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS gui RESOURCE_LOCK port65000)
endif()
