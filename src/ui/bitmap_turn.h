// The quarter turn of the scan preview of a landscape film.
#ifndef FILMCORE_BITMAP_TURN_H
#define FILMCORE_BITMAP_TURN_H

#include <stdint.h>

#include "pipeline/dib.h"

// Turns a bottom-up bitmap of 1, 8, 12 or 16 bits (12 and 16 two bytes a
// pixel) a quarter turn so that its top edge becomes the left edge, in
// place. The turned rows may need more bytes than the bits hold; the turned
// image then keeps as many of its top rows as fit. 1 when turned, 0 when
// left as it was (another depth, no image, no memory).
int TurnBitmapQuarter(DibInfoHeader* header, uint8_t* bits);

#endif
