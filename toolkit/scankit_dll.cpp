// scankit32.dll: the toolkit functions of the virtual digitizer, exported by
// name through scankit32.def. The digitizer powers on at first use.
#include <windows.h>

#include "vd_digitizer.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // At process end the C runtime may already be gone: only tidy up on FreeLibrary.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) VdPowerOff();
    return TRUE;
}
