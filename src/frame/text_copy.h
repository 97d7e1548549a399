// Bounded copies into the fixed-size text fields of the session records.
#ifndef FILMCORE_TEXT_COPY_H
#define FILMCORE_TEXT_COPY_H

#include <stddef.h>

// Copies at most size - 1 characters of src and always terminates dst.
// A null src gives an empty text. Returns the number of characters copied.
size_t CopyText(char* dst, size_t size, const char* src);

// Case-insensitive comparison of two terminated texts (ASCII letters).
int EqualNoCase(const char* a, const char* b);

#endif
