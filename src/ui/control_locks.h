// Control groups a supervisor can lock: which controls of the main and the
// options dialog the operator may use.
#ifndef FILMCORE_CONTROL_LOCKS_H
#define FILMCORE_CONTROL_LOCKS_H

#include <windows.h>

#include "FilmCore.h"
#include "frame/session.h"  // IsControlGroupUnlocked
// Enables and disables the controls of whichever of the two dialogs is open;
// `window` only names the dialog whose exposure edit is always disabled.
void ApplyControlLocks(HWND window, DSData* ds);

#endif
