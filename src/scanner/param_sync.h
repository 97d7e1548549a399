// Parameters negotiated with the host: each handler stores the value in
// range, tells the host what it stored and refreshes the open dialog that
// shows it. SyncScannerParams (FilmCore.h) dispatches to them; the dialogs
// and scan programming call them directly.
#ifndef FILMCORE_PARAM_SYNC_H
#define FILMCORE_PARAM_SYNC_H

#include <windows.h>

#include <stdint.h>

#include "FilmCore.h"

void SyncFormatName(DSData* ds, const char* text);       // id 1
void SyncExposure(DSData* ds, uint32_t value);           // id 2
void SyncResolutionValue(DSData* ds, uint32_t dpi);      // id 3
void SyncBitDepthValue(DSData* ds, uint32_t bits);       // id 4
void SyncTransferMode(DSData* ds, uint32_t mode);        // id 5
void SyncUnits(DSData* ds, uint32_t units);              // id 8
void SyncWidth(DSData* ds, float inches);                // id 9
void SyncLength(DSData* ds, float inches);               // id 10
void SyncHostFileName(DSData* ds, const char* text);     // id 17
void SyncTop(DSData* ds, float inches);                  // id 20
void SyncLeft(DSData* ds, float inches);                 // id 21

// The options dialog's Units list, with the entry for `units` selected
// (none for an unknown unit).
void FillUnitsList(HWND options, uint32_t units);

#endif
