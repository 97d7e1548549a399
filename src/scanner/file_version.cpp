#include "file_version.h"

#include <windows.h>

#include <stdio.h>

#include <vector>

int ReadFileVersionText(const char* path, char* text, size_t size)
{
    if (!path || !path[0] || !text || size == 0)
        return 0;
    DWORD ignored = 0;
    DWORD bytes = GetFileVersionInfoSizeA(path, &ignored);
    if (bytes == 0)
        return 0;
    std::vector<char> block(bytes);
    if (!GetFileVersionInfoA(path, 0, bytes, block.data()))
        return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoBytes = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoBytes) ||
        !info || infoBytes < sizeof *info)
        return 0;
    snprintf(text, size, "%d.%d.%d.%d", static_cast<int>(HIWORD(info->dwFileVersionMS)),
             static_cast<int>(LOWORD(info->dwFileVersionMS)),
             static_cast<int>(HIWORD(info->dwFileVersionLS)),
             static_cast<int>(LOWORD(info->dwFileVersionLS)));
    return 1;
}
