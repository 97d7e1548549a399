# Writer throughput next to plain fwrite, libtiff and DCMTK.
find_package(TIFF REQUIRED)
find_package(DCMTK REQUIRED)
add_executable(bench_writers ${CMAKE_CURRENT_LIST_DIR}/bench_writers.cpp)
target_link_libraries(bench_writers PRIVATE filmcore_static benchmark::benchmark TIFF::TIFF DCMTK::DCMTK)
