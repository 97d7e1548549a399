// Output preparation before every film: the format and output name are
// settled and checked, the batch and patient dialogs opened when they are
// due, and a depth the chosen format cannot hold is refused.
#ifndef FILMCORE_OUTPUT_PREPARE_H
#define FILMCORE_OUTPUT_PREPARE_H

#include <windows.h>

#include "FilmCore.h"

// 1 ready to scan, 0 not (the operator has been told why, or cancelled).
int PrepareOutputFile(HWND owner, DSData* ds);

// 0 acceptable, -1 the chosen format cannot hold the chosen depth.
int CheckFormatDepth(HWND owner, DSData* ds);

// 0 the name can be written, 1 not (the operator has been told why).
// An existing file is left as it is: the writer replaces it only once a
// scan has finished.
int CheckOutputFile(HWND owner, const char* fullName);

#endif
