// The arithmetic of the preview area: where the frame, the image and the
// ruler ticks lie, what the coordinate texts say, and the selected region
// in inches. No Win32 here, so it is tested natively.
#ifndef FILMCORE_PREVIEW_GEOMETRY_H
#define FILMCORE_PREVIEW_GEOMETRY_H

#include <stddef.h>
#include <stdint.h>

struct PreviewRect {
    int32_t left, top, right, bottom;
};

enum {
    kRulerThickness = 7,
    kRulerHorizontal = 1,
    kRulerVertical = 2,
};

// The frame inside a dialog client rectangle: 31% to 85% of the width,
// 5% to 85% of the height.
PreviewRect PreviewFrameFromClient(PreviewRect client);

// The bitmap fitted into the frame with its proportions kept and centred.
// An empty rectangle for an empty frame or bitmap.
PreviewRect FitImageInFrame(PreviewRect frame, int32_t bitmapWidth, int32_t bitmapHeight);

bool RectHasArea(const PreviewRect& r);
bool PointInRect(const PreviewRect& r, int32_t x, int32_t y);  // edges included
void ClampPointToRect(const PreviewRect& r, int32_t* x, int32_t* y);

// Client pixels per inch of film x 10; 0 when the prescan has no extent.
int32_t RulerScale(int32_t imageExtent, uint32_t previewDpi, uint32_t prescanExtent);

// A ruler's ticks: one every `step` tenths of a pixel (signed like the
// scale), the tick of index n at origin + n * step / 10, long when its index
// is a multiple of `longPeriod`. A step of 0 means no ticks.
struct RulerTicks {
    int32_t step;
    int32_t longPeriod;
    int32_t origin;
    int32_t firstIndex;  // the first tick on the inner side of the start edge
};

RulerTicks PlanRulerTicks(int32_t scale, uint32_t units, int32_t start, int32_t origin);
int32_t RulerTickPosition(const RulerTicks& ticks, int32_t k);  // k-th tick from the start
bool RulerTickIsLong(const RulerTicks& ticks, int32_t k);

// Distances from the image's left edge and, upward, from its bottom edge.
int32_t PreviewDistanceX(int32_t x, int32_t frameLeft, int32_t rulerOffsetX);
int32_t PreviewDistanceY(int32_t y, int32_t frameBottom, int32_t rulerOffsetY);

// "X1: %6.2f in", "X1: %6.2f cm" or, in scan pixels, "X1: %ld" for a
// distance in client pixels at `scale` (non-zero).
void FormatSelectionValue(char* out, size_t size, const char* label, int32_t distance, int32_t scale,
                          uint32_t units, uint32_t resolution);
// The pointer's "X: ..." text; pixel units show the client distance itself,
// outside the frame only the label.
void FormatPointerValue(char* out, size_t size, const char* label, int32_t distance, int32_t scale,
                        uint32_t units, bool inside);

// Edges swapped so that left <= right and top <= bottom.
PreviewRect NormaliseRect(PreviewRect r);
PreviewRect ClampRectToRect(PreviewRect r, const PreviewRect& bounds);

struct SelectionInches {
    float left, right, top, bottom;
};

// The selection (normalised, inside the image) as inches of film, the image
// standing for prescanPixels x prescanLines at previewDpi. The image and
// previewDpi must be non-empty. The preview's bottom row is the first line
// the digitizer delivered, so top and bottom are counted up from there, from
// the same row the Selection texts count from: what they show is scanned.
SelectionInches SelectionToInches(const PreviewRect& selection, const PreviewRect& image,
                                  uint32_t prescanPixels, uint32_t prescanLines, uint32_t previewDpi);

#endif
