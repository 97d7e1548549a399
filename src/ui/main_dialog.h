// The main dialog's parts. OpenFilmCoreDlg and InitScanDlgParams are
// exported (FilmCore.h); the procedure in main_dialog.cpp dispatches to the
// handlers declared here, each group in a file of its own.
#ifndef FILMCORE_MAIN_DIALOG_H
#define FILMCORE_MAIN_DIALOG_H

#include <windows.h>

#include <stdint.h>

#include "FilmCore.h"

// 199 keeps the image size shown and the dialog in front of the imaging
// program; 101 reprograms the scan a moment after a list changed.
enum { MAIN_SIZE_TIMER = 199, MAIN_SIZE_TIMER_MS = 500 };
enum { MAIN_PROGRAM_TIMER = 101, MAIN_PROGRAM_DELAY_MS = 333 };

// main_dialog_fill.cpp
void FillDialogFromSession(DSData* ds);

// main_controls.cpp: buttons by the host's mask, the lists and TopCenter.
// Mask bits: 0 Scan, 1 Pre Scan, 2 Eject, 4 Patient Info, 6 Exit, 7 Cancel.
void EnableMainButtons(HWND window, uint32_t mask, int enable);
void OnResolutionList(HWND dialog, DSData* ds, int notification);
void OnDepthList(HWND dialog, DSData* ds, int notification);
void OnFilmCountList(HWND dialog, DSData* ds, int notification);
void OnTopCenter(HWND dialog, DSData* ds);

// main_toggles.cpp: the staging notes, Save To Disk, Multi-Film Mode, Pre Scan.
void ShowFirstStagingNote(HWND dialog, DSData* ds);
void OnSaveToDisk(HWND dialog, DSData* ds);
void OnMultiFilmMode(HWND dialog, DSData* ds);
void OnPreScan(HWND dialog, DSData* ds);

// main_leave.cpp: Exit, Cancel and the close request to the host.
void OnExit(HWND dialog, DSData* ds);
void OnCancel(HWND dialog, DSData* ds);
void OnMainClose(DSData* ds);

// scan_finished.cpp
void OnScanFinished(HWND dialog, DSData* ds);
void ReloadFilmAfterPrescan(HWND dialog, DSData* ds);

// status_panel.cpp: the bevelled frame, the progress bar and the painting.
void DrawStatusPanel(HWND window, HDC dc, DSData* ds);
void DrawProgressBar(HWND window, HDC dc, int left, int top, int width, int height, int kilobytes,
                     int percent, COLORREF doneColour, COLORREF restColour);
void PaintMainDialog(HWND dialog, DSData* ds);
void RepaintStatusPanel(HWND dialog, DSData* ds);
// Frees the pens, brushes, font and bar bitmap the panel keeps.
void ReleaseStatusPanelTools(HWND window);
void OnMainPaletteChanged(HWND dialog, DSData* ds, HWND changedBy);
void ReleaseMainPalette(HWND dialog, DSData* ds);

// main_timers.cpp
void OnMainTimer(HWND dialog, DSData* ds, UINT_PTR id);

#endif
