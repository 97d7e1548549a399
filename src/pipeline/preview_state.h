// What the preview area remembers between messages: one main dialog at a
// time, so module-wide. Shared by its painting and its input handling.
#ifndef FILMCORE_PREVIEW_STATE_H
#define FILMCORE_PREVIEW_STATE_H

#include <windows.h>

#include "pipeline/preview_geometry.h"

struct PreviewState {
    PreviewRect frame;
    int32_t dragStartX, dragStartY, dragEndX, dragEndY;
    bool dragging;
    bool selectionShown;
    int32_t rulerScaleX, rulerScaleY;
    int32_t rulerOffsetX, rulerOffsetY;
};

PreviewState& Preview(void);

// The rubber band's corners when there is none: off the client area.
void ForgetRubberBand(void);
// Draws (or, drawn again, removes) the band and the ruler markers.
void ToggleRubberBand(HWND dialog);

#endif
