// Compile-time checks that the records keep the host's layout.
#include <stddef.h>

#include "FilmCore.h"

static_assert(sizeof(TableEntry) == 66, "a table entry is a number and a 64-byte name");
static_assert(sizeof(DSData) == 6 * sizeof(void*), "DSData is six pointers");
static_assert(sizeof(HostServices) == 14 * sizeof(void*), "fourteen slots");
static_assert(offsetof(HostServices, syncFunctions) == 11 * sizeof(void*), "slot 11");
static_assert(offsetof(HostServices, readProfileString) == 13 * sizeof(void*), "slot 13");
static_assert(sizeof(SyncEntry) == 2 * sizeof(void*), "id and function");

#if defined(_WIN32) && !defined(_WIN64)
// The 32-bit host's layout.
static_assert(sizeof(HostServices) == 56, "fourteen 32-bit slots");
static_assert(offsetof(ScannerInfo, toolkitOpen) == 28, "after the 19-byte model name");
static_assert(offsetof(ScanSettings, scanPreviewBits) == 68, "pointers after savedBitDepth");
static_assert(offsetof(ImageControl, tableList) % 2 == 0, "16-bit table numbers");
static_assert(sizeof(SessionImage) == SESSION_IMAGE_BYTES, "a session image is its stored bytes");
static_assert(offsetof(SessionImage, name) == 8, "the name from byte 8");
#endif
