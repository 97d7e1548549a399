// What the file pipeline and the memory transfer share: the set-up of the
// scan fields and the block, the read that completes a split line, the
// error box and the progress fields.
#ifndef FILMCORE_SCAN_BLOCK_H
#define FILMCORE_SCAN_BLOCK_H

#include <windows.h>

#include <stdint.h>

#include "FilmCore.h"

// Counters, width, averaging and line size for a new scan; 0 after telling
// the operator ("Bad averageCount", "Bad BitDepth", "Bad scanWidth").
int PrepareScanFields(HWND dialog, DSData* ds);

// Takes the block (one read plus one line per half, and the bit line of a
// 1-bit scan) and sets the read fields. 0 when no memory could be had.
int SetUpScanBlock(DSData* ds);
void FreeScanBlock(DSData* ds);
// The packed line of a 1-bit scan, sized for scanWidth.
uint8_t* ScanBitLine(const DSData* ds);

// Lines of a memory transfer that did not fit the caller's buffer, kept at
// the start of the line area for the next call.
uint32_t HeldLineBytes(const DSData* ds);
void SetHeldLineBytes(const DSData* ds, uint32_t bytes);

// Reads up to `request` bytes into rawArea and completes a line split at
// the end; `pauseMs` is slept before every completion call. A line not
// completed within the line time-out beeps, shows "Error in Scan process."
// (owned by `owner`) and gives 0.
int ReadScanData(HWND owner, DSData* ds, uint32_t request, uint32_t pauseMs, int32_t* status,
                 uint32_t* received);

// Both safe twice and on records never set up: they leave the writer and
// the preview record owning nothing.
void ReleaseScanWriter(DSData* ds);
void ReleasePreview(DSData* ds);

void ShowScanError(HWND owner, const char* text);
// Every SCAN_PROGRESS_STEP bytes of output: progress fields and command 2001.
void UpdateScanProgress(HWND dialog, DSData* ds);
// At the end: 100 percent of what was done.
void FinishScanProgress(HWND dialog, DSData* ds);
// Frees the preview bitmap of the kind now scanned (prescan or final scan).
void FreeScanPreviewBitmap(DSData* ds);

#endif
