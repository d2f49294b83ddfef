# The application shell: main window, navigation, bars, menu commands, login,
# update check. The application class (src/Main.cpp) alone makes the
# executable, so that tests can build the real main window in their own
# process.
add_library(vantrel_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowNavigation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VantrelMenuBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DbMenuCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VantrelToolBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoginDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Pages.cpp
)
target_include_directories(vantrel_app PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# vantrel_home (src/home, added after this folder) holds the start page that
# the main window builds, and its pages call the main window back: the two
# static libraries need each other. Linking by name works whatever the order
# of the folders; CMake repeats the pair on the link line to close the cycle.
target_link_libraries(vantrel_app PUBLIC
  vantrel_common vantrel_db vantrel_protocol_wx vantrel_wx vantrel_home)
