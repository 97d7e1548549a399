# Writer throughput next to plain fwrite, libtiff and DCMTK (native tree).
find_package(TIFF REQUIRED)
find_package(DCMTK REQUIRED)
add_executable(writers_bench ${CMAKE_CURRENT_LIST_DIR}/writers_bench.cpp)
target_link_libraries(writers_bench PRIVATE filmcore_static benchmark::benchmark TIFF::TIFF DCMTK::DCMTK)
