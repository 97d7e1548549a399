// The main dialog's Auto Size switch: whole-width scans cropped afterwards.
#ifndef FILMCORE_AUTO_SIZE_H
#define FILMCORE_AUTO_SIZE_H

#include <windows.h>

#include "FilmCore.h"

// Switches Auto Size on or off, reprograms the scan and tells the host
// (PARAM_AUTO_SIZE). Switching off asks first when a prescan preview would be
// discarded.
void SetAutoSize(HWND window, DSData* ds, int on);

#endif
