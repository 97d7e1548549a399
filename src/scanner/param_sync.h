// Parameters negotiated with the host, by the PARAM_ ids of FilmCore.h.
// SyncScannerParams takes the host's values (ids up to PARAM_LEFT) and
// dispatches to these handlers: each stores the value in range, tells the
// host what it stored and refreshes the open dialog that shows it. The
// dialogs and scan programming call them directly; the library's own
// values (auto eject, averaging, multi-film mode, ...) are only notified,
// through NotifyHostU32 and its kin (frame/session.h).
#ifndef FILMCORE_PARAM_SYNC_H
#define FILMCORE_PARAM_SYNC_H

#include <windows.h>

#include <stdint.h>

#include "FilmCore.h"

void SyncFormatName(DSData* ds, const char* text);       // PARAM_FORMAT_NAME
void SyncExposure(DSData* ds, uint32_t value);           // PARAM_EXPOSURE
void SyncResolutionValue(DSData* ds, uint32_t dpi);      // PARAM_RESOLUTION
void SyncBitDepthValue(DSData* ds, uint32_t bits);       // PARAM_BIT_DEPTH
void SyncTransferMode(DSData* ds, uint32_t mode);        // PARAM_TRANSFER_MODE
void SyncUnits(DSData* ds, uint32_t units);              // PARAM_UNITS
void SyncWidth(DSData* ds, float inches);                // PARAM_WIDTH
void SyncLength(DSData* ds, float inches);               // PARAM_LENGTH
void SyncHostFileName(DSData* ds, const char* text);     // PARAM_HOST_FILE_NAME
void SyncTop(DSData* ds, float inches);                  // PARAM_TOP
void SyncLeft(DSData* ds, float inches);                 // PARAM_LEFT

// The options dialog's Units list, with the entry for `units` selected
// (none for an unknown unit).
void FillUnitsList(HWND options, uint32_t units);

#endif
