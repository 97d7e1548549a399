# Capability containers an application hands the TWAIN source.
filmcore_fuzz_target(twain_caps_fuzz twain_caps_fuzz.cpp)
target_link_libraries(twain_caps_fuzz PRIVATE filmtwain_core)
