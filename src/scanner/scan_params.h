// Programming the digitizer for the next scan from the main dialog's
// choices, and bringing the dialog back in step with what was programmed.
#ifndef FILMCORE_SCAN_PARAMS_H
#define FILMCORE_SCAN_PARAMS_H

#include <windows.h>

#include "FilmCore.h"

void SetScanParams(HWND window, DSData* ds);
// Shows a size in pixels in a size field, in the unit of the settings.
void ShowSizeField(HWND window, const ScanSettings* s, uint32_t pixels, int id);
// The whole-bed prescan at the preview resolution (only with Auto Size).
void SetPrescanParams(HWND window, DSData* ds);

#endif
