// Watched texts: a control of a dialog that is yet to open, whose every
// new text is logged as it is set, so texts that a running operation
// shows only for a moment (a calibration's steps) are seen too.
#ifndef FILMHOST_WATCH_H
#define FILMHOST_WATCH_H

#include <windows.h>

#include <string>

// From now on, control `id` of each dialog titled `title` is watched.
void WatchDialogText(const std::string& title, int id);
// A dialog is being activated (the CBT hook): starts the watches it has.
void OnDialogActivated(HWND dialog);

#endif
