// The grey palette the main dialog makes for palette-based displays; the
// Patient Information dialog draws its preview with it.
#ifndef FILMCORE_GREY_PALETTE_H
#define FILMCORE_GREY_PALETTE_H

#include <windows.h>

// A logical palette (version 0x300) of `entries` greys, entry i = (i, i, i).
// Null when entries is not positive or creation fails.
HPALETTE MakeGreyPalette(int entries);

// The grey palette sized to the display's palette, or null when the display
// is not palette-based.
HPALETTE MakeDisplayPalette(void);

#endif
