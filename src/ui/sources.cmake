# Floor: ui, the top. The operator's dialogs and their procedures; may
# include every floor below. The film size texts, the password's stored
# form and the preview's quarter turn are portable, the dialogs Win32.
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/film_sizes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/password_code.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bitmap_turn.cpp)
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/control_locks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitizer_info.cpp
    ${CMAKE_CURRENT_LIST_DIR}/options_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/password_dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_size_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/size_units.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_dialog_fill.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_toggles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_leave.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_timers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_finished.cpp
    ${CMAKE_CURRENT_LIST_DIR}/status_panel.cpp)
