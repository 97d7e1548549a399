#include "param_sync.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "digitizer/param_rules.h"
#include "digitizer/units.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/scan_lists.h"

namespace {

HWND MainDialog(DSData* ds)
{
    return static_cast<HWND>(ds->HostServices->mainDialog);
}

void NotifyFormatName(DSData* ds)
{
    NotifyHostValue(PARAM_FORMAT_NAME, ds, ds->OutputSettings->formatName, 8);
}

bool FilesGoToDisk(const DSData* ds)
{
    return ds->ImageControl->saveToDisk || ds->ImageControl->saveToDiskActive;
}

// Formats that cannot hold more than 8 bits lower the depth.
void ApplyFormatDepthRule(DSData* ds)
{
    const OutputSettings* o = ds->OutputSettings;
    ScanSettings* s = ds->ScanSettings;
    bool limited = o->transferMode == 3 ||
                   (o->transferMode == 2 && strcmp(o->formatName, "Bitmap") == 0);
    if (!FilesGoToDisk(ds) && limited && s->bitDepth > 8) {
        s->bitDepth = 8;
        NotifyHostU32(PARAM_BIT_DEPTH, ds, 8);
    }
}

void ShowDicomButtons(DSData* ds, bool show)
{
    HWND main = MainDialog(ds);
    if (!main)
        return;
    int command = show ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(main, IDC_PATIENT_INFO), command);
    ShowWindow(GetDlgItem(main, IDC_DICOM_PARAMS), command);
}

// The batch dialog, when open, offers the formats the new values allow.
void RefreshBatchFormats(DSData* ds)
{
    HWND batch = static_cast<HWND>(ds->HostServices->batchDialog);
    if (batch)
        SendMessageA(batch, WM_COMMAND, IDM_REFRESH_FORMAT_LIST, 0);
}

// Filling the depth list may change the depth (one the digitizer lacks):
// the host hears the value that is stored.
void RefreshDepthList(DSData* ds, int value)
{
    ScanSettings* s = ds->ScanSettings;
    uint32_t before = s->bitDepth;
    FillDepthList(MainDialog(ds), ds, value);
    if (s->bitDepth != before)
        NotifyHostU32(PARAM_BIT_DEPTH, ds, s->bitDepth);
}

void ShowInches(HWND dialog, int id, float inches)
{
    if (!dialog)
        return;
    char text[32];
    snprintf(text, sizeof text, "%3.1f", inches);
    SetDlgItemTextA(dialog, id, text);
}

uint32_t PixelsAt(DSData* ds, float inches)
{
    return LengthToPixels(inches, ds->ScanSettings->resolution);
}

uint32_t FirstWord(const void* value)
{
    uint32_t word;
    memcpy(&word, value, sizeof word);
    return word;
}

float FirstFloat(const void* value)
{
    float number;
    memcpy(&number, value, sizeof number);
    return number;
}

}  // namespace

void SyncFormatName(DSData* ds, const char* text)
{
    OutputSettings* o = ds->OutputSettings;
    if (o->transferMode == 2 || FilesGoToDisk(ds))
        CopyText(o->formatName, sizeof o->formatName, text);
    ApplyFormatDepthRule(ds);
    NotifyFormatName(ds);
    RefreshBatchFormats(ds);
    HWND main = MainDialog(ds);
    if (main) {
        RefreshDepthList(ds, 0);
        ShowDicomButtons(ds, (o->transferMode == 2 || FilesGoToDisk(ds)) &&
                                 strcmp(o->formatName, "DICOM") == 0);
    }
}

void SyncExposure(DSData* ds, uint32_t value)
{
    ScanSettings* s = ds->ScanSettings;
    s->exposure = LimitExposure(value, s->exposureMin, s->exposureMax);
    s->exposureDefault = s->exposure;
    NotifyHostU32(PARAM_EXPOSURE, ds, s->exposure);
    HWND options = static_cast<HWND>(ds->HostServices->optionDialog);
    if (options) {
        char text[16];
        snprintf(text, sizeof text, "%u", static_cast<unsigned>(s->exposure));
        SetDlgItemTextA(options, IDC_EXPOSURE, text);
    }
}

void SyncResolutionValue(DSData* ds, uint32_t dpi)
{
    ds->ScanSettings->resolution = NormaliseResolution(dpi);
    NotifyHostU32(PARAM_RESOLUTION, ds, ds->ScanSettings->resolution);
    if (MainDialog(ds))
        FillResolutionList(MainDialog(ds), ds);
}

void SyncBitDepthValue(DSData* ds, uint32_t bits)
{
    ScanSettings* s = ds->ScanSettings;
    const OutputSettings* o = ds->OutputSettings;
    s->bitDepth = NormaliseDepth(bits);
    if (MainDialog(ds))
        FillDepthList(MainDialog(ds), ds, static_cast<int>(s->bitDepth));
    NotifyHostU32(PARAM_BIT_DEPTH, ds, s->bitDepth);
    if (o->transferMode != 2 && ds->ImageControl->saveToDisk == 0 &&
        !EqualNoCase(o->formatName, "Bitmap")) {
        NotifyFormatName(ds);
        ShowDicomButtons(ds, false);
    }
}

void SyncTransferMode(DSData* ds, uint32_t mode)
{
    OutputSettings* o = ds->OutputSettings;
    o->transferMode = mode;
    if (o->formatName[0] == '\0')
        return;
    ApplyFormatDepthRule(ds);
    NotifyFormatName(ds);
    RefreshBatchFormats(ds);
    if (MainDialog(ds)) {
        RefreshDepthList(ds, 0);
        ShowDicomButtons(ds, mode == 2 && strcmp(o->formatName, "DICOM") == 0);
    }
}

void SyncUnits(DSData* ds, uint32_t units)
{
    ScanSettings* s = ds->ScanSettings;
    // An unknown unit would turn every size into 0 pixels.
    if (IsKnownUnit(units))
        s->units = units;
    NotifyHostU32(PARAM_UNITS, ds, s->units);
    HWND options = static_cast<HWND>(ds->HostServices->optionDialog);
    if (options)
        FillUnitsList(options, s->units);
}

void FillUnitsList(HWND options, uint32_t units)
{
    static const struct { const char* name; uint32_t units; } kNames[] = {
        {"Centimeters", UNITS_CENTIMETRES}, {"Inches", UNITS_INCHES}, {"Pixels", UNITS_PIXELS}};
    HWND list = GetDlgItem(options, IDC_UNITS);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    for (const auto& entry : kNames) {
        LRESULT index = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name));
        if (entry.units == units)
            SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void SyncWidth(DSData* ds, float inches)
{
    float width = LimitLength(inches, BED_WIDTH_INCHES);
    ds->ScanSettings->scanPixels = PixelsAt(ds, width);
    NotifyHostFloat(PARAM_WIDTH, ds, width);
    ShowInches(MainDialog(ds), IDC_WIDTH, width);
}

void SyncLength(DSData* ds, float inches)
{
    float length = LimitLength(inches, static_cast<float>(ds->ScanSettings->maxLength));
    ds->ScanSettings->scanLines = PixelsAt(ds, length);
    NotifyHostFloat(PARAM_LENGTH, ds, length);
    ShowInches(MainDialog(ds), IDC_LENGTH, length);
}

void SyncHostFileName(DSData* ds, const char* text)
{
    OutputSettings* o = ds->OutputSettings;
    HWND batch = static_cast<HWND>(ds->HostServices->batchDialog);
    char name[sizeof o->hostFileName];
    CopyText(name, sizeof name, text);
    if (batch)
        SetDlgItemTextA(batch, IDC_BATCH_NAME_FIRST, name);
    if (strcmp(name, o->hostFileName) != 0)
        CopyText(o->hostFileName, sizeof o->hostFileName, name);
}

void SyncTop(DSData* ds, float inches)
{
    float top = LimitLength(inches, static_cast<float>(ds->ScanSettings->maxLength));
    ds->ScanSettings->offsetY = PixelsAt(ds, top);
    NotifyHostFloat(PARAM_TOP, ds, top);
    ShowInches(MainDialog(ds), IDC_TOP, top);
}

void SyncLeft(DSData* ds, float inches)
{
    float left = LimitLength(inches, BED_WIDTH_INCHES);
    ds->ScanSettings->offsetX = PixelsAt(ds, left);
    NotifyHostFloat(PARAM_LEFT, ds, left);
    ShowInches(MainDialog(ds), IDC_LEFT, left);
}

int32_t SyncScannerParams(int32_t id, void* value, uint32_t size, DSData* ds)
{
    if (!value || size < 4 || !SessionComplete(ds) || id < PARAM_FORMAT_NAME || id > PARAM_LEFT)
        return 0;
    switch (id) {
    case PARAM_FORMAT_NAME:
        SyncFormatName(ds, static_cast<const char*>(value));
        break;
    case PARAM_EXPOSURE:
        SyncExposure(ds, FirstWord(value));
        break;
    case PARAM_RESOLUTION:
        SyncResolutionValue(ds, FirstWord(value));
        break;
    case PARAM_BIT_DEPTH:
        SyncBitDepthValue(ds, FirstWord(value));
        break;
    case PARAM_TRANSFER_MODE:
        SyncTransferMode(ds, FirstWord(value));
        break;
    case PARAM_UNITS:
        SyncUnits(ds, FirstWord(value));
        break;
    case PARAM_WIDTH:
        SyncWidth(ds, FirstFloat(value));
        break;
    case PARAM_LENGTH:
        SyncLength(ds, FirstFloat(value));
        break;
    case PARAM_HOST_FILE_NAME:
        SyncHostFileName(ds, static_cast<const char*>(value));
        break;
    case PARAM_TOP:
        SyncTop(ds, FirstFloat(value));
        break;
    case PARAM_LEFT:
        SyncLeft(ds, FirstFloat(value));
        break;
    case PARAM_RESERVED_6:
    case PARAM_RESERVED_7:
    case PARAM_RESERVED_11:
        break;  // accepted, nothing to keep
    default:
        return 0;  // the library's own values, notified only
    }
    return 1;
}
