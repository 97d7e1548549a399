// The preview area of the main dialog: the prescan image with its rulers,
// the rubber band the operator drags over it, and the region in inches the
// final scan takes from it.
#ifndef FILMCORE_PREVIEW_AREA_H
#define FILMCORE_PREVIEW_AREA_H

#include <windows.h>

#include "FilmCore.h"

// The main dialog offers every message here first; nonzero when consumed.
INT_PTR PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void PaintPreview(HWND dialog, HDC dc, DSData* ds);
// 0 accepted (the ScanArea holds the region), 1 refused with a message.
int ValidateSelection(HWND dialog, DSData* ds);
// Forgets the selection, e.g. when the preview it was made on is discarded.
void ResetSelection(DSData* ds);

#endif
