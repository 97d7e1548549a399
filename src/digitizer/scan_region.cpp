#include "scan_region.h"

#include <math.h>

#include "units.h"

static double NotNegative(double value)
{
    return (value > 0.0) ? value : 0.0;  // NaN too
}

void LimitManualPosition(ManualRegion* r, double maxWidth, double maxLength)
{
    r->width = NotNegative(r->width);
    r->length = NotNegative(r->length);
    r->top = NotNegative(r->top);
    r->left = NotNegative(r->left);
    if (r->top > maxLength)
        r->top = maxLength;
    if (r->left + r->width > maxWidth)
        r->width = maxWidth - r->left;
    if (r->width < 0.0 || isnan(r->width)) {
        // The last inch of the bed, whatever its width.
        r->left = maxWidth >= 1.0 ? maxWidth - 1.0 : 0.0;
        r->width = maxWidth >= 1.0 ? 1.0 : maxWidth;
    }
}

void LimitManualSize(ManualRegion* r, double maxWidth, double maxLength)
{
    r->width = NotNegative(r->width);
    r->length = NotNegative(r->length);
    if (r->width > maxWidth)
        r->width = maxWidth;
    if (r->length > maxLength)
        r->length = maxLength;
}

void SelectAutoRegion(ScanArea* area, uint32_t maxWidth, uint32_t resolution,
                      uint32_t lineWidth, uint32_t* pixels, uint32_t* lines)
{
    if (area->left < 0.0f)
        area->left = 0.0f;
    if (area->right > static_cast<float>(maxWidth))
        area->right = static_cast<float>(maxWidth);
    if (area->top < 0.0f)
        area->top = 0.0f;
    double delivered = resolution ? static_cast<double>(lineWidth) / resolution : 0.0;
    // Single precision, as the region itself is kept.
    const float dpi = static_cast<float>(resolution);
    *lines = TruncateToU32((area->bottom - area->top) * dpi);
    double beyondRight = delivered - area->right;
    if (beyondRight > area->left) {
        area->cropLeft = 0.0f;
        area->cropRight = area->right - area->left;
    } else {
        area->cropLeft = static_cast<float>(area->left - beyondRight);
        area->cropRight = static_cast<float>(area->right - beyondRight);
    }
    *pixels = TruncateToU32((area->right - area->left) * dpi);
}
