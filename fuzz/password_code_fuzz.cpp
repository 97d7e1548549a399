// The stored password text read from the settings, and the round trip of
// whatever password is typed.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "ui/password_code.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    char plain[PASSWORD_PLAIN_TEXT];
    UnscrambleCode(text.c_str(), plain);
    if (strnlen(plain, sizeof plain) > PASSWORD_STORED_BYTES)
        __builtin_trap();

    const uint32_t seed = size >= 4 ? data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24 : 0;
    char code[PASSWORD_CODE_TEXT];
    ScrambleCodeWithSeed(text.c_str(), seed, code);
    if (strlen(code) != PASSWORD_CODE_DIGITS || strspn(code, "0123456789ABCDEF") != PASSWORD_CODE_DIGITS)
        __builtin_trap();
    UnscrambleCode(code, code);
    if (strncmp(code, text.c_str(), PASSWORD_STORED_BYTES) != 0)
        __builtin_trap();
    return 0;
}
