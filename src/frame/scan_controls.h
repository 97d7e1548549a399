// The main dialog's scan controls, disabled while a scan runs and given
// back their former state afterwards.
#ifndef FILMCORE_SCAN_CONTROLS_H
#define FILMCORE_SCAN_CONTROLS_H

#include <windows.h>

void DisableScanControls(HWND window);
void RestoreScanControls(HWND window);

#endif
