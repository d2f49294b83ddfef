# wxWidgets and wxSQLite3 from Debian, wrapped as plain targets.
if(VANTREL_GUI OR VANTREL_FUZZ)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base net xml)
  add_library(vantrel_wx INTERFACE)
  target_include_directories(vantrel_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(vantrel_wx INTERFACE ${wxWidgets_DEFINITIONS})
  separate_arguments(_wx_cxx_flags UNIX_COMMAND "${wxWidgets_CXX_FLAGS}")
  target_compile_options(vantrel_wx INTERFACE ${_wx_cxx_flags})
  target_link_libraries(vantrel_wx INTERFACE ${wxWidgets_LIBRARIES})

  find_package(PkgConfig REQUIRED)
  pkg_check_modules(WXSQLITE3 REQUIRED IMPORTED_TARGET wxsqlite3-3.2)
  # The toolkit under wxGTK, for the program's one style sheet.
  pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
endif()

if(VANTREL_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(VANTREL_BENCH)
  find_package(benchmark REQUIRED)
endif()
