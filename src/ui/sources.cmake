# Operator interface dialogs: Win32 code.
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitizer_info.cpp)
