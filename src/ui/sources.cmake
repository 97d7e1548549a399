# Operator interface: the film size texts and the password's stored form are
# portable, the dialogs Win32.
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/film_sizes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/password_code.cpp)
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/control_locks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitizer_info.cpp
    ${CMAKE_CURRENT_LIST_DIR}/options_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/password_dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_size_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/size_units.cpp)
