// The "Digitizer Information" box: what start-up learned of the digitizer.
#ifndef FILMCORE_DIGITIZER_INFO_H
#define FILMCORE_DIGITIZER_INFO_H

#include <stddef.h>

#include <windows.h>

#include "FilmCore.h"

// The box's text (lines joined by line feeds) into `text`.
void FormatDigitizerInfo(const ScannerInfo* info, char* text, size_t size);

// Shows the box over `owner`; returns 0.
int ShowDigitizerInfo(HWND owner, DSData* ds);

#endif
