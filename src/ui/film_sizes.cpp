#include "film_sizes.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

FilmSizeSlot filmSizeSlots[FILM_SIZE_SLOTS];

enum { SIZE_EDIT_CHARS = 63 };

int LoadFilmSizeSlots(FilmSizeSlot* slots, const char* set)
{
    memset(slots, 0, sizeof(FilmSizeSlot) * FILM_SIZE_SLOTS);
    int count = 0;
    const char* piece = set ? set : "";
    while (*piece && count < FILM_SIZE_SLOTS) {
        const char* end = strchr(piece, ',');
        size_t length = end ? static_cast<size_t>(end - piece) : strlen(piece);
        if (length > 0 && length < FILM_SIZE_TEXT) {
            memcpy(slots[count].text, piece, length);
            slots[count].text[length] = '\0';
            slots[count].used = 1;
            ++count;
        }
        if (!end)
            break;
        piece = end + 1;
    }
    return count;
}

int FreeFilmSizeSlot(const FilmSizeSlot* slots)
{
    for (int i = 0; i < FILM_SIZE_SLOTS; ++i)
        if (!slots[i].used)
            return i;
    return -1;
}

void ParseFilmSize(const char* text, double* width, double* length)
{
    char copy[SIZE_EDIT_CHARS + 1] = {0};
    if (text)
        strncpy(copy, text, SIZE_EDIT_CHARS);
    char* x = strpbrk(copy, "xX");
    if (x)
        *x = '\0';
    *width = atof(copy);
    *length = x ? atof(x + 1) : 0.0;
}

int FormatFilmSize(double width, double length, char* text, size_t size)
{
    if (!text || size == 0)
        return 0;
    int n = snprintf(text, size, "%0.1fX%0.1f", width, length);
    return n > 0 && static_cast<size_t>(n) < size;
}

static int IsWhole(double value)
{
    return floor(value) == value;
}

int SettingsSizeText(const char* slotText, char* text, size_t size)
{
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    char upper[FILM_SIZE_TEXT] = {0};
    for (size_t i = 0; slotText && slotText[i] && i + 1 < sizeof upper; ++i)
        upper[i] = static_cast<char>(toupper(static_cast<unsigned char>(slotText[i])));
    char* x = strchr(upper, 'X');
    if (!x)
        return 0;
    *x = '\0';
    double width = atof(upper), length = atof(x + 1);
    const char* format = IsWhole(width) ? (IsWhole(length) ? "%1.0fX%1.0f" : "%1.0fX%1.1f")
                                        : (IsWhole(length) ? "%1.1fX%1.0f" : "%1.1fX%1.1f");
    int n = snprintf(text, size, format, width, length);
    return n > 0 && static_cast<size_t>(n) < size;
}
