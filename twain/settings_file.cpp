#include "settings_file.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "settings_path.h"

bool FileBeside(HINSTANCE instance, const char* name, char* path, size_t size)
{
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(instance, module, sizeof module);
    if (length == 0 || length >= sizeof module)
        return false;
    char* slash = strrchr(module, '\\');
    if (!slash)
        return false;
    slash[1] = 0;
    const int written = _snprintf(path, size, "%s%s", module, name);
    return written > 0 && (size_t)written < size;
}

void FindSettingsFile(HINSTANCE instance, char* path, size_t size)
{
    char beside[MAX_PATH];
    const bool hasBeside = FileBeside(instance, "FilmTwain.ini", beside, sizeof beside);
    char appData[MAX_PATH];
    char folder[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) &&
        UserSettingsPaths(appData, folder, sizeof folder, path, size)) {
        CreateDirectoryA(folder, nullptr);   // fails harmlessly when it is there
        // Fails when the user already has settings: those are kept, and the
        // old file is never read again.
        if (hasBeside)
            CopyFileA(beside, path, TRUE);
        return;
    }
    if (hasBeside)
        lstrcpynA(path, beside, (int)size);
    else
        lstrcpynA(path, "FilmTwain.ini", (int)size);
}
