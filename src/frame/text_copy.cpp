#include "text_copy.h"

size_t CopyText(char* dst, size_t size, const char* src)
{
    if (!dst || size == 0)
        return 0;
    size_t n = 0;
    if (src) {
        while (n + 1 < size && src[n] != '\0') {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = '\0';
    return n;
}

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int EqualNoCase(const char* a, const char* b)
{
    if (!a || !b)
        return 0;
    while (*a && LowerAscii(*a) == LowerAscii(*b)) {
        ++a;
        ++b;
    }
    return LowerAscii(*a) == LowerAscii(*b);
}
