// Starting a scan: the file scan pipeline (StartScan, exported in
// FilmCore.h) and the memory transfer the host then pulls.
#ifndef FILMCORE_SCAN_START_H
#define FILMCORE_SCAN_START_H

#include <windows.h>

#include "FilmCore.h"

// Nonzero when MemScanInitialize succeeded; the transfer's end gives the
// controls back. On failure the scan state and the controls are restored.
int StartMemoryScan(HWND window, DSData* ds);

// What every scan start does before programming: progress cleared and
// repainted, the queue pumped (`pump`), the controls disabled, averaging off.
void BeginScanStart(HWND window, DSData* ds, bool pump);

#endif
