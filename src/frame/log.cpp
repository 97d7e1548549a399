#include "log.h"

#include <string.h>

#ifdef _WIN32

#include <windows.h>

static const char kLogPath[] = "c:\\nqt\\twnqt32.log";

void WriteLog(const char* text)
{
    if (!text)
        return;
    HFILE file = _lopen(kLogPath, OF_WRITE);
    if (file == HFILE_ERROR)
        file = _lcreat(kLogPath, 0);  // fails, as it should, when c:\nqt is missing
    if (file == HFILE_ERROR)
        return;
    _llseek(file, 0, FILE_END);
    _lwrite(file, text, static_cast<UINT>(strlen(text)));
    _lclose(file);
}

#else

#include <stdio.h>
#include <stdlib.h>

// The portable build has no c:\nqt: its log goes where FILMCORE_LOG names,
// or nowhere.
void WriteLog(const char* text)
{
    const char* path = getenv("FILMCORE_LOG");
    if (!text || !path || !path[0])
        return;
    FILE* file = fopen(path, "ab");
    if (!file)
        return;
    fwrite(text, 1, strlen(text), file);
    fclose(file);
}

#endif
