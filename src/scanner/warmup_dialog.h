// The modeless "The Scanner Is Warming Up!" notice and the operator's
// answer to it.
#ifndef FILMCORE_WARMUP_DIALOG_H
#define FILMCORE_WARMUP_DIALOG_H

#include <windows.h>

enum WarmupOutcome { WARMUP_WAITING, WARMUP_ABORT, WARMUP_IGNORE };

WarmupOutcome WarmupOutcomeNow(void);
void SetWarmupOutcome(WarmupOutcome outcome);

// Creates the notice (owned by `owner`) when none exists; null when it
// cannot be created.
HWND OpenWarmupDialog(HINSTANCE instance, HWND owner);
// The notice while it exists, else null.
HWND WarmupDialog(void);

#endif
