// The file version of a module on disk.
#ifndef FILMCORE_FILE_VERSION_H
#define FILMCORE_FILE_VERSION_H

#include <stddef.h>

// Writes "%d.%d.%d.%d" (most significant part first) and returns 1; returns
// 0 and leaves `text` alone when the file has no readable version.
int ReadFileVersionText(const char* path, char* text, size_t size);

#endif
