// The main dialog as far as a scan uses it: the real template 101 with a
// procedure that only stops a running scan on Cancel.
#ifndef FILMCORE_TEST_SCAN_DIALOG_STUB_H
#define FILMCORE_TEST_SCAN_DIALOG_STUB_H

#include <windows.h>

#include <string>

#include "FilmCore.h"

// Modeless, from the test module's own template; Cancel clears the
// scanState of `ds` while it is 1.
HWND CreateScanDialogStub(DSData* ds);
void ResetScanDialogStub(void);
std::string StubStatusText(void);   // control 1011 now
// Cancel on the n-th progress command 2001 (1 = the first); 0 turns it off.
void StubCancelAfterProgress(int n);
// A Cancel click that lands the next time the scan lets the message queue
// run; safe to queue from inside a toolkit call.
void StubClickCancel(void);

#endif
