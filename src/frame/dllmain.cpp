#include <windows.h>

#include "instance.h"

// Nothing else happens at load or unload.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/)
{
    SetFilmCoreInstance(instance);
    return TRUE;
}
