#include "reply_word.h"

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void CopyFirstWord(const char* reply, size_t length, char* word, size_t size)
{
    if (!word || size == 0)
        return;
    size_t n = 0;
    size_t i = 0;
    if (reply) {
        while (i < length && reply[i] != '\0' && IsBlank(reply[i]))
            ++i;
        while (i < length && reply[i] != '\0' && !IsBlank(reply[i]) && n + 1 < size)
            word[n++] = reply[i++];
    }
    word[n] = '\0';
}
