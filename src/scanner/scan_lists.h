// The main dialog's Resolution, Depth and Num. Films lists and its image
// size text, kept in step with the session record.
#ifndef FILMCORE_SCAN_LISTS_H
#define FILMCORE_SCAN_LISTS_H

#include <windows.h>

#include "FilmCore.h"

// Films a batch may hold with this digitizer: 1 to min(feeder capacity, 25).
int FilmCountLimit(const DSData* ds);

int FillResolutionList(HWND window, DSData* ds);
int FillDepthList(HWND window, DSData* ds, int value);
int SetFilmCount(HWND window, DSData* ds, int value);
int FillFilmCountList(HWND window, DSData* ds);
// Shows the bytes of a width x lines image at the current depth; returns them.
uint32_t ShowImageSize(HWND window, DSData* ds, uint32_t width, uint32_t lines);

#endif
