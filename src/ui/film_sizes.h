// The film size table and the size texts ("14X17"): portable parsing and
// formatting shared by the Scan Size dialog and its fuzz target.
#ifndef FILMCORE_FILM_SIZES_H
#define FILMCORE_FILM_SIZES_H

#include <stddef.h>

enum { FILM_SIZE_SLOTS = 64, FILM_SIZE_TEXT = 32 };

struct FilmSizeSlot {
    char text[FILM_SIZE_TEXT];  // inches, "%0.1fX%0.1f" or as stored
    int used;
};

// Module-wide: rebuilt each time the Scan Size dialog opens.
extern FilmSizeSlot filmSizeSlots[FILM_SIZE_SLOTS];

// Frees every slot, then puts the pieces of `set` (joined by ",") into
// slots 0, 1, ... Empty pieces and pieces too long for a slot are skipped;
// pieces past the last slot are ignored. Returns the slots used.
int LoadFilmSizeSlots(FilmSizeSlot* slots, const char* set);

// The first free slot, -1 when all are used.
int FreeFilmSizeSlot(const FilmSizeSlot* slots);

// Width before the first "x" or "X", length after it; a missing number
// counts as 0. At most 63 characters of `text` are read.
void ParseFilmSize(const char* text, double* width, double* length);

// "%0.1fX%0.1f" into `text`; 0 when it does not fit `size` (nothing useful
// is left in `text` then).
int FormatFilmSize(double width, double length, char* text, size_t size);

// The size text as the settings keep it: upper case, whole numbers without
// a decimal ("14.0X17.0" -> "14X17", "9.5X9.5" stays). 0 when the text has
// no "X" or the result does not fit.
int SettingsSizeText(const char* slotText, char* text, size_t size);

#endif
