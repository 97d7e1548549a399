// Programming the digitizer for the next scan from the main dialog's
// choices, and bringing the dialog back in step with what was programmed.
#ifndef FILMCORE_SCAN_PARAMS_H
#define FILMCORE_SCAN_PARAMS_H

#include <windows.h>

#include "FilmCore.h"

void SetScanParams(HWND window, DSData* ds);
// The whole-bed prescan at the preview resolution (only with Auto Size).
void SetPrescanParams(HWND window, DSData* ds);

#endif
