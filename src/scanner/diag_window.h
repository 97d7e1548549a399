// Steps shared by the calibration and system test windows.
#ifndef FILMCORE_DIAG_WINDOW_H
#define FILMCORE_DIAG_WINDOW_H

#include <windows.h>

#include "FilmCore.h"

// Creates the modeless window from the session's module, centred on the
// desktop, shown, in the foreground and focused; null when it cannot be.
HWND OpenDiagWindow(DSData* ds, int templateId, HWND owner, DLGPROC procedure, LPARAM parameter);

// Lets the thread's windows handle what is waiting (at most 20 messages).
void HandlePendingMessages(void);

#endif
