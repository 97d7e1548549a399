// The "Scan Size" dialog: the operator's list of film sizes and the choice
// of the one to scan, kept in the settings, section "IMAGE_SIZESET".
#ifndef FILMCORE_SCAN_SIZE_DIALOG_H
#define FILMCORE_SCAN_SIZE_DIALOG_H

#include <windows.h>

#include "FilmCore.h"

// Runs the dialog modally over `owner`; returns 1 when OK chose a size,
// 0 when it was cancelled.
int OpenScanSizeDlg(HINSTANCE instance, HWND owner, DSData* ds);

#endif
