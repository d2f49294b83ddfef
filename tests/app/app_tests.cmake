# The application shell: the real main window under Xvfb, and the update
# check's parser.
if(VANTREL_GUI AND TARGET vantrel_appfixture)
  vantrel_gui_test(app_tests ${CMAKE_CURRENT_LIST_DIR}/app_test.cpp)
  target_link_libraries(app_tests PRIVATE vantrel_appfixture)
endif()
