# Model names, byte order and shared constants: no display needed.
if(VANTREL_GUI)
  add_executable(common_tests ${CMAKE_CURRENT_LIST_DIR}/common_test.cpp)
  target_link_libraries(common_tests PRIVATE vantrel_common GTest::gtest_main)
  gtest_discover_tests(common_tests DISCOVERY_MODE PRE_TEST)
endif()
