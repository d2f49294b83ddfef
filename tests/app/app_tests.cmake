# The application shell: the real main window under Xvfb, and the update
# check's parser.
if(VANTREL_GUI AND TARGET vantrel_appfixture)
  vantrel_gui_test(app_tests ${CMAKE_CURRENT_LIST_DIR}/app_test.cpp)
  target_link_libraries(app_tests PRIVATE vantrel_appfixture)
endif()

# Every page and dialog as GTK lays it out.
if(VANTREL_GUI AND TARGET vantrel_appfixture AND TARGET vantrel_panels)
  vantrel_gui_test(layout_tests ${CMAKE_CURRENT_LIST_DIR}/layout_test.cpp)
  target_link_libraries(layout_tests PRIVATE vantrel_appfixture vantrel_testmodule vantrel_panels PkgConfig::GTK3)
endif()
