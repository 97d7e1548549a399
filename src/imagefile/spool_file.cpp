#include "spool_file.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <time.h>
#else
#include <unistd.h>
#endif

#include "frame/text_copy.h"

namespace {

const char* FirstSetVariable(const char* const* names, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const char* value = getenv(names[i]);
        if (value && value[0])
            return value;
    }
    return nullptr;
}

}  // namespace

const char* SpoolFolder(void)
{
#ifdef _WIN32
    static const char* const names[] = {"TMP", "TEMP", "USERPROFILE"};
    const char* folder = FirstSetVariable(names, 3);
    return folder ? folder : ".";
#else
    static const char* const names[] = {"TMPDIR"};
    const char* folder = FirstSetVariable(names, 1);
    return folder ? folder : "/tmp";
#endif
}

#ifdef _WIN32

FILE* OpenSpoolFile(char* path, size_t pathSize)
{
    static unsigned counter = 0;
    const char* folder = SpoolFolder();
    size_t folderLength = strlen(folder);
    const char* separator =
        folderLength > 0 && (folder[folderLength - 1] == '\\' || folder[folderLength - 1] == '/') ? "" : "\\";
    unsigned seed = (unsigned)time(nullptr) ^ ((unsigned)_getpid() << 16);
    for (int attempt = 0; attempt < 100; ++attempt) {
        ++counter;
        int written = snprintf(path, pathSize, "%s%sfcspool-%x-%x-%x.tmp", folder, separator,
                               (unsigned)_getpid(), counter, seed + (unsigned)attempt);
        if (written < 0 || (size_t)written >= pathSize)
            break;
        // _O_TEMPORARY: the system deletes the file when the last handle closes.
        int fd = _open(path, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY,
                       _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        FILE* file = _fdopen(fd, "w+b");
        if (!file)
            _close(fd);
        return file;
    }
    return nullptr;
}

#else

FILE* OpenSpoolFile(char* path, size_t pathSize)
{
    const char* folder = SpoolFolder();
    int written = snprintf(path, pathSize, "%s/fcspool-XXXXXX", folder);
    if (written < 0 || (size_t)written >= pathSize) {
        CopyText(path, pathSize, folder);
        return nullptr;
    }
    int fd = mkstemp(path);
    if (fd < 0)
        return nullptr;
    // The open stream keeps the data; the name goes at once, so nothing is
    // left behind however the process ends.
    unlink(path);
    FILE* file = fdopen(fd, "w+b");
    if (!file)
        close(fd);
    return file;
}

#endif
