# The application shell. The update check's parser needs no display; the
# rest builds the real main window under Xvfb.
if(VANTREL_GUI)
  add_executable(update_parse_tests ${CMAKE_CURRENT_LIST_DIR}/update_parse_test.cpp)
  target_link_libraries(update_parse_tests PRIVATE vantrel_app GTest::gtest_main)
  gtest_discover_tests(update_parse_tests DISCOVERY_MODE PRE_TEST)

  vantrel_gui_test(app_tests
    ${CMAKE_CURRENT_LIST_DIR}/app_test_util.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/navigation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/db_menu_test.cpp
  )
  target_link_libraries(app_tests PRIVATE vantrel_app)
  target_compile_definitions(app_tests PRIVATE VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
