# LoadDICOMImageFile's loader over arbitrary bytes.
filmcore_fuzz_target(load_image load_image_fuzz.cpp)
