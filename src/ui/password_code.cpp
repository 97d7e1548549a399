#include "ui/password_code.h"

#include <string.h>
#include <time.h>

static uint32_t SecondsSince1970(void)
{
    return static_cast<uint32_t>(time(nullptr));
}

static uint32_t (*g_seedSource)(void) = SecondsSince1970;

void SetScrambleSeedSource(uint32_t (*source)(void))
{
    g_seedSource = source ? source : SecondsSince1970;
}

// Three 28-bit generators; products wrap at 32 bits before the division.
void PasswordKeyStream(uint32_t seed, uint8_t key[PASSWORD_KEY_BYTES])
{
    uint32_t a = 48213577u, b = 183647205u, c = seed;
    for (int i = 0; i < PASSWORD_KEY_BYTES; ++i) {
        a = (a * 5u / 3u) & 0x0FFFFFFFu;
        b = (b * 7u / 5u) & 0x0FFFFFFFu;
        c = (c * 11u / 7u) & 0x0FFFFFFFu;
        key[i] = static_cast<uint8_t>((c & 0xFFu) + (b & 0xFFu) + (a & 0xFFu));
    }
}

static void WriteHexByte(uint8_t byte, char* out)
{
    static const char kDigits[] = "0123456789ABCDEF";
    out[0] = kDigits[byte >> 4];
    out[1] = kDigits[byte & 0x0F];
}

void ScrambleCodeWithSeed(const char* plain, uint32_t seed, char* out)
{
    uint8_t bytes[PASSWORD_STORED_BYTES] = {0};
    if (plain)
        memcpy(bytes, plain, strnlen(plain, PASSWORD_STORED_BYTES));
    uint8_t key[PASSWORD_KEY_BYTES];
    PasswordKeyStream(seed, key);
    for (int i = 0; i < 4; ++i)
        WriteHexByte(static_cast<uint8_t>(seed >> (8 * i)), out + 2 * i);
    for (int i = 0; i < PASSWORD_STORED_BYTES; ++i)
        WriteHexByte(static_cast<uint8_t>(bytes[i] ^ key[i]), out + 8 + 2 * i);
    out[PASSWORD_CODE_DIGITS] = '\0';
}

void ScrambleCode(const char* plain, char* out)
{
    ScrambleCodeWithSeed(plain, g_seedSource(), out);
}

// Anything that is not 0-9 counts as a letter, "A" being 10; the arithmetic
// wraps at a byte as the stored texts were always read.
static uint8_t DigitValue(char digit)
{
    const uint8_t c = static_cast<uint8_t>(digit);
    return c >= '0' && c <= '9' ? static_cast<uint8_t>(c - '0')
                                : static_cast<uint8_t>(c - 'A' + 10u);
}

// Bytes of `text` read as digit pairs; stops at its end. Returns the count.
static int ReadHexBytes(const char* text, uint8_t* bytes, int capacity)
{
    int count = 0;
    while (count < capacity && text[2 * count] != '\0' && text[2 * count + 1] != '\0') {
        bytes[count] = static_cast<uint8_t>(DigitValue(text[2 * count]) * 16u +
                                            DigitValue(text[2 * count + 1]));
        ++count;
    }
    return count;
}

void UnscrambleCode(const char* text, char* out)
{
    uint8_t raw[4 + PASSWORD_STORED_BYTES] = {0};
    const int count = text ? ReadHexBytes(text, raw, static_cast<int>(sizeof raw)) : 0;
    char plain[PASSWORD_PLAIN_TEXT] = {0};
    if (count > 4) {
        const uint32_t seed = raw[0] | (raw[1] << 8) | (raw[2] << 16) | (static_cast<uint32_t>(raw[3]) << 24);
        uint8_t key[PASSWORD_KEY_BYTES];
        PasswordKeyStream(seed, key);
        for (int i = 0; i < count - 4; ++i)
            plain[i] = static_cast<char>(raw[4 + i] ^ key[i]);
    }
    memcpy(out, plain, sizeof plain);
}
