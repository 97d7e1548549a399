// The About box: module version, free disk space and memory, and the
// picture of the digitizer's model variant.
#ifndef FILMCORE_ABOUT_DIALOG_H
#define FILMCORE_ABOUT_DIALOG_H

#include <windows.h>

#include "FilmCore.h"

// Runs the box modally over `owner`; returns 0.
int OpenAboutDlg(HINSTANCE instance, HWND owner, DSData* ds);

// The bitmap resource shown for a model variant ("NA", "9A", "9E", "A2");
// an unknown variant gets the template's own picture.
int AboutPictureFor(const char* modelVariant);

#endif
