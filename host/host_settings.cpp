#include "host_settings.h"

#include <windows.h>

static char g_iniPath[MAX_PATH] = "filmhost.ini";

void SetSettingsFile(const char* path)
{
    lstrcpynA(g_iniPath, path, MAX_PATH);
}

int32_t HostWriteProfile(const char* section, const char* key, const char* value)
{
    return WritePrivateProfileStringA(section, key, value, g_iniPath) ? 1 : 0;
}

uint32_t HostReadProfile(const char* section, const char* key, char* buffer, uint32_t size,
                         const char* defaultText)
{
    return GetPrivateProfileStringA(section, key, defaultText, buffer, size, g_iniPath);
}
