list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/table_select.cpp)
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/rsz_resampler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_bitmap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_bitlist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_image_load.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_winlevel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rsz_bitmap_save.cpp)
