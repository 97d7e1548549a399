// filmhost's view mode: opens a saved DICOM or bitmap file as the library's
// preview bitmaps, window/levels them and saves them, as a host that shows
// earlier images does (host/README.md).
#ifndef FILMHOST_VIEW_H
#define FILMHOST_VIEW_H

#include <stdint.h>

struct ViewRequest {
    const char* file = nullptr;      // the image to open
    uint32_t maxPixels = 65536;      // the reduced bitmap holds at most this many pixels
    uint16_t boundWidth = 256;       // the fitted bitmap's bounds
    uint16_t boundHeight = 256;
    bool levelled = false;           // window/level both bitmaps
    int16_t level = 128;
    int16_t width = 256;
    const char* save = nullptr;      // the reduced bitmap as a BMP file
    const char* saveFit = nullptr;   // the fitted bitmap as a BMP file
};

// Needs an open host session (the library's memory groups); the exit code:
// 0 done, 5 the library refused a step (the log says which and its code).
int ViewImageFile(const ViewRequest& request);

#endif
