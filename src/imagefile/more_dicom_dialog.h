// The More DICOM Parameters dialog: the UIDs and the remaining descriptive
// elements, edited directly in the DICOM element table.
#ifndef FILMCORE_MORE_DICOM_DIALOG_H
#define FILMCORE_MORE_DICOM_DIALOG_H

#include <windows.h>

#include "FilmCore.h"

// 1 stored, 0 cancelled (the main dialog ignores which).
int OpenMoreDicomDlg(HINSTANCE instance, HWND owner, DSData* ds);

#endif
