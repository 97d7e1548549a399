// The Pre Scan command: the whole bed at the preview resolution, no file.
#ifndef FILMCORE_PRESCAN_H
#define FILMCORE_PRESCAN_H

#include <windows.h>

#include "FilmCore.h"

// 1 when the prescan failed, 0 otherwise (command 1019 is then posted).
int RunPrescanCommand(HWND window, DSData* ds);
// Nonzero when the prescan completed, 0 when it failed, -1 when the
// operator cancelled the film load.
int StartPreScan(HWND window, DSData* ds);

void SaveResolutionAndDepth(DSData* ds);
void RestoreResolutionAndDepth(DSData* ds);

#endif
