#include "file_place.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#include <process.h>
#else
#include <dirent.h>
#include <strings.h>
#include <unistd.h>
#endif

namespace {

const char kPartEnd[] = ".part";
const int kTagDigits = 8;
const int kCreateAttempts = 64;

// 1 regular file, 0 none, -1 something else (a device, a folder).
int TargetKind(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return 0;
    return (info.st_mode & S_IFMT) == S_IFREG ? 1 : -1;
}

bool SameNamePart(const char* a, const char* b, size_t length)
{
#ifdef _WIN32
    return _strnicmp(a, b, length) == 0;  // the file system ignores case
#else
    return strncmp(a, b, length) == 0;
#endif
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Offset of the file name within a path.
size_t NameOffset(const char* path)
{
    size_t offset = 0;
    for (size_t i = 0; path[i]; ++i)
        if (path[i] == '\\' || path[i] == '/')
            offset = i + 1;
#ifdef _WIN32
        else if (path[i] == ':')
            offset = i + 1;  // "c:name"
#endif
    return offset;
}

int OpenNew(const char* path)
{
#ifdef _WIN32
    return _open(path, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    return open(path, O_CREAT | O_EXCL | O_RDWR, 0666);
#endif
}

unsigned ProcessId()
{
#ifdef _WIN32
    return (unsigned)_getpid();
#else
    return (unsigned)getpid();
#endif
}

void DeletePart(const char* path)
{
#ifdef _WIN32
    DeleteFileA(path);  // refused while a running scan holds it open
#else
    unlink(path);
#endif
}

}  // namespace

bool IsPartNameOf(const char* target, const char* name)
{
    const char* base = target + NameOffset(target);
    size_t baseLength = strlen(base);
    size_t endLength = sizeof kPartEnd - 1;
    if (baseLength == 0 || strlen(name) != baseLength + 1 + kTagDigits + endLength)
        return false;
    if (!SameNamePart(name, base, baseLength) || name[baseLength] != '.')
        return false;
    for (int i = 0; i < kTagDigits; ++i)
        if (!IsHexDigit(name[baseLength + 1 + i]))
            return false;
    return SameNamePart(name + baseLength + 1 + kTagDigits, kPartEnd, endLength);
}

FILE* CreatePartFile(const char* target, char* partPath, size_t size)
{
    static unsigned counter = 0;
    if (size > 0)
        partPath[0] = '\0';
    size_t length = target ? strlen(target) : 0;
    if (length == 0 || length > OUTPUT_NAME_MAX || size <= length + PART_SUFFIX_LENGTH) {
        errno = length == 0 ? ENOENT : ENAMETOOLONG;
        return nullptr;
    }
    unsigned seed = (ProcessId() * 2654435761u) ^ (unsigned)time(nullptr);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        ++counter;
        snprintf(partPath, size, "%s.%08x%s", target, (seed + counter * 40503u) & 0xFFFFFFFFu, kPartEnd);
        int fd = OpenNew(partPath);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;  // someone's file: another name
            partPath[0] = '\0';
            return nullptr;
        }
#ifdef _WIN32
        FILE* file = _fdopen(fd, "w+b");
#else
        FILE* file = fdopen(fd, "w+b");
#endif
        if (!file) {
            int error = errno;
#ifdef _WIN32
            _close(fd);
#else
            close(fd);
#endif
            DeletePart(partPath);
            partPath[0] = '\0';
            errno = error;
        }
        return file;
    }
    partPath[0] = '\0';
    errno = EEXIST;
    return nullptr;
}

void RemoveLeftoverParts(const char* target)
{
    size_t folderLength = NameOffset(target);
    size_t length = strlen(target);
    if (length == 0 || length > OUTPUT_NAME_MAX)
        return;
    char path[OUTPUT_NAME_MAX + PART_SUFFIX_LENGTH + 8];
#ifdef _WIN32
    snprintf(path, sizeof path, "%s.*%s", target, kPartEnd);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // The pattern also matches short names; the long name decides.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPartNameOf(target, found.cFileName) &&
            folderLength + strlen(found.cFileName) < sizeof path) {
            snprintf(path, sizeof path, "%.*s%s", (int)folderLength, target, found.cFileName);
            DeletePart(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
#else
    snprintf(path, sizeof path, "%.*s", (int)folderLength, target);
    DIR* folder = opendir(folderLength ? path : ".");
    if (!folder)
        return;
    while (struct dirent* entry = readdir(folder)) {
        if (IsPartNameOf(target, entry->d_name) && folderLength + strlen(entry->d_name) < sizeof path) {
            snprintf(path, sizeof path, "%.*s%s", (int)folderLength, target, entry->d_name);
            if (TargetKind(path) == 1)
                DeletePart(path);
        }
    }
    closedir(folder);
#endif
}

bool TargetIsDevice(const char* target)
{
    return TargetKind(target) < 0;
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
