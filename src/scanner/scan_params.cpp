#include "scan_params.h"
#include "frame/phase_timing.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "digitizer/line_width.h"
#include "digitizer/param_rules.h"
#include "digitizer/scan_region.h"
#include "digitizer/toolkit.h"
#include "digitizer/units.h"
#include "frame/log.h"
#include "frame/session.h"
#include "frame/tables.h"
#include "res/resource.h"
#include "scanner/param_sync.h"
#include "scanner/scan_lists.h"

namespace {

// What one programming pass decided: the window in pixels.
struct ScanWindow {
    uint32_t width;   // W
    uint32_t lines;   // H
    uint32_t pixels;  // PX, what setPixelSize gets
    bool manual;
};

double ReadNumber(HWND window, int id, int bufferSize)
{
    char text[64] = {0};
    if (bufferSize > static_cast<int>(sizeof text))
        bufferSize = sizeof text;
    GetDlgItemTextA(window, id, text, bufferSize);
    return strtod(text, nullptr);
}

void ShowText(HWND window, int id, const char* text)
{
    SetDlgItemTextA(window, id, text);
}

void EnableControls(HWND window, const int* ids, int count, BOOL enable)
{
    for (int i = 0; i < count; ++i) {
        HWND control = GetDlgItem(window, ids[i]);
        if (control)
            EnableWindow(control, enable);
    }
}

uint32_t EvenForDepth8(uint32_t pixels, uint32_t bitDepth)
{
    return bitDepth == 8 ? (pixels & ~1u) : pixels;
}

void ProgramAveraging(DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    if (c->averageCountSupported)
        Toolkit()->setAverageCount(c->averageCount);
    else
        c->averageCount = 1;
}

void ShowSizeBoxes(HWND window, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    CheckDlgButton(window, IDC_AUTO_SIZE, s->autoSize ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_TOP_CENTER, s->topCenter ? BST_CHECKED : BST_UNCHECKED);
    NotifyHostU32(PARAM_AUTO_SIZE, ds, s->autoSize);
    NotifyHostU32(PARAM_TOP_CENTER, ds, s->topCenter);
}

void EnableRegionControls(HWND window, DSData* ds)
{
    static const int kPosition[] = {IDC_TOP, IDC_TOP_LABEL, IDC_LEFT, IDC_LEFT_LABEL};
    static const int kSize[] = {IDC_WIDTH, IDC_WIDTH_LABEL, IDC_LENGTH, IDC_LENGTH_LABEL,
                                IDC_SCAN_SIZE};
    const ScanSettings* s = ds->ScanSettings;
    bool editable = s->autoSize == 0 && s->programmingScan == 0 &&
                    IsControlGroupUnlocked(ds, IDC_LOCK_ROI);
    EnableControls(window, kPosition, 4, editable && s->topCenter == 0);
    EnableControls(window, kSize, 5, editable);
}

// Pixel values follow a resolution change so they keep covering the same film.
void RescalePixelFields(HWND window, uint32_t before, uint32_t after)
{
    static const int kFields[] = {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT};
    for (int id : kFields) {
        uint64_t value = GetDlgItemInt(window, id, nullptr, FALSE);
        value = value * after / before;
        char text[16];
        snprintf(text, sizeof text, "%lu",
                 static_cast<unsigned long>(value > UINT32_MAX ? UINT32_MAX : value));
        ShowText(window, id, text);
    }
}

void TakeResolution(HWND window, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    float typed = static_cast<float>(ReadNumber(window, IDC_RESOLUTION, 64));
    uint32_t snapped = static_cast<uint32_t>(SnapResolution(typed, s->units));
    if (s->units == UNITS_PIXELS && s->resolutionBeforeChange != 0) {
        RescalePixelFields(window, s->resolutionBeforeChange, snapped);
        s->resolutionBeforeChange = 0;
    }
    s->resolution = snapped;
}

void TakeFilmCountAndDepth(HWND window, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    long films = static_cast<long>(ReadNumber(window, IDC_FILM_COUNT, 64));
    if (films > 0 && films <= FilmCountLimit(ds))
        s->filmCount = static_cast<uint8_t>(films);
    long depth = static_cast<long>(ReadNumber(window, IDC_DEPTH, 64));
    if (depth > 0)
        s->bitDepth = static_cast<uint32_t>(depth);
}

ScanWindow AutoSizeWindow(HWND window, DSData* ds)
{
    const ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;
    ScanWindow w = {};
    uint16_t lineWidth = QueryLineWidth(s->bitDepth);
    w.lines = s->maxLength * s->resolution;
    if ((s->selectionFlags & 1) == 0)
        SelectAutoRegion(ds->ScanArea, info->maxWidth, s->resolution, lineWidth, &w.width,
                         &w.lines);
    else
        w.width = lineWidth;
    if (w.width == 0) {
        MessageBoxA(window, "Error in scan width.", "ERROR", MB_OK | MB_ICONERROR);
        w.width = info->maxWidth * s->resolution;
    }
    Toolkit()->setScanMode(1);
    return w;
}

ManualRegion ReadManualRegion(HWND window, DSData* ds)
{
    const ScanSettings* s = ds->ScanSettings;
    ManualRegion r = {};
    r.width = ToInches(static_cast<float>(ReadNumber(window, IDC_WIDTH, 32)), s->units,
                       s->resolution);
    r.length = ToInches(static_cast<float>(ReadNumber(window, IDC_LENGTH, 32)), s->units,
                        s->resolution);
    if (s->topCenter)
        return r;
    r.top = ToInches(static_cast<float>(ReadNumber(window, IDC_TOP, 32)), s->units,
                     s->resolution);
    r.left = ToInches(static_cast<float>(ReadNumber(window, IDC_LEFT, 32)), s->units,
                      s->resolution);
    return r;
}

void ShowLength(HWND window, int id, double inches, const ScanSettings* s)
{
    char text[32];
    FormatLength(inches, s->units, s->resolution, text, sizeof text);
    ShowText(window, id, text);
}

ScanWindow ManualSizeWindow(HWND window, DSData* ds)
{
    const ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;
    Toolkit()->setScanMode(0);
    ManualRegion r = ReadManualRegion(window, ds);
    if (!s->topCenter) {
        LimitManualPosition(&r, info->maxWidth, s->maxLength);
        ShowLength(window, IDC_TOP, r.top, s);
        ShowLength(window, IDC_LEFT, r.left, s);
        ShowLength(window, IDC_WIDTH, r.width, s);
        NotifyHostFloat(PARAM_TOP, ds, static_cast<float>(r.top));
        NotifyHostFloat(PARAM_LEFT, ds, static_cast<float>(r.left));
    }
    LimitManualSize(&r, info->maxWidth, s->maxLength);
    ScanWindow w = {};
    w.manual = true;
    w.width = LengthToPixels(r.width, s->resolution);
    w.lines = LengthToPixels(r.length, s->resolution);
    s->offsetY = LengthToPixels(r.top, s->resolution);
    s->offsetX = LengthToPixels(r.left, s->resolution);
    return w;
}

void ProgramOffsets(DSData* ds, ScanWindow* w)
{
    const ScannerInfo* info = ds->ScannerInfo;
    const ScanSettings* s = ds->ScanSettings;
    const ScanArea* area = ds->ScanArea;
    const ScanKit* kit = Toolkit();
    const double dpi = s->resolution;
    if (w->manual && !s->topCenter) {
        kit->setOffset(s->offsetX, s->offsetY);
    } else if (s->selectionFlags & 1) {
        kit->setOffset(0, 0);
    } else if (info->hardwareVersion >= 7) {
        if (w->pixels >= static_cast<uint32_t>(info->maxWidth) * s->resolution && w->pixels > 0)
            w->pixels -= 1;
        kit->setOffset(TruncateToU32(dpi * area->left + 1.0), TruncateToU32(dpi * area->top));
        w->pixels = EvenForDepth8(w->pixels, s->bitDepth);
        kit->setPixelSize(w->pixels, w->lines);
    } else {
        // Older digitizers centre the strip they deliver on the bed.
        double delivered = s->resolution ? QueryLineWidth(s->bitDepth) / dpi : 0.0;
        if (area->prescanMode)
            kit->setOffset(0, 0);
        else
            kit->setOffset(TruncateToU32(dpi * (area->left + (info->maxWidth - delivered) * 0.5)),
                           TruncateToU32(dpi * area->top));
    }
}

void ProgramExposureAndTable(HWND window, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    s->exposure = LimitExposure(s->exposure, s->exposureMin, s->exposureMax);
    Toolkit()->setLineTime(s->exposure);
    const TableEntry* entry = nullptr;
    TableFind(window, ds, &entry);
    if (entry)
        Toolkit()->setTranslationTable(static_cast<int16_t>(entry->number));
}

}  // namespace

void ShowSizeField(HWND window, const ScanSettings* s, uint32_t pixels, int id)
{
    char text[32];
    double dpi = s->resolution ? s->resolution : 1;
    if (s->units == UNITS_CENTIMETRES)
        snprintf(text, sizeof text, "%3.1f", pixels * 2.54 / dpi);
    else if (s->units == UNITS_PIXELS)
        snprintf(text, sizeof text, "%ld", static_cast<long>(pixels));
    else
        snprintf(text, sizeof text, "%3.1f", pixels / dpi);
    ShowText(window, id, text);
}

void SetScanParams(HWND window, DSData* ds)
{
    PHASE_SPAN("SetScanParams");
    if (!SessionComplete(ds))
        return;
    const ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;
    const ScanKit* kit = Toolkit();

    ProgramAveraging(ds);
    ShowSizeBoxes(window, ds);
    EnableRegionControls(window, ds);
    kit->setDarkEnhance(s->darkEnhance ? 1 : 0);
    TakeResolution(window, ds);
    TakeFilmCountAndDepth(window, ds);
    kit->setResolution(static_cast<uint16_t>(s->resolution));
    kit->initScanner();
    if (ds->ImageControl->bilevelScanning == 0 && s->bitDepth == 1)
        FillDepthList(window, ds, 8);
    SetFilmCount(window, ds, s->filmCount);
    kit->setBitOrder(1);
    kit->setOutputMode((s->bitDepth == 1 || s->bitDepth == 8) ? 4 : 6);

    ScanWindow w = s->autoSize ? AutoSizeWindow(window, ds) : ManualSizeWindow(window, ds);
    w.pixels = EvenForDepth8(w.width, s->bitDepth);
    kit->setPixelSize(w.pixels, w.lines);
    kit->setBitsPerPixel(static_cast<uint8_t>(
        (info->hardwareVersion < 7 && s->bitDepth == 12) ? 16 : s->bitDepth));
    ProgramOffsets(ds, &w);
    kit->initScanner();
    s->scanPixels = w.pixels;
    s->scanLines = w.lines;

    if (w.manual && s->resolution) {
        NotifyHostFloat(PARAM_WIDTH, ds, static_cast<float>(static_cast<double>(w.width) / s->resolution));
        NotifyHostFloat(PARAM_LENGTH, ds, static_cast<float>(static_cast<double>(w.lines) / s->resolution));
    }
    ShowSizeField(window, s, w.width, IDC_WIDTH);
    ShowSizeField(window, s, w.lines, IDC_LENGTH);
    FillResolutionList(window, ds);
    FillFilmCountList(window, ds);
    ShowImageSize(window, ds, w.width, w.lines);
    ProgramExposureAndTable(window, ds);
    SyncResolutionValue(ds, s->resolution);
    SyncBitDepthValue(ds, s->bitDepth);

    char line[128];
    snprintf(line, sizeof line, "SetScanParams : bitdepths = %ld, width = %ld, height = %ld\n",
             static_cast<long>(s->bitDepth), static_cast<long>(w.pixels),
             static_cast<long>(w.lines));
    WriteLog(line);
}

static uint32_t BigEndian(const uint8_t* bytes, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

void SetPrescanParams(HWND window, DSData* ds)
{
    if (!SessionComplete(ds) || ds->ScanSettings->autoSize == 0)
        return;
    const ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;
    ScanArea* area = ds->ScanArea;
    const ScanKit* kit = Toolkit();

    if (ds->ImageControl->averageCountSupported)
        kit->setAverageCount(1);
    s->filmCount = 1;
    s->bitDepth = 8;
    // A digitizer that reported no resolutions keeps the preview default.
    if (info->minResolution)
        area->previewDpi = info->minResolution;
    s->resolution = area->previewDpi;
    kit->setOutputMode(4);
    kit->setResolution(static_cast<uint16_t>(s->resolution));
    kit->initScanner();

    uint32_t pixels = QueryLineWidth(8);
    if (pixels == 0) {
        MessageBoxA(window, "Error in diagReportStatus(), Width = 0", "ERROR",
                    MB_OK | MB_ICONWARNING);
        pixels = info->maxWidth * s->resolution;
    }
    kit->setScanMode(1);
    uint32_t lines = s->maxLength * s->resolution;
    area->left = 0.0f;
    area->right = s->resolution ? static_cast<float>(pixels) / s->resolution : 0.0f;
    area->top = 0.0f;
    area->bottom = s->resolution ? static_cast<float>(lines) / s->resolution : 0.0f;
    kit->setPixelSize(pixels, lines);
    kit->setBitsPerPixel(8);
    kit->initScanner();

    // What the digitizer actually set up; the buffer has room for any length.
    uint8_t descriptor[256];
    memset(descriptor, 0, sizeof descriptor);
    kit->doGetWindow(descriptor, info->windowDescriptorLength);
    uint32_t dpi = BigEndian(descriptor + 12, 2);
    if (dpi)
        s->resolution = dpi;
    s->scanPixels = BigEndian(descriptor + 22, 4);
    s->scanLines = BigEndian(descriptor + 26, 4);
    uint64_t total = static_cast<uint64_t>(s->scanPixels) * s->scanLines;
    s->progressTotal = total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);

    const TableEntry* entry = nullptr;
    TableFind(window, ds, &entry);
    if (entry)
        kit->setTranslationTable(static_cast<int16_t>(entry->number));
    kit->setOffset(0, 0);
    area->prescanMode = 1;
}
