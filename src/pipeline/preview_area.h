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

// The drawing steps of the area. kind 1 is the horizontal ruler, 2 the
// vertical one; scale is client pixels per inch x 10, negative upward.
void DrawRuler(HDC dc, int left, int top, int right, int bottom, int scale, int kind, int origin, DSData* ds);
// XOR figures: drawing them twice removes them.
void DrawRubberBand(HWND dialog, int x1, int y1, int x2, int y2);
void DrawSelectionMarkers(HDC dc, int x1, int y1, int x2, int y2, int rulerLeft, int frameLeft, int rulerTop,
                          int frameTop);
void ShowSelectionCoordinates(HWND dialog, int x1, int y1, int x2, int y2, DSData* ds);
void ShowPointerCoordinates(HWND dialog, int x, int y, int inside, DSData* ds);

#endif
