// The DLL's configuration: SCANKIT_CONFIG, else scankit32.ini beside the DLL.
#include <windows.h>

#include "vd_digitizer.h"

const char* VdConfigPath(void)
{
    static char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("SCANKIT_CONFIG", path, sizeof path);
    if (length > 0 && length < sizeof path) return path;

    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&VdConfigPath), &self))
        return "";
    length = GetModuleFileNameA(self, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    char* slash = strrchr(path, '\\');
    const char kName[] = "scankit32.ini";
    if (!slash || (size_t)(slash + 1 - path) + sizeof kName > sizeof path) return "";
    memcpy(slash + 1, kName, sizeof kName);
    return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? "" : path;
}
