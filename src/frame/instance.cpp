#include "instance.h"

static HINSTANCE g_instance = nullptr;

HINSTANCE FilmCoreInstance(void)
{
    // Linked statically into a test program there is no DLL load entry;
    // the program's own module then carries the resources.
    return g_instance ? g_instance : GetModuleHandleW(nullptr);
}

void SetFilmCoreInstance(HINSTANCE instance)
{
    g_instance = instance;
}
