# The stored password text ("Security"/"PasswordCode").
filmcore_fuzz_target(password_code_fuzz password_code_fuzz.cpp)
