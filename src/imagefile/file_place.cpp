#include "file_place.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// 1 regular file, 0 none, -1 something else (a device, a folder).
int TargetKind(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return 0;
    return (info.st_mode & S_IFMT) == S_IFREG ? 1 : -1;
}

}  // namespace

char* PartNameFor(const char* target, bool* noMemory)
{
    *noMemory = false;
    if (TargetKind(target) < 0)
        return nullptr;
    size_t length = strlen(target);
    if (length == 0)
        return nullptr;  // no name: opening it fails as it always did
    bool append = length + 1 <= PLACE_MAX_NAME;
    char* part = (char*)malloc(length + 2);
    if (!part) {
        *noMemory = true;
        return nullptr;
    }
    memcpy(part, target, length + 1);
    if (append) {
        part[length] = '~';
        part[length + 1] = '\0';
    } else {
        // Same length as the target, so the name stays usable; never the
        // target's own name.
        part[length - 1] = target[length - 1] == '~' ? '_' : '~';
    }
    return part;
}

bool TargetWritable(const char* target)
{
    if (TargetKind(target) != 1)
        return true;
    FILE* file = fopen(target, "r+b");  // opens for writing without truncating
    if (!file)
        return false;
    fclose(file);
    return true;
}

bool PutFileInPlace(const char* part, const char* target)
{
#ifdef _WIN32
    return MoveFileExA(part, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return rename(part, target) == 0;
#endif
}
