// The main dialog as the scan commands use it: template 101 with a
// procedure that keeps the status line, records the private commands it
// receives (1099, 1019, 2001) and, on Cancel during a scan, stops the scan
// and the batch as the real dialog does.
#ifndef FILMCORE_TEST_COMMAND_DIALOG_STUB_H
#define FILMCORE_TEST_COMMAND_DIALOG_STUB_H

#include <windows.h>

#include <string>
#include <vector>

#include "FilmCore.h"

HWND CreateCommandDialog(DSData* ds);
const std::vector<std::string>& StatusHistory(void);  // every status text, in order
int CommandsReceived(int id);                         // WM_COMMAND `id` so far
// Cancel at the first progress repaint while film `film` is scanning.
void CancelDuringFilm(int film);

#endif
