list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/toolkit_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/units.cpp
    ${CMAKE_CURRENT_LIST_DIR}/param_rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_region.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_width.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reply_word.cpp)
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/toolkit_binding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_version.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pump_messages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/warmup_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scanner_init.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_lists.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_controls.cpp
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
