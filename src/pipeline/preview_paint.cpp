// Painting the preview area: background, image, rulers, the XOR rubber band
// and markers, and the coordinate texts that go with them.
#include <stdlib.h>

#include "pipeline/dib.h"
#include "pipeline/preview_area.h"
#include "pipeline/preview_state.h"
#include "res/resource.h"

namespace {

const COLORREF kBackground = 0xD2B496;
const COLORREF kRulerColour = 0xB4967F;
const COLORREF kBandColour = 0x7FFF00;
const COLORREF kMarkerColour = 0xFF7F00;

void FillColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    if (left >= right || top >= bottom)
        return;
    RECT r = {left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void FillMargins(HDC dc, const PreviewRect& f, const PreviewRect& i)
{
    FillColour(dc, f.left, f.top, f.right, i.top, kBackground);
    FillColour(dc, f.left, i.bottom, f.right, f.bottom, kBackground);
    FillColour(dc, f.left, i.top, i.left, i.bottom, kBackground);
    FillColour(dc, i.right, i.top, f.right, i.bottom, kBackground);
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// The prescan bitmap when there is one worth drawing: a header with both
// extents, its bits, and the prescan's size to scale the rulers by.
const BITMAPINFO* PrescanBitmap(const DSData* ds)
{
    const ScanSettings* s = ds->ScanSettings;
    const BITMAPINFO* info = static_cast<const BITMAPINFO*>(s->prescanInfo);
    if (!info || !s->prescanBits || info->bmiHeader.biWidth == 0 || info->bmiHeader.biHeight == 0)
        return nullptr;
    if (ds->ScanArea->prescanPixels == 0 || ds->ScanArea->prescanLines == 0)
        return nullptr;
    return info;
}

void SetImageRect(ScanArea* area, const PreviewRect& r)
{
    area->imageRect[0] = r.left;
    area->imageRect[1] = r.top;
    area->imageRect[2] = r.right;
    area->imageRect[3] = r.bottom;
}

void DrawRulers(HDC dc, const PreviewRect& f, const PreviewRect& image, DSData* ds)
{
    PreviewState& p = Preview();
    const ScanArea* area = ds->ScanArea;
    p.rulerScaleX = RulerScale(image.right - image.left, area->previewDpi, area->prescanPixels);
    p.rulerScaleY = RulerScale(image.bottom - image.top, area->previewDpi, area->prescanLines);
    DrawRuler(dc, f.left - kRulerThickness, f.top, f.left, f.bottom, -p.rulerScaleY, kRulerVertical,
              image.bottom - 1, ds);
    DrawRuler(dc, f.left, f.top - kRulerThickness, f.right, f.top, p.rulerScaleX, kRulerHorizontal, image.left,
              ds);
}

void StretchImage(HDC dc, const PreviewRect& image, const BITMAPINFO* info, const void* bits)
{
    const LONG w = info->bmiHeader.biWidth, h = labs(info->bmiHeader.biHeight);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, image.left, image.top, image.right - image.left, image.bottom - image.top, 0, 0, w, h, bits,
                  info, DIB_RGB_COLORS, SRCCOPY);
}

void XorOutline(HDC dc, int x1, int y1, int x2, int y2)
{
    const POINT corners[5] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    const int oldMode = SetROP2(dc, R2_XORPEN);
    HPEN pen = CreatePen(PS_SOLID, 1, kBandColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Polyline(dc, corners, 5);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetROP2(dc, oldMode);
}

void DrawBandAndMarkers(HDC dc)
{
    const PreviewState& p = Preview();
    XorOutline(dc, p.dragStartX, p.dragStartY, p.dragEndX, p.dragEndY);
    DrawSelectionMarkers(dc, p.dragStartX, p.dragStartY, p.dragEndX, p.dragEndY, p.frame.left - kRulerThickness,
                         p.frame.left, p.frame.top - kRulerThickness, p.frame.top);
}

void DrawTicks(HDC dc, int left, int top, int right, int bottom, const RulerTicks& ticks, int kind)
{
    // The ticks must run from the start edge toward the far one.
    if (kind == kRulerHorizontal ? ticks.step <= 0 : ticks.step >= 0)
        return;
    for (int32_t k = 0;; ++k) {
        const int32_t at = RulerTickPosition(ticks, k);
        const bool isLong = RulerTickIsLong(ticks, k);
        if (kind == kRulerHorizontal) {
            if (at >= right)
                break;
            Line(dc, at, top, at, isLong ? bottom : (top + bottom) / 2);
        } else {
            if (at <= top)
                break;
            Line(dc, left, at, isLong ? right : (left + right) / 2, at);
        }
    }
}

void SetText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

}  // namespace

void DrawRuler(HDC dc, int left, int top, int right, int bottom, int scale, int kind, int origin, DSData* ds)
{
    if (kind != kRulerHorizontal && kind != kRulerVertical) {
        HWND owner = ds && ds->HostServices ? static_cast<HWND>(ds->HostServices->mainDialog) : nullptr;
        MessageBoxA(owner, "Bad ruler type", "ERROR", MB_OK | MB_ICONSTOP);
        return;
    }
    HBRUSH brush = CreateSolidBrush(kRulerColour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, left, top, right, bottom);
    const uint32_t units = ds && ds->ScanSettings ? ds->ScanSettings->units : 1;
    const int start = kind == kRulerHorizontal ? left : bottom;
    DrawTicks(dc, left, top, right, bottom, PlanRulerTicks(scale, units, start, origin), kind);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    if (kind == kRulerHorizontal)
        Preview().rulerOffsetX = origin - left;
    else
        Preview().rulerOffsetY = origin - bottom;
}

void PaintPreview(HWND dialog, HDC dc, DSData* ds)
{
    if (!dc || !ds || !ds->ScanSettings || !ds->ScanArea)
        return;
    const PreviewRect& f = Preview().frame;
    const BITMAPINFO* info = PrescanBitmap(ds);
    if (!info) {
        // Nothing on screen, so nothing a selection could be validated against.
        FillColour(dc, f.left, f.top, f.right, f.bottom, kBackground);
        SetImageRect(ds->ScanArea, PreviewRect{0, 0, 0, 0});
        Preview().rulerScaleX = Preview().rulerScaleY = 0;
        return;
    }
    const PreviewRect image = FitImageInFrame(f, info->bmiHeader.biWidth, labs(info->bmiHeader.biHeight));
    SetImageRect(ds->ScanArea, image);
    FillMargins(dc, f, image);
    DrawRulers(dc, f, image, ds);
    if (!ds->ScanSettings->patientInfoRequested)
        StretchImage(dc, image, info, ds->ScanSettings->prescanBits);
    const PreviewState& p = Preview();
    if (p.selectionShown)
        ShowSelectionCoordinates(dialog, p.dragStartX, p.dragStartY, p.dragEndX, p.dragEndY, ds);
    DrawBandAndMarkers(dc);
}

void DrawSelectionMarkers(HDC dc, int x1, int y1, int x2, int y2, int rulerLeft, int frameLeft, int rulerTop,
                          int frameTop)
{
    const int oldMode = SetROP2(dc, R2_XORPEN);
    HPEN pen = CreatePen(PS_SOLID, 1, kMarkerColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Line(dc, rulerLeft, y1, frameLeft, y1);
    Line(dc, rulerLeft, y2, frameLeft, y2);
    Line(dc, x1, rulerTop, x1, frameTop);
    Line(dc, x2, rulerTop, x2, frameTop);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetROP2(dc, oldMode);
}

void DrawRubberBand(HWND dialog, int x1, int y1, int x2, int y2)
{
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    XorOutline(dc, x1, y1, x2, y2);
    ReleaseDC(dialog, dc);
}

void ToggleRubberBand(HWND dialog)
{
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    DrawBandAndMarkers(dc);
    ReleaseDC(dialog, dc);
}

void ShowSelectionCoordinates(HWND dialog, int x1, int y1, int x2, int y2, DSData* ds)
{
    PreviewState& p = Preview();
    if (!ds || !ds->ScanSettings || p.rulerScaleX == 0 || p.rulerScaleY == 0)
        return;
    p.selectionShown = true;
    const uint32_t units = ds->ScanSettings->units, dpi = ds->ScanSettings->resolution;
    char text[64];
    const struct {
        int id;
        const char* label;
        int32_t distance, scale;
    } values[] = {
        {IDC_SEL_X1, "X1", PreviewDistanceX(x1, p.frame.left, p.rulerOffsetX), p.rulerScaleX},
        {IDC_SEL_Y1, "Y1", PreviewDistanceY(y1, p.frame.bottom, p.rulerOffsetY), p.rulerScaleY},
        {IDC_SEL_X2, "X2", PreviewDistanceX(x2, p.frame.left, p.rulerOffsetX), p.rulerScaleX},
        {IDC_SEL_Y2, "Y2", PreviewDistanceY(y2, p.frame.bottom, p.rulerOffsetY), p.rulerScaleY},
        {IDC_SEL_WIDTH, "W", abs(x2 - x1), p.rulerScaleX},
        {IDC_SEL_HEIGHT, "H", abs(y2 - y1), p.rulerScaleY},
    };
    for (const auto& v : values) {
        FormatSelectionValue(text, sizeof text, v.label, v.distance, v.scale, units, dpi);
        SetText(dialog, v.id, text);
    }
}

void ShowPointerCoordinates(HWND dialog, int x, int y, int inside, DSData* ds)
{
    const PreviewState& p = Preview();
    if (!ds || !ds->ScanSettings || p.rulerScaleX == 0 || p.rulerScaleY == 0)
        return;
    const uint32_t units = ds->ScanSettings->units;
    char text[64];
    FormatPointerValue(text, sizeof text, "X", PreviewDistanceX(x, p.frame.left, p.rulerOffsetX), p.rulerScaleX,
                       units, inside != 0);
    SetText(dialog, IDC_POINTER_X, text);
    FormatPointerValue(text, sizeof text, "Y", PreviewDistanceY(y, p.frame.bottom, p.rulerOffsetY), p.rulerScaleY,
                       units, inside != 0);
    SetText(dialog, IDC_POINTER_Y, text);
}
