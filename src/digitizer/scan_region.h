// The region rules of a final scan: where the window goes on the bed in
// manual size and which part of the delivered strip an auto-size selection
// keeps. Portable; lengths in inches.
#ifndef FILMCORE_SCAN_REGION_H
#define FILMCORE_SCAN_REGION_H

#include <stdint.h>

#include "FilmCore.h"

typedef struct ManualRegion {
    double width;
    double length;
    double top;
    double left;
} ManualRegion;

// Top and Left as typed against the bed: nothing negative or NaN, top on
// the film, and a window that ends on the bed (a left beyond the bed puts a
// one-inch window on the bed's last inch).
void LimitManualPosition(ManualRegion* region, double maxWidth, double maxLength);

// Width and length within the bed.
void LimitManualSize(ManualRegion* region, double maxWidth, double maxLength);

// An auto-size selection: clips the selection to the bed, sets the crop
// within the strip of `lineWidth` pixels the digitizer delivers, and gives
// the window's pixels per line and lines (0 when the selection is empty).
void SelectAutoRegion(ScanArea* area, uint32_t maxWidth, uint32_t resolution,
                      uint32_t lineWidth, uint32_t* pixels, uint32_t* lines);

#endif
