#include "file_fault.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "log.h"

void LogFileFault(const char* operation, const char* action, const char* name, const char* reason)
{
    char line[1400];
    snprintf(line, sizeof line, "%s: cannot %s %s: %s\n", operation ? operation : "", action ? action : "",
             name ? name : "", reason && reason[0] ? reason : "unknown error");
    WriteLog(line);
}

void LogFileError(const char* operation, const char* action, const char* name, int error)
{
    // errno 0: the call came back short without saying why.
    LogFileFault(operation, action, name, error ? strerror(error) : "short transfer");
}

void LogSystemFileError(const char* operation, const char* action, const char* name)
{
#ifdef _WIN32
    DWORD error = GetLastError();
    char reason[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  reason, sizeof reason, nullptr);
    while (length > 0 && (reason[length - 1] == '\n' || reason[length - 1] == '\r' || reason[length - 1] == ' '))
        reason[--length] = '\0';
    if (length == 0)
        snprintf(reason, sizeof reason, "system error %lu", (unsigned long)error);
    LogFileFault(operation, action, name, reason);
#else
    LogFileError(operation, action, name, errno);
#endif
}
