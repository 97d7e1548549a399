// Where the source keeps its settings under a user's application data
// folder: the folder and file names, joined without overrunning a buffer.
#ifndef FILMTWAIN_SETTINGS_PATH_H
#define FILMTWAIN_SETTINGS_PATH_H

#include <stddef.h>

// "<appData>\FilmCore" into `folder` and "<appData>\FilmCore\FilmTwain.ini"
// into `file`. False, with both left empty, when appData is empty or either
// path would not fit (the caller then keeps the file beside the source).
bool UserSettingsPaths(const char* appData, char* folder, size_t folderSize, char* file, size_t fileSize);

#endif
