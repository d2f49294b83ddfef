# Helpers shared by every page: constants, fonts, model names, byte order.
add_library(vantrel_common STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Common.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ByteOrder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CompactStyle.cpp
)
target_include_directories(vantrel_common PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vantrel_common PUBLIC vantrel_wx PRIVATE PkgConfig::GTK3)
