#include "size_units.h"

#include <stdio.h>
#include <stdlib.h>

#include "digitizer/units.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/scan_lists.h"

namespace {

const char* const kUnitNames[] = {"Inches", "Centimeters", "Pixels"};

const int kSizeFields[] = {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT};

double ReadNumber(HWND main, int id)
{
    char text[64] = {0};
    GetDlgItemTextA(main, id, text, sizeof text);
    return strtod(text, nullptr);
}

int32_t ReadHundredths(HWND main, int id)
{
    return TruncateToInt(ReadNumber(main, id) * 100.0);
}

uint32_t UnitNamed(const char* name)
{
    for (uint32_t i = 0; i < 3; ++i)
        if (EqualNoCase(name, kUnitNames[i]))
            return i + 1;
    return 0;
}

uint32_t ClampToU32(int32_t value)
{
    return value < 0 ? 0u : static_cast<uint32_t>(value);
}

void ShowField(HWND main, int id, uint32_t pixels, uint32_t units, uint32_t resolution)
{
    int32_t hundredths = FromPixels(TruncateToInt(pixels), units, resolution);
    char text[32];
    if (units == UNITS_PIXELS)
        snprintf(text, sizeof text, "%ld", static_cast<long>(hundredths / 100));
    else
        snprintf(text, sizeof text, "%6.1f", hundredths * 0.01);
    SetDlgItemTextA(main, id, text);
}

void Enable(HWND main, int id, bool enable)
{
    HWND control = GetDlgItem(main, id);
    if (control)
        EnableWindow(control, enable ? TRUE : FALSE);
}

}  // namespace

void ReadSizeEdits(HWND main, DSData* ds, uint32_t units)
{
    ScanSettings* s = ds->ScanSettings;
    s->resolution = static_cast<uint32_t>(
        SnapResolution(static_cast<float>(ReadNumber(main, IDC_RESOLUTION)), units));
    s->scanPixels = ClampToU32(ToPixels(ReadHundredths(main, IDC_WIDTH), units, s->resolution));
    s->scanLines = ClampToU32(ToPixels(ReadHundredths(main, IDC_LENGTH), units, s->resolution));
    s->offsetY = ClampToU32(ToPixels(ReadHundredths(main, IDC_TOP), units, s->resolution));
    s->offsetX = ClampToU32(ToPixels(ReadHundredths(main, IDC_LEFT), units, s->resolution));
}

void ShowSizeInUnits(HWND main, DSData* ds)
{
    if (!main || !ds || !ds->ScanSettings)
        return;
    ScanSettings* s = ds->ScanSettings;
    char shown[32] = {0};
    GetDlgItemTextA(main, IDC_UNITS_NAME, shown, sizeof shown);
    uint32_t old = UnitNamed(shown);
    if (old != 0)
        ReadSizeEdits(main, ds, old);
    if (!IsKnownUnit(s->units))
        return;
    SetDlgItemTextA(main, IDC_UNITS_NAME, kUnitNames[s->units - 1]);
    FillResolutionList(main, ds);
    const uint32_t values[] = {s->scanPixels, s->scanLines, s->offsetY, s->offsetX};
    for (int i = 0; i < 4; ++i)
        ShowField(main, kSizeFields[i], values[i], s->units, s->resolution);
    EnableSizeControls(main, ds);
}

void EnableSizeControls(HWND main, DSData* ds)
{
    const ScanSettings* s = ds->ScanSettings;
    bool allowed = IsControlGroupUnlocked(ds, IDC_LOCK_ROI) && s->autoSize == 0;
    Enable(main, IDC_WIDTH, allowed);
    Enable(main, IDC_LENGTH, allowed);
    Enable(main, IDC_WIDTH_LABEL, allowed);
    Enable(main, IDC_LENGTH_LABEL, allowed);
    Enable(main, IDC_SCAN_SIZE, allowed);
    bool offsets = allowed && s->topCenter == 0;
    Enable(main, IDC_TOP, offsets);
    Enable(main, IDC_LEFT, offsets);
    Enable(main, IDC_TOP_LABEL, offsets);
    Enable(main, IDC_LEFT_LABEL, offsets);
}
