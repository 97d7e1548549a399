// The module instance handle saved at load; dialogs and bitmaps come from it.
#ifndef FILMCORE_INSTANCE_H
#define FILMCORE_INSTANCE_H

#include <windows.h>

HINSTANCE FilmCoreInstance(void);
void SetFilmCoreInstance(HINSTANCE instance);

#endif
