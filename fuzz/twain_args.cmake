# The other structures an application hands the TWAIN source.
filmcore_fuzz_target(twain_args_fuzz twain_args_fuzz.cpp)
target_link_libraries(twain_args_fuzz PRIVATE filmtwain_core)
