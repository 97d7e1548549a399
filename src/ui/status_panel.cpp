#include "main_dialog.h"

#include <new>

#include "pipeline/preview_area.h"
#include "frame/phase_timing.h"

namespace {

const COLORREF kDoneColour = 0x964B00;
const COLORREF kRestColour = 0xD2B496;
const int kBarHeight = 21;
const int kBevelLines = 7;

// From the outside in: light over the top and left, dark under the bottom
// and right, so the dialog stands out of the screen.
const int kShade[kBevelLines] = {-20, 70, 40, 10, -10, -40, -70};

// The panel's pens, brushes, font and off-screen bar, made at its first
// drawing and kept until the dialog is destroyed: the bar is repainted for
// every block of a scan.
struct StatusPanelTools {
    HPEN light[kBevelLines];
    HPEN dark[kBevelLines];
    HBRUSH done;
    HBRUSH rest;
    HFONT font;
    HDC barDc;
    HBITMAP barBitmap;
    HGDIOBJ barDcBitmap;
    HGDIOBJ barDcFont;
    int barWidth, barHeight;
};

COLORREF Grey(int level)
{
    const int g = ((level % 256) + 256) % 256;
    return RGB(g, g, g);
}

HFONT MakeBarFont(HDC dc)
{
    return CreateFontA(-MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 750, FALSE, FALSE,
                       FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_ROMAN, "Tms Rmn");
}

StatusPanelTools* MakeTools(HDC dc)
{
    StatusPanelTools* t = new (std::nothrow) StatusPanelTools();
    if (!t)
        return nullptr;   // drawn with tools made for each drawing
    for (int k = 0; k < kBevelLines; ++k) {
        t->light[k] = CreatePen(PS_SOLID, 1, Grey(180 + kShade[k]));
        t->dark[k] = CreatePen(PS_SOLID, 1, Grey(180 - kShade[k]));
    }
    t->done = CreateSolidBrush(kDoneColour);
    t->rest = CreateSolidBrush(kRestColour);
    t->font = MakeBarFont(dc);
    t->barDc = CreateCompatibleDC(dc);
    if (t->barDc) {
        t->barDcFont = SelectObject(t->barDc, t->font);
        SetBkMode(t->barDc, TRANSPARENT);
    }
    return t;
}

void FreeTools(StatusPanelTools* t)
{
    if (t->barDc) {
        SelectObject(t->barDc, t->barDcFont);
        if (t->barBitmap)
            SelectObject(t->barDc, t->barDcBitmap);
        DeleteDC(t->barDc);
    }
    if (t->barBitmap)
        DeleteObject(t->barBitmap);
    for (int k = 0; k < kBevelLines; ++k) {
        DeleteObject(t->light[k]);
        DeleteObject(t->dark[k]);
    }
    DeleteObject(t->done);
    DeleteObject(t->rest);
    DeleteObject(t->font);
    delete t;
}

// The tools kept in the dialog's own user slot (freed by
// ReleaseStatusPanelTools), made at its first drawing; none when they
// cannot be kept. Not a window property: under Wine every look at one is
// a round trip to the server, once a block.
StatusPanelTools* ToolsOf(HWND window, HDC dc)
{
    if (!window)
        return nullptr;
    StatusPanelTools* t = reinterpret_cast<StatusPanelTools*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!t) {
        t = MakeTools(dc);
        if (!t)
            return nullptr;
        SetLastError(0);
        if (!SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(t)) && GetLastError() != 0) {
            FreeTools(t);
            return nullptr;
        }
    }
    return t;
}

// An off-screen bitmap the size of the bar, selected into the tools' DC.
bool BarSurface(StatusPanelTools* t, HDC dc, int width, int height)
{
    if (!t->barDc)
        return false;
    if (t->barBitmap && t->barWidth == width && t->barHeight == height)
        return true;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    if (!bitmap)
        return false;
    HGDIOBJ previous = SelectObject(t->barDc, bitmap);
    if (t->barBitmap) {
        DeleteObject(t->barBitmap);
    } else {
        t->barDcBitmap = previous;
    }
    t->barBitmap = bitmap;
    t->barWidth = width;
    t->barHeight = height;
    return true;
}

// The text in `colour`, clipped to `part` (by the call itself: no saved
// and restored device context per block).
void TextInPart(HDC dc, const RECT& part, int x, int y, const char* text, int length, COLORREF colour)
{
    if (part.right <= part.left)
        return;
    SetTextColor(dc, colour);
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &part, text, static_cast<UINT>(length), nullptr);
}

// The bar at (left, top) of `dc`: its two parts and the kilobytes over
// them, the light text over the done part and the dark over the rest.
void PaintBar(HDC dc, HBRUSH doneBrush, HBRUSH restBrush, int left, int top, int width, int height,
              int kilobytes, int percent, COLORREF doneColour, COLORREF restColour)
{
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    const int doneWidth = width * percent / 100;
    const RECT done = {left, top, left + doneWidth, top + height};
    const RECT rest = {left + doneWidth, top, left + width, top + height};
    FillRect(dc, &done, doneBrush);
    FillRect(dc, &rest, restBrush);
    char text[24];
    const int length = wsprintfA(text, "%dK", kilobytes);
    TextInPart(dc, done, left + 10, top + 3, text, length, restColour);
    TextInPart(dc, rest, left + 10, top + 3, text, length, doneColour);
}

// Without kept tools (or for other colours) the bar is drawn straight
// onto `dc` with tools made for this one drawing.
void DrawBarDirect(HDC dc, int left, int top, int width, int height, int kilobytes, int percent,
                   COLORREF doneColour, COLORREF restColour)
{
    HBRUSH doneBrush = CreateSolidBrush(doneColour);
    HBRUSH restBrush = CreateSolidBrush(restColour);
    HFONT font = MakeBarFont(dc);
    HGDIOBJ previousFont = SelectObject(dc, font);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    PaintBar(dc, doneBrush, restBrush, left, top, width, height, kilobytes, percent, doneColour,
             restColour);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
    DeleteObject(font);
    DeleteObject(doneBrush);
    DeleteObject(restBrush);
}

struct BarPlace {
    int left, top, width;
};

BarPlace BarPlaceIn(const RECT& client)
{
    const int width = client.right - client.left, height = client.bottom - client.top;
    return BarPlace{client.left + static_cast<int>(0.31 * width),
                    client.top + static_cast<int>(0.88 * height), static_cast<int>(0.54 * width)};
}

void DrawBarOfSession(HWND window, HDC dc, DSData* ds, const RECT& client)
{
    ScanSettings* s = ds->ScanSettings;
    if (s->progressPercent > 100)
        s->progressPercent = 100;
    const BarPlace bar = BarPlaceIn(client);
    DrawProgressBar(window, dc, bar.left, bar.top, bar.width, kBarHeight,
                    static_cast<int>(s->progressBytes / 1000), static_cast<int>(s->progressPercent),
                    kDoneColour, kRestColour);
}

void Line(HDC dc, HPEN pen, int x1, int y1, int x2, int y2)
{
    SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void DrawBevel(HDC dc, const RECT& client, const StatusPanelTools* tools)
{
    HPEN made[2 * kBevelLines] = {};
    const HPEN* light = tools ? tools->light : made;
    const HPEN* dark = tools ? tools->dark : made + kBevelLines;
    if (!tools) {
        for (int k = 0; k < kBevelLines; ++k) {
            made[k] = CreatePen(PS_SOLID, 1, Grey(180 + kShade[k]));
            made[kBevelLines + k] = CreatePen(PS_SOLID, 1, Grey(180 - kShade[k]));
        }
    }
    HGDIOBJ previous = SelectObject(dc, light[0]);
    for (int k = 0; k < kBevelLines; ++k) {
        const int l = client.left + k, t = client.top + k;
        const int r = client.right - 1 - k, b = client.bottom - 1 - k;
        Line(dc, light[k], l, b, l, t);
        Line(dc, light[k], l, t, r, t);
        Line(dc, dark[k], r, t, r, b);
        Line(dc, dark[k], l, b, r + 1, b);
    }
    SelectObject(dc, previous);
    for (HPEN pen : made)
        if (pen)
            DeleteObject(pen);
}

HPALETTE SelectModulePalette(HDC dc, DSData* ds)
{
    HPALETTE palette = static_cast<HPALETTE>(ds->HostServices->palette);
    if (!palette)
        return nullptr;
    HPALETTE displaced = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    return displaced;
}

}  // namespace

void DrawProgressBar(HWND window, HDC dc, int left, int top, int width, int height, int kilobytes,
                     int percent, COLORREF doneColour, COLORREF restColour)
{
    StatusPanelTools* t = ToolsOf(window, dc);
    // Drawn off-screen and put on the screen in one copy, so the display
    // gets one picture a block instead of four drawing calls.
    if (!t || doneColour != kDoneColour || restColour != kRestColour || width <= 0 || height <= 0 ||
        !BarSurface(t, dc, width, height)) {
        DrawBarDirect(dc, left, top, width, height, kilobytes, percent, doneColour, restColour);
        return;
    }
    PaintBar(t->barDc, t->done, t->rest, 0, 0, width, height, kilobytes, percent, doneColour,
             restColour);
    BitBlt(dc, left, top, width, height, t->barDc, 0, 0, SRCCOPY);
}

void DrawStatusPanel(HWND window, HDC dc, DSData* ds)
{
    RECT client;
    GetClientRect(window, &client);
    DrawBevel(dc, client, ToolsOf(window, dc));
    DrawBarOfSession(window, dc, ds, client);
}

void ReleaseStatusPanelTools(HWND window)
{
    StatusPanelTools* t = reinterpret_cast<StatusPanelTools*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!t)
        return;
    SetWindowLongPtrA(window, DWLP_USER, 0);
    FreeTools(t);
}

void PaintMainDialog(HWND dialog, DSData* ds)
{
    PHASE_SPAN("PaintMainDialog");
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (!dc)
        return;
    if (HPALETTE displaced = SelectModulePalette(dc, ds))
        ds->HostServices->oldPalette = displaced;
    DrawStatusPanel(dialog, dc, ds);
    PaintPreview(dialog, dc, ds);
    EndPaint(dialog, &paint);
}

void RepaintStatusPanel(HWND dialog, DSData* ds)
{
    PHASE_SPAN("RepaintStatusPanel");
    // Only the bar moves during a scan: the bevel stays as WM_PAINT drew it.
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    RECT client;
    GetClientRect(dialog, &client);
    DrawBarOfSession(dialog, dc, ds, client);
    ReleaseDC(dialog, dc);
}

void OnMainPaletteChanged(HWND dialog, DSData* ds, HWND changedBy)
{
    HPALETTE palette = static_cast<HPALETTE>(ds->HostServices->palette);
    if (changedBy == dialog || !palette)
        return;
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    HPALETTE displaced = SelectPalette(dc, palette, FALSE);
    if (RealizePalette(dc) > 0)
        InvalidateRect(dialog, nullptr, TRUE);
    SelectPalette(dc, displaced, FALSE);
    ReleaseDC(dialog, dc);
}

void ReleaseMainPalette(HWND dialog, DSData* ds)
{
    HostServices* host = ds->HostServices;
    // The palette is given back before it is deleted: a palette still
    // selected somewhere cannot be.
    if (host->oldPalette) {
        if (HDC dc = GetDC(dialog)) {
            SelectPalette(dc, static_cast<HPALETTE>(host->oldPalette), FALSE);
            ReleaseDC(dialog, dc);
        }
        host->oldPalette = nullptr;
    }
    if (host->palette) {
        DeleteObject(static_cast<HPALETTE>(host->palette));
        host->palette = nullptr;
    }
}
