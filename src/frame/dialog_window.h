// Small steps every dialog of the module shares.
#ifndef FILMCORE_DIALOG_WINDOW_H
#define FILMCORE_DIALOG_WINDOW_H

#include <windows.h>

#include "FilmCore.h"

// The session record a dialog keeps in its user data.
DSData* DialogSession(HWND dialog);
void CentreOnDesktop(HWND window);

#endif
