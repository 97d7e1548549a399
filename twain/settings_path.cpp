#include "settings_path.h"

#include <stdio.h>

namespace {

bool Join(char* out, size_t size, const char* a, const char* b)
{
    const int written = snprintf(out, size, "%s\\%s", a, b);
    return written > 0 && (size_t)written < size;
}

}  // namespace

bool UserSettingsPaths(const char* appData, char* folder, size_t folderSize, char* file, size_t fileSize)
{
    if (!folder || folderSize == 0 || !file || fileSize == 0)
        return false;
    const bool joined = appData && appData[0] && Join(folder, folderSize, appData, "FilmCore") &&
                        Join(file, fileSize, folder, "FilmTwain.ini");
    if (!joined) {
        folder[0] = '\0';
        file[0] = '\0';
    }
    return joined;
}
