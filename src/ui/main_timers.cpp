#include "main_dialog.h"

#include <stdlib.h>

#include "digitizer/units.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/scan_lists.h"
#include "scanner/scan_params.h"

namespace {

// The one imaging program that hides the dialog behind its own window.
const char kPullingProgram[] = "Image-Pro Plus";

uint32_t FieldPixels(HWND dialog, int id, const ScanSettings* s)
{
    char text[64] = {0};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    const double value = strtod(text, nullptr);
    switch (s->units) {
    case UNITS_CENTIMETRES: return TruncateToU32(value * s->resolution * 0.39370078740157477);
    case UNITS_PIXELS: return TruncateToU32(value);
    default: return TruncateToU32(value * s->resolution);
    }
}

void KeepInFrontOfImagingProgram(HWND dialog)
{
    HWND front = GetForegroundWindow();
    if (!front || front == dialog || IsChild(dialog, front))
        return;
    char title[64] = {0};
    GetWindowTextA(front, title, sizeof title);
    if (EqualNoCase(title, kPullingProgram))
        SetForegroundWindow(dialog);
}

void OnSizeTick(HWND dialog, DSData* ds)
{
    const ScanSettings* s = ds->ScanSettings;
    ShowImageSize(dialog, ds, FieldPixels(dialog, IDC_WIDTH, s), FieldPixels(dialog, IDC_LENGTH, s));
    KeepInFrontOfImagingProgram(dialog);
}

void OnProgramDelay(HWND dialog, DSData* ds)
{
    // Never reprogram under a running scan: the tick comes again after it.
    if (ds->ScanSettings->scanState == 1)
        return;
    KillTimer(dialog, MAIN_PROGRAM_TIMER);
    SetScanParams(dialog, ds);
    InvalidateRect(dialog, nullptr, FALSE);
}

}  // namespace

void OnMainTimer(HWND dialog, DSData* ds, UINT_PTR id)
{
    if (id == MAIN_SIZE_TIMER)
        OnSizeTick(dialog, ds);
    else if (id == MAIN_PROGRAM_TIMER)
        OnProgramDelay(dialog, ds);
}
