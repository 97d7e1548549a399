# The Scan Size dialog's film size texts.
filmcore_fuzz_target(film_sizes_fuzz film_sizes_fuzz.cpp)
