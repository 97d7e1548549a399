#include "file_version.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int ReadFileVersionText(const char* path, char* text, size_t size)
{
    if (!path || !path[0] || !text || size == 0)
        return 0;
    DWORD ignored = 0;
    DWORD bytes = GetFileVersionInfoSizeA(path, &ignored);
    if (bytes == 0)
        return 0;
    // malloc, not a container: start-up runs inside an export, where no
    // exception may escape.
    void* block = malloc(bytes);
    if (!block)
        return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoBytes = 0;
    if (!GetFileVersionInfoA(path, 0, bytes, block) ||
        !VerQueryValueA(block, "\\", reinterpret_cast<void**>(&info), &infoBytes) ||
        !info || infoBytes < sizeof *info) {
        free(block);
        return 0;
    }
    snprintf(text, size, "%d.%d.%d.%d", static_cast<int>(HIWORD(info->dwFileVersionMS)),
             static_cast<int>(LOWORD(info->dwFileVersionMS)),
             static_cast<int>(HIWORD(info->dwFileVersionLS)),
             static_cast<int>(LOWORD(info->dwFileVersionLS)));
    free(block);
    return 1;
}
