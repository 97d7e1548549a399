# Floor: frame, above res only. The session record and its checks, host
# notifications, memory groups, log, clock, and the owners of the main
# dialog's shared parts: the status line (control 1011 and the progress
# command) and the scan controls. Tests replace the clock and the status
# line's writer.
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_fault.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log.cpp
    ${CMAKE_CURRENT_LIST_DIR}/memgroups.cpp
    ${CMAKE_CURRENT_LIST_DIR}/phase_timing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/record_layout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sysblock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_copy.cpp)
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/dialog_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/instance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/status_line.cpp)
