#include "pipeline/preview_geometry.h"

#include <stdio.h>

#include "digitizer/units.h"

static int32_t Percent(int32_t extent, int32_t percent)
{
    return static_cast<int32_t>(static_cast<int64_t>(extent) * percent / 100);
}

PreviewRect PreviewFrameFromClient(PreviewRect client)
{
    const int32_t w = client.right - client.left;
    const int32_t h = client.bottom - client.top;
    PreviewRect frame;
    frame.left = client.left + Percent(w, 31);
    frame.right = frame.left + Percent(w, 54);
    frame.top = client.top + Percent(h, 5);
    frame.bottom = client.top + Percent(h, 85);
    return frame;
}

PreviewRect FitImageInFrame(PreviewRect frame, int32_t bitmapWidth, int32_t bitmapHeight)
{
    const int64_t fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    const int64_t w = bitmapWidth, h = bitmapHeight;
    if (fw <= 0 || fh <= 0 || w <= 0 || h <= 0)
        return PreviewRect{0, 0, 0, 0};
    PreviewRect image = frame;
    if (fh * w > fw * h) {
        const int32_t height = static_cast<int32_t>(fw * h / w);
        image.top = frame.top + static_cast<int32_t>((fh - height) >> 1);
        image.bottom = image.top + height;
    } else {
        const int32_t width = static_cast<int32_t>(fh * w / h);
        image.left = frame.left + static_cast<int32_t>((fw - width) >> 1);
        image.right = image.left + width;
    }
    return image;
}

bool RectHasArea(const PreviewRect& r) { return r.left < r.right && r.top < r.bottom; }

bool PointInRect(const PreviewRect& r, int32_t x, int32_t y)
{
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

static int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

void ClampPointToRect(const PreviewRect& r, int32_t* x, int32_t* y)
{
    *x = Clamp(*x, r.left, r.right);
    *y = Clamp(*y, r.top, r.bottom);
}

int32_t RulerScale(int32_t imageExtent, uint32_t previewDpi, uint32_t prescanExtent)
{
    if (imageExtent <= 0 || prescanExtent == 0)
        return 0;
    const uint64_t scale = static_cast<uint64_t>(imageExtent) * 10u * previewDpi / prescanExtent;
    return scale > INT32_MAX ? INT32_MAX : static_cast<int32_t>(scale);
}

RulerTicks PlanRulerTicks(int32_t scale, uint32_t units, int32_t start, int32_t origin)
{
    RulerTicks t;
    if (units == UNITS_CENTIMETRES) {
        t.step = static_cast<int32_t>(scale * 0.39370078740157477);  // one centimetre
        t.longPeriod = 5;
    } else {
        t.step = scale / 2;  // half an inch
        t.longPeriod = 2;
    }
    t.origin = origin;
    // Truncation toward zero keeps the first tick on the inner side of start.
    t.firstIndex = t.step ? static_cast<int32_t>(static_cast<int64_t>(start - origin) * 10 / t.step) : 0;
    return t;
}

int32_t RulerTickPosition(const RulerTicks& t, int32_t k)
{
    const int64_t index = static_cast<int64_t>(t.firstIndex) + k;
    return t.origin + static_cast<int32_t>(index * t.step / 10);
}

bool RulerTickIsLong(const RulerTicks& t, int32_t k) { return (t.firstIndex + k) % t.longPeriod == 0; }

int32_t PreviewDistanceX(int32_t x, int32_t frameLeft, int32_t rulerOffsetX) { return x - frameLeft - rulerOffsetX; }

int32_t PreviewDistanceY(int32_t y, int32_t frameBottom, int32_t rulerOffsetY)
{
    return frameBottom - y + rulerOffsetY;
}

static void FormatLength(char* out, size_t size, const char* label, int32_t distance, int32_t scale,
                         uint32_t units)
{
    if (units == UNITS_CENTIMETRES)
        snprintf(out, size, "%s: %6.2f cm", label, distance * 25.4 / scale);
    else
        snprintf(out, size, "%s: %6.2f in", label, distance * 10.0 / scale);
}

void FormatSelectionValue(char* out, size_t size, const char* label, int32_t distance, int32_t scale,
                          uint32_t units, uint32_t resolution)
{
    if (units == UNITS_PIXELS)
        snprintf(out, size, "%s: %ld", label,
                 static_cast<long>(static_cast<int64_t>(distance) * resolution * 10 / scale));
    else
        FormatLength(out, size, label, distance, scale, units);
}

void FormatPointerValue(char* out, size_t size, const char* label, int32_t distance, int32_t scale,
                        uint32_t units, bool inside)
{
    if (!inside)
        snprintf(out, size, "%s:", label);
    else if (units == UNITS_PIXELS)
        snprintf(out, size, "%s: %ld", label, static_cast<long>(distance));
    else
        FormatLength(out, size, label, distance, scale, units);
}

PreviewRect NormaliseRect(PreviewRect r)
{
    if (r.left > r.right) {
        const int32_t t = r.left;
        r.left = r.right;
        r.right = t;
    }
    if (r.top > r.bottom) {
        const int32_t t = r.top;
        r.top = r.bottom;
        r.bottom = t;
    }
    return r;
}

PreviewRect ClampRectToRect(PreviewRect r, const PreviewRect& b)
{
    ClampPointToRect(b, &r.left, &r.top);
    ClampPointToRect(b, &r.right, &r.bottom);
    return r;
}

SelectionInches SelectionToInches(const PreviewRect& sel, const PreviewRect& image, uint32_t prescanPixels,
                                  uint32_t prescanLines, uint32_t previewDpi)
{
    const double filmWidth = static_cast<double>(prescanPixels) / previewDpi;
    const double filmLength = static_cast<double>(prescanLines) / previewDpi;
    const double w = image.right - image.left, h = image.bottom - image.top;
    SelectionInches in;
    in.left = static_cast<float>((sel.left - image.left) / w * filmWidth);
    in.right = static_cast<float>((sel.right - image.left) / w * filmWidth);
    const double lastRow = image.bottom - 1;
    const double fromLeadingEdge = lastRow - sel.bottom;
    in.top = static_cast<float>((fromLeadingEdge > 0 ? fromLeadingEdge : 0) / h * filmLength);
    in.bottom = static_cast<float>((lastRow - sel.top) / h * filmLength);
    return in;
}
