// Calibration and the full system test: the digitizer's maintenance
// operations, each in a small modeless window owned by the caller.
#ifndef FILMCORE_DIAGNOSTICS_H
#define FILMCORE_DIAGNOSTICS_H

#include <windows.h>

#include "FilmCore.h"

// A digitizer that never ends a calibration or a test is given up after
// this many diagnostic calls.
enum { DIAG_STEP_LIMIT = 1000 };

// Calibration mode 0 (the operator's Calibrate) and 2 (after an exposure
// change). The window stays open until its OK; both return 0.
int CalibrateScanner(HWND owner, DSData* ds);
int CalibrateAfterExposure(HWND owner, DSData* ds);

// The full test; the window stays open until its button. Returns 0.
int RunSystemTest(HWND owner, DSData* ds);

#endif
