# The scan pipeline under Wine (Windows tree only, built by scripts/bench).
add_executable(scan_pipeline_bench EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_LIST_DIR}/scan_pipeline_bench.cpp
    ${PROJECT_SOURCE_DIR}/src/res/FilmCore.rc)
target_link_libraries(scan_pipeline_bench PRIVATE filmcore_static filmcore_test_support psapi)

# The floor of the whole-job figure: the same bytes written plainly.
add_executable(plain_write_bench EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/plain_write_bench.cpp)

# What one check of the message queue costs under Wine, by kind of check.
add_executable(queue_check_bench EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/queue_check_bench.cpp)
target_link_libraries(queue_check_bench PRIVATE user32 gdi32)
