#include <windows.h>

#include <string.h>

#include "log.h"

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
