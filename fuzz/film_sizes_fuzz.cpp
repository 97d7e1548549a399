// The film size texts read from the settings ("Set") and typed into the
// Scan Size dialog's size edit.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "ui/film_sizes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    FilmSizeSlot slots[FILM_SIZE_SLOTS];
    int used = LoadFilmSizeSlots(slots, text.c_str());
    if (used < 0 || used > FILM_SIZE_SLOTS)
        __builtin_trap();
    for (int i = 0; i < used; ++i) {
        if (!slots[i].used || strlen(slots[i].text) >= FILM_SIZE_TEXT)
            __builtin_trap();
        char out[FILM_SIZE_TEXT];
        SettingsSizeText(slots[i].text, out, sizeof out);
    }
    double width, length;
    ParseFilmSize(text.c_str(), &width, &length);
    char slot[FILM_SIZE_TEXT];
    if (FormatFilmSize(width, length, slot, sizeof slot) && strlen(slot) >= FILM_SIZE_TEXT)
        __builtin_trap();
    return 0;
}
