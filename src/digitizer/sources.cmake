# Floor: digitizer, beside imagefile and above frame. The digitizer-side
# helpers that show no dialog: toolkit declarations, binding and table,
# message pumping, unit, resolution and range arithmetic, the line-width
# query, reply words, file version and scan region geometry. Includes
# frame and res only; never imagefile, which shares its floor.
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/toolkit_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/units.cpp
    ${CMAKE_CURRENT_LIST_DIR}/param_rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_region.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_width.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reply_word.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitizer_picture.cpp)
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/toolkit_binding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_version.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pump_messages.cpp)
