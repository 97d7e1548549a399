// The main dialog's status line (control 1011) and its progress panel. The
// one writer of both: every step that reports progress goes through here,
// so a text is skipped only when the line already shows it. Tests put a
// recorder in front of the control, as they put a virtual clock in front
// of the real one.
#ifndef FILMCORE_STATUS_LINE_H
#define FILMCORE_STATUS_LINE_H

#include <windows.h>

// Writes the text (no dialog: nothing).
void ShowStatus(HWND dialog, const char* text);
// Writes and paints at once, for waits that sleep without pumping.
void ShowStatusNow(HWND dialog, const char* text);
// Skips a text the line already shows: every block of a scan shows
// "Scanning...", and asking the control or repainting it each time costs
// more than the block's lines.
void SetScanStatus(HWND dialog, const char* text);
// A new scan: the host or a test may have written the line since.
void ForgetScanStatus(void);

// Command 2001 to the dialog: the progress fields have moved.
void RepaintScanProgress(HWND dialog);

// What puts a text in the control; `paintNow` asks for an immediate paint.
typedef void (*StatusWriter)(HWND dialog, const char* text, bool paintNow);
// The control itself: the writer in use unless a test installs another.
void WriteStatusControl(HWND dialog, const char* text, bool paintNow);
// Installs `writer` (nullptr: the control) and returns the one it replaces.
StatusWriter StatusLineUseWriter(StatusWriter writer);

#endif
