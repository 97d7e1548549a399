// The Scan command for one film: the digitizer, the output preparation,
// the film, and the file scan or the memory transfer.
#ifndef FILMCORE_SCAN_COMMAND_H
#define FILMCORE_SCAN_COMMAND_H

#include <windows.h>

#include "FilmCore.h"

// Preparations (output names, format, depth check) made before giving up.
enum { SCAN_PREPARATIONS = 6 };

// LoadFilmAndScan for a whole-frame final scan.
int RunScanCommand(HWND window, DSData* ds);
// 1 when a file scan ended (completed or cancelled) and command 1099 was
// posted; -1 when the command ended without one (film load cancelled, a
// failure, or a memory transfer started for the host).
int LoadFilmAndScan(HWND window, DSData* ds);

// The selected region after a prescan: one film, outside the batch loop,
// so it is film 1 whatever film a batch ended on: it names its output and
// is asked about overwriting like any first film.
int ScanSelectedRegion(HWND window, DSData* ds);

// Batch name `film` (1 to 25), null outside that range.
const char* BatchName(const DSData* ds, int film);

#endif
