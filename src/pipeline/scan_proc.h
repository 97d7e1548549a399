// The file scan pipeline: a film's lines into an image file (or, in a
// prescan, only into the preview), driven block by block by ScanProcRun.
// The four exported steps are declared in FilmCore.h.
#ifndef FILMCORE_SCAN_PROC_H
#define FILMCORE_SCAN_PROC_H

#include <stdint.h>

#include "FilmCore.h"

// 1 when the scan ended normally or was cancelled, 0 on failure. Called
// with scanState 1; `dialog` is the main dialog window.
int32_t ScanProcRun(void* dialog, DSData* ds);

// 0 when the preview gathered so far shows film, non-zero for an empty
// digitizer (2 when the preview has fewer lines than it claims).
int ScanProcDetectNoFilm(DSData* ds);

// The temporary line file, a part file beside the output (file_place.h):
// landscape lines wait there for the rotation.
uint16_t ScanProcOpenTempFile(DSData* ds);
uint16_t ScanProcWriteTempLine(DSData* ds, const void* line);
void ScanProcCloseTempFile(DSData* ds);
uint16_t ScanProcRotateFromTemp(DSData* ds);

#endif
