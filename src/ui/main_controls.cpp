#include "main_dialog.h"

#include <stdlib.h>

#include "frame/session.h"
#include "res/resource.h"
#include "scanner/scan_params.h"

namespace {

// The number of the list's chosen entry; 0 when none can be read.
long SelectedNumber(HWND dialog, int id)
{
    const LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    char text[32];
    const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length >= static_cast<LRESULT>(sizeof text))
        return 0;
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return strtol(text, nullptr, 10);
}

void ProgramSoon(HWND dialog)
{
    SetTimer(dialog, MAIN_PROGRAM_TIMER, MAIN_PROGRAM_DELAY_MS, nullptr);
}

}  // namespace

void EnableMainButtons(HWND window, uint32_t mask, int enable)
{
    static const struct { uint32_t bit; int id; } kButtons[] = {
        {1u << 0, IDC_SCAN}, {1u << 1, IDC_PRESCAN}, {1u << 2, IDC_EJECT},
        {1u << 4, IDC_PATIENT_INFO}, {1u << 6, IDOK}, {1u << 7, IDCANCEL},
    };
    for (const auto& button : kButtons)
        if (mask & button.bit)
            EnableWindow(GetDlgItem(window, button.id), enable ? TRUE : FALSE);
}

void OnResolutionList(HWND dialog, DSData* ds, int notification)
{
    const long value = SelectedNumber(dialog, IDC_RESOLUTION);
    if (value <= 0)
        return;
    if (notification == CBN_DROPDOWN) {
        ds->ScanSettings->resolutionBeforeChange = static_cast<uint32_t>(value);
    } else if (notification == CBN_SELCHANGE) {
        ds->ScanSettings->resolution = static_cast<uint32_t>(value);
        ProgramSoon(dialog);
    }
}

void OnDepthList(HWND dialog, DSData* ds, int notification)
{
    if (notification != CBN_SELCHANGE)
        return;
    const long value = SelectedNumber(dialog, IDC_DEPTH);
    if (value <= 0)
        return;
    ScanSettings* s = ds->ScanSettings;
    s->bitDepth = static_cast<uint32_t>(value);
    s->sampleBits = static_cast<uint32_t>(value);
    ds->ImageControl->twelveHigh = value == 12 ? 1 : 0;
    ProgramSoon(dialog);
}

void OnFilmCountList(HWND dialog, DSData* ds, int notification)
{
    if (notification == CBN_SELCHANGE)
        ProgramSoon(dialog);
}

void OnTopCenter(HWND dialog, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    s->topCenter = s->topCenter ? 0 : 1;
    CheckDlgButton(dialog, IDC_TOP_CENTER, s->topCenter ? BST_CHECKED : BST_UNCHECKED);
    SetScanParams(dialog, ds);
    NotifyHostU32(PARAM_TOP_CENTER, ds, s->topCenter);
}
