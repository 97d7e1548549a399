// The first word of a digitizer's text reply, bounded. Portable.
#ifndef FILMCORE_REPLY_WORD_H
#define FILMCORE_REPLY_WORD_H

#include <stddef.h>

// Copies the first blank-separated word of `reply` (which need not be
// terminated within `length` bytes) into `word`, at most size - 1
// characters, always terminated.
void CopyFirstWord(const char* reply, size_t length, char* word, size_t size);

#endif
