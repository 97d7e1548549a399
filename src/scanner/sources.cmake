# Floor: scanner, above pipeline. The main dialog's command layer: start-up,
# scan programming and its lists, parameter synchronisation with the host,
# the scan commands with film feeding, warm-up, calibration and system-test
# windows. Includes pipeline, imagefile, digitizer, frame and res; never ui.
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/warmup_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scanner_init.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_lists.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_params.cpp
    ${CMAKE_CURRENT_LIST_DIR}/param_sync.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitizer_wait.cpp
    ${CMAKE_CURRENT_LIST_DIR}/film_feed.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_start.cpp
    ${CMAKE_CURRENT_LIST_DIR}/auto_size.cpp
    ${CMAKE_CURRENT_LIST_DIR}/prescan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/batch_scan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diag_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calibration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/system_test.cpp)
