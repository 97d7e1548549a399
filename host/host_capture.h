// Screenshots of a window as PNG, copied from the window's own device
// context, so they show what the window has painted.
#ifndef FILMHOST_CAPTURE_H
#define FILMHOST_CAPTURE_H

#include <windows.h>

#include <string>

// Lets pending painting finish, then writes the whole window (frame and
// caption included). False with the reason in `why`.
bool CaptureWindow(HWND window, const char* path, std::string* why);

#endif
