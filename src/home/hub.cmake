# The module hub, the progress wait of every module read, and the scan page.
# The scan's probe loop needs no window: the benchmark links it alone.
add_library(vantrel_scan_probe STATIC ${CMAKE_CURRENT_LIST_DIR}/ScanProbe.cpp)
target_include_directories(vantrel_scan_probe PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vantrel_scan_probe PUBLIC vantrel_protocol)

target_sources(vantrel_home PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HubLogic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandProgressWait.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VantrelPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanDevicesThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VantrelScanPanel.cpp
)
target_link_libraries(vantrel_home PUBLIC vantrel_scan_probe)
