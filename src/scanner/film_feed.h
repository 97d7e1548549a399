// Feeding a film before a scan or a prescan: the paper sensor, the feeder
// position, staging in the film feeder and the operator's Retry or Cancel.
#ifndef FILMCORE_FILM_FEED_H
#define FILMCORE_FILM_FEED_H

#include <windows.h>

#include "FilmCore.h"

enum FeedKind { FEED_FOR_SCAN, FEED_FOR_PRESCAN };

// 0 when the film is fed or there is nothing to feed; -1 when the operator
// cancelled the film load ("Ready" is then in the status line).
int FeedFilm(HWND window, DSData* ds, FeedKind kind);

// The low byte of the feeder position code the digitizer reports.
uint8_t RequestFeederPosition(void);

#endif
