#include "host_log.h"

#include <stdarg.h>
#include <stdio.h>

static FILE* g_logFile = nullptr;

bool SetHostLogFile(const char* path)
{
    CloseHostLog();
    g_logFile = fopen(path, "w");
    return g_logFile != nullptr;
}

void CloseHostLog(void)
{
    if (g_logFile)
        fclose(g_logFile);
    g_logFile = nullptr;
}

void HostLog(const char* format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    printf("%s\n", line);
    fflush(stdout);
    if (g_logFile) {
        fprintf(g_logFile, "%s\n", line);
        // Flushed at once: a failed run may end the process from inside a scan.
        fflush(g_logFile);
    }
}

std::string OneLine(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}
