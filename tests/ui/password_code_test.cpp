// The password's stored form: clean buffers, safe reads of damaged texts.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "ui/password_code.h"

namespace {

std::string Unscrambled(const std::string& text)
{
    // Exactly as long as the text, so the sanitizers see any read past it.
    std::unique_ptr<char[]> exact(new char[text.size() + 1]);
    memcpy(exact.get(), text.c_str(), text.size() + 1);
    char plain[PASSWORD_PLAIN_TEXT];
    memset(plain, 'x', sizeof plain);
    UnscrambleCode(exact.get(), plain);
    EXPECT_EQ(plain[PASSWORD_STORED_BYTES], '\0');
    return std::string(plain, strnlen(plain, sizeof plain));
}

TEST(PasswordCode, BytesAfterTheTerminatorAreStoredAsZeros)
{
    char buffer[64];
    memset(buffer, 'S', sizeof buffer);  // stale text behind a short password
    strcpy(buffer, "abc");
    char code[PASSWORD_CODE_TEXT];
    ScrambleCodeWithSeed(buffer, 0x12345678u, code);
    ASSERT_EQ(strlen(code), 56u);
    EXPECT_EQ(std::string(code, 8), "78563412");
    uint8_t key[PASSWORD_KEY_BYTES];
    PasswordKeyStream(0x12345678u, key);
    for (int i = 3; i < PASSWORD_STORED_BYTES; ++i) {
        unsigned stored = 0;
        sscanf(code + 8 + 2 * i, "%2X", &stored);
        EXPECT_EQ(stored, key[i]) << "byte " << i << " carries more than the zero";
    }
    EXPECT_EQ(Unscrambled(code), "abc");
}

TEST(PasswordCode, TwentyFourCharactersSurviveInPlace)
{
    const char* full = "ABCDEFGHIJKLMNOPQRSTUVWX";
    char text[64];
    ScrambleCodeWithSeed(full, 0xFFFFFFFFu, text);
    UnscrambleCode(text, text);
    EXPECT_STREQ(text, full);
    ScrambleCodeWithSeed("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 7u, text);
    EXPECT_EQ(Unscrambled(text), full) << "only 24 characters are kept";
}

TEST(PasswordCode, ShortAndForeignTextsDecodeSafely)
{
    char code[PASSWORD_CODE_TEXT];
    ScrambleCodeWithSeed("secret", 1234567u, code);
    const std::string whole(code);
    for (size_t length = 0; length < whole.size(); ++length) {
        std::string plain = Unscrambled(whole.substr(0, length));
        const size_t decoded = length < 10 ? 0 : (length - 8) / 2;
        EXPECT_EQ(plain, std::string("secret").substr(0, decoded)) << length;
    }
    Unscrambled(std::string(56, 'z'));
    Unscrambled(std::string(56, '\xFF'));
    Unscrambled("\x80\x01 ~~GG");
}

}  // namespace
