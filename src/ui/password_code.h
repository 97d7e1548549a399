// The access password as it is kept in the settings: a seed and the
// password's bytes mixed with a key stream drawn from it, in hexadecimal.
#ifndef FILMCORE_PASSWORD_CODE_H
#define FILMCORE_PASSWORD_CODE_H

#include <stdint.h>

enum {
    PASSWORD_STORED_BYTES = 24,   // bytes of the password kept (terminator included when it fits)
    PASSWORD_KEY_BYTES = 32,
    PASSWORD_CODE_DIGITS = 56,    // 4 seed bytes + 24 scrambled bytes, two digits each
    PASSWORD_CODE_TEXT = PASSWORD_CODE_DIGITS + 1,
    PASSWORD_PLAIN_TEXT = PASSWORD_STORED_BYTES + 1
};

void PasswordKeyStream(uint32_t seed, uint8_t key[PASSWORD_KEY_BYTES]);

// `out` takes PASSWORD_CODE_TEXT bytes. Only the first 24 bytes of `plain`
// are kept; the buffer past its terminating zero is sent as zeros, so no
// stale text leaks into the settings.
void ScrambleCode(const char* plain, char* out);
void ScrambleCodeWithSeed(const char* plain, uint32_t seed, char* out);

// `out` takes PASSWORD_PLAIN_TEXT bytes and may be `text` itself. Digits
// missing from a short text decode as the end of the password.
void UnscrambleCode(const char* text, char* out);

// Where ScrambleCode takes its seed; null restores seconds since 1970.
void SetScrambleSeedSource(uint32_t (*source)(void));

#endif
