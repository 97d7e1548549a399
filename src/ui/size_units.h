// The main dialog's size fields (Width, Length, Top, Left) in the chosen unit.
#ifndef FILMCORE_SIZE_UNITS_H
#define FILMCORE_SIZE_UNITS_H

#include <windows.h>

#include <stdint.h>

#include "FilmCore.h"

// Reads Resolution and the four size fields, taken in `units`, into pixels.
void ReadSizeEdits(HWND main, DSData* ds, uint32_t units);
// Takes the fields in the unit shown, then shows them again in `units`.
void ShowSizeInUnits(HWND main, DSData* ds);
void EnableSizeControls(HWND main, DSData* ds);

#endif
