// The wait used while polling the digitizer: keeps the dialogs alive and
// lets the operator cancel.
#ifndef FILMCORE_PUMP_MESSAGES_H
#define FILMCORE_PUMP_MESSAGES_H

#include <windows.h>

// Runs up to `passes` passes, each taking at most one queued message of the
// thread. Commands for `window` itself (and messages whose first parameter
// is 2) are not dispatched: with `ask` the operator is asked whether to
// cancel. Returns 0 when the operator confirmed a cancel, else 1.
int PumpMessages(HWND window, int passes, int ask);

#endif
