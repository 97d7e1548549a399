# The virtual digitizer's readers of outside data: film image files and the
# configuration file.
filmcore_fuzz_target(fuzz_digitizer_film fuzz_digitizer_film.cpp)
target_link_libraries(fuzz_digitizer_film PRIVATE scankit_core)
filmcore_fuzz_target(fuzz_digitizer_config fuzz_digitizer_config.cpp)
target_link_libraries(fuzz_digitizer_config PRIVATE scankit_core)
