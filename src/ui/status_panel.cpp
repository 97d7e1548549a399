#include "main_dialog.h"

#include "pipeline/preview_area.h"
#include "frame/phase_timing.h"

namespace {

const COLORREF kDoneColour = 0x964B00;
const COLORREF kRestColour = 0xD2B496;
const int kBarHeight = 21;

COLORREF Grey(int level)
{
    const int g = ((level % 256) + 256) % 256;
    return RGB(g, g, g);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

void FillPart(HDC dc, const RECT& part, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &part, brush);
    DeleteObject(brush);
}

// The text in `colour`, clipped to `part`.
void TextInPart(HDC dc, const RECT& part, int x, int y, const char* text, int length, COLORREF colour)
{
    if (part.right <= part.left)
        return;
    SaveDC(dc);
    IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, length);
    RestoreDC(dc, -1);
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
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    const int doneWidth = width * percent / 100;
    const RECT done = {left, top, left + doneWidth, top + height};
    const RECT rest = {left + doneWidth, top, left + width, top + height};
    FillPart(dc, done, doneColour);
    FillPart(dc, rest, restColour);

    char text[24];
    const int length = wsprintfA(text, "%dK", kilobytes);
    HFONT font = CreateFontA(-MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 750, FALSE, FALSE,
                             FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, VARIABLE_PITCH | FF_ROMAN, "Tms Rmn");
    HGDIOBJ previousFont = SelectObject(dc, font);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    TextInPart(dc, done, left + 10, top + 3, text, length, restColour);
    TextInPart(dc, rest, left + 10, top + 3, text, length, doneColour);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
    DeleteObject(font);
}

void DrawStatusPanel(HWND window, HDC dc, DSData* ds)
{
    // From the outside in: light over the top and left, dark under the
    // bottom and right, so the dialog stands out of the screen.
    static const int kShade[] = {-20, 70, 40, 10, -10, -40, -70};
    RECT client;
    GetClientRect(window, &client);
    for (int k = 0; k < 7; ++k) {
        const int l = client.left + k, t = client.top + k;
        const int r = client.right - 1 - k, b = client.bottom - 1 - k;
        Line(dc, l, b, l, t, Grey(180 + kShade[k]));
        Line(dc, l, t, r, t, Grey(180 + kShade[k]));
        Line(dc, r, t, r, b, Grey(180 - kShade[k]));
        Line(dc, l, b, r + 1, b, Grey(180 - kShade[k]));
    }
    ScanSettings* s = ds->ScanSettings;
    if (s->progressPercent > 100)
        s->progressPercent = 100;
    const int width = client.right - client.left, height = client.bottom - client.top;
    DrawProgressBar(window, dc, client.left + static_cast<int>(0.31 * width),
                    client.top + static_cast<int>(0.88 * height), static_cast<int>(0.54 * width), kBarHeight,
                    static_cast<int>(s->progressBytes / 1000), static_cast<int>(s->progressPercent),
                    kDoneColour, kRestColour);
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
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    DrawStatusPanel(dialog, dc, ds);
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
