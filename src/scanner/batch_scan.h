// The Scan button: every film of the batch through the scan command.
#ifndef FILMCORE_BATCH_SCAN_H
#define FILMCORE_BATCH_SCAN_H

#include <windows.h>

#include "FilmCore.h"

// Scans filmCount films, stops at a Cancel (stopBatch) or a film that
// ended without a file scan, and leaves the feeder in stage mode 1.
void RunBatchScan(HWND window, DSData* ds);

#endif
