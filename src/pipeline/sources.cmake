# Floor: pipeline, above imagefile and digitizer. The file and memory scan
# pipelines, the preview resampler and bitmaps, the translation tables and
# the preview area. Reaches the main dialog only through frame's owners
# (status line, scan controls) and command messages; never includes
# scanner or ui.
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/table_select.cpp)
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/rsz_resampler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_bitmap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_bitlist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_image_load.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_winlevel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_bitmap_save.cpp)
# Scan pipelines: line arithmetic, no-film check, temporary line file and
# rotation are portable; the reads, the loop and the dialogs are Win32.
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/scan_lines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/no_film.cpp
    ${CMAKE_CURRENT_LIST_DIR}/temp_line_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_rotate.cpp)
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/scan_block.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_proc.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_finish.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mem_scan.cpp)
# The preview area: its arithmetic is portable, painting and input Win32.
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/preview_geometry.cpp)
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/preview_paint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/preview_area.cpp)
