// The Advanced Options dialog: settings an operator changes rarely, and the
// entry to calibration, digitizer information, the about box and the
// control lock. Check boxes act at once; typed values only with OK.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "FilmCore.h"
#include "digitizer/units.h"
#include "frame/dialog_window.h"
#include "frame/instance.h"
#include "frame/session.h"
#include "frame/tables.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/diagnostics.h"
#include "scanner/param_sync.h"
#include "scanner/scan_lists.h"
#include "scanner/scan_params.h"
#include "ui/about_dialog.h"
#include "ui/control_locks.h"
#include "ui/digitizer_info.h"
#include "ui/password_dialogs.h"

enum { TABLE_TIMER = 99, TABLE_TIMER_MS = 333, SCROLL_REST = 5, THRESHOLD_MAX = 255 };

static HWND MainDialog(const DSData* ds)
{
    return static_cast<HWND>(ds->HostServices->mainDialog);
}

static void SetNumber(HWND dialog, int id, unsigned value)
{
    char text[16];
    snprintf(text, sizeof text, "%u", value);
    SetDlgItemTextA(dialog, id, text);
}

// The control's text as a number, kept far from the bounds of long so an
// arrow step on it cannot overflow; `otherwise` when it holds no number.
static long ReadNumber(HWND dialog, int id, long otherwise = 0)
{
    const long kFarEnough = 1000000;
    char text[32] = {0};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text)
        return otherwise;
    return value < -kFarEnough ? -kFarEnough : value > kFarEnough ? kFarEnough : value;
}

static uint32_t Limit(long value, long low, long high)
{
    return static_cast<uint32_t>(value < low ? low : value > high ? high : value);
}

static void Enable(HWND dialog, int id, bool on)
{
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

static bool MemoryTransferChosen(const DSData* ds)
{
    return ds->OutputSettings->transferMode == 1 && ds->ImageControl->memTransferEnabled;
}

// The window calibration and the system test live in: the main dialog, so
// they outlive this dialog.
static HWND DiagnosticsOwner(HWND dialog, const DSData* ds)
{
    HWND main = MainDialog(ds);
    return main ? main : dialog;
}

// ---------------------------------------------------------------------------
// Showing the record

static void ShowExposure(HWND dialog, const ScanSettings* s)
{
    SetNumber(dialog, IDC_EXPOSURE, s->exposure);
    SetScrollRange(GetDlgItem(dialog, IDC_EXPOSURE_SCROLL), SB_CTL, s->exposureMin, s->exposureMax,
                   TRUE);
}

static void FillTableList(HWND dialog, const ImageControl* c)
{
    HWND list = GetDlgItem(dialog, IDC_TABLE_LIST);
    for (int i = 0; i < TABLE_COUNT; ++i) {
        char name[sizeof c->tableList[i].name + 1];
        CopyText(name, sizeof name, c->tableList[i].name);
        LRESULT index = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (strcmp(name, c->tableName) == 0)
            SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

static void FillAverageCounts(HWND dialog, ImageControl* c)
{
    HWND list = GetDlgItem(dialog, IDC_AVERAGE_COUNT);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("1"));
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    if (!c->averageCountSupported) {
        c->averageCount = 1;
        return;
    }
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("2"));
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("4"));
    if (c->averageCount == 2 || c->averageCount == 4)
        SendMessageA(list, CB_SETCURSEL, c->averageCount == 2 ? 1 : 2, 0);
}

static void ShowLineAveraging(HWND dialog, ImageControl* c)
{
    const bool on = c->lineAveraging && c->averageCountSupported;
    CheckDlgButton(dialog, IDC_LINE_AVERAGING, on ? BST_CHECKED : BST_UNCHECKED);
    if (!on) {
        c->averageCount = 1;
        SendDlgItemMessageA(dialog, IDC_AVERAGE_COUNT, CB_SETCURSEL, 0, 0);
    }
    Enable(dialog, IDC_AVERAGE_COUNT_LABEL, on);
    Enable(dialog, IDC_AVERAGE_COUNT, on);
}

static void ShowBilevel(HWND dialog, const ImageControl* c)
{
    const bool on = c->bilevelScanning != 0;
    CheckDlgButton(dialog, IDC_BILEVEL, on ? BST_CHECKED : BST_UNCHECKED);
    Enable(dialog, IDC_THRESHOLD_LABEL, on);
    Enable(dialog, IDC_THRESHOLD, on);
    Enable(dialog, IDC_THRESHOLD_SCROLL, on);
    if (on) {
        char text[16];
        snprintf(text, sizeof text, "%d", static_cast<int>(c->bitThreshold));
        SetDlgItemTextA(dialog, IDC_THRESHOLD, text);
    }
}

// "12 HI" only means something for 12-bit scans chosen in the main dialog.
static void ShowTwelveHigh(HWND dialog, DSData* ds)
{
    char depth[16] = {0};
    if (MainDialog(ds))
        GetDlgItemTextA(MainDialog(ds), IDC_DEPTH, depth, sizeof depth);
    if (strcmp(depth, "12") == 0) {
        CheckDlgButton(dialog, IDC_TWELVE_HIGH, ds->ImageControl->twelveHigh ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    ShowWindow(GetDlgItem(dialog, IDC_TWELVE_HIGH), SW_HIDE);
    ds->ImageControl->twelveHigh = 0;
    NotifyHostU32(PARAM_TWELVE_HIGH, ds, 0);
}

static void CheckPair(HWND dialog, int first, int second, bool firstOn)
{
    CheckDlgButton(dialog, first, firstOn ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, second, firstOn ? BST_UNCHECKED : BST_CHECKED);
}

static void ShowMaxLength(HWND dialog, const DSData* ds)
{
    const bool narrow = ds->ScannerInfo->maxWidth == 10;
    SetDlgItemTextA(dialog, IDC_MAX_LENGTH_17, narrow ? "10X17 Inches" : "14X17 Inches");
    SetDlgItemTextA(dialog, IDC_MAX_LENGTH_51, narrow ? "10X51 Inches" : "14X51 Inches");
    CheckPair(dialog, IDC_MAX_LENGTH_17, IDC_MAX_LENGTH_51, ds->ScanSettings->maxLength != 51);
}

static void ShowOrientation(HWND dialog, DSData* ds)
{
    if (MemoryTransferChosen(ds)) {
        // The host takes memory transfers as they come off the digitizer.
        ds->ImageControl->landscape = 0;
        Enable(dialog, IDC_PORTRAIT, false);
        Enable(dialog, IDC_LANDSCAPE, false);
    }
    CheckPair(dialog, IDC_PORTRAIT, IDC_LANDSCAPE, ds->ImageControl->landscape == 0);
}

static void ShowCheck(HWND dialog, int id, uint32_t on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

static BOOL OnInit(HWND dialog, DSData* ds)
{
    CentreOnDesktop(dialog);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ds));
    ds->HostServices->optionDialog = dialog;
    ImageControl* c = ds->ImageControl;
    ShowExposure(dialog, ds->ScanSettings);
    FillTableList(dialog, c);
    FillAverageCounts(dialog, c);
    ShowLineAveraging(dialog, c);
    ShowCheck(dialog, IDC_DARK_ENHANCE, ds->ScanSettings->darkEnhance);
    ShowBilevel(dialog, c);
    ShowTwelveHigh(dialog, ds);
    ShowCheck(dialog, IDC_AUTO_EJECT, c->autoEject);
    FillUnitsList(dialog, ds->ScanSettings->units);
    ShowMaxLength(dialog, ds);
    ShowOrientation(dialog, ds);
    LoadPasswordCode(ds);
    ShowCheck(dialog, IDC_PASSWORD_PROTECTION, c->passwordProtection);
    Enable(dialog, IDC_GUI_CONTROL, c->passwordProtection != 0);
    ApplyControlLocks(dialog, ds);
    Enable(dialog, IDC_BILEVEL, false);
    ShowWindow(GetDlgItem(dialog, IDC_SYSTEM_TEST), SW_HIDE);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Check boxes and choices: they act at once

static void OnDarkEnhance(HWND dialog, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    s->darkEnhance = !s->darkEnhance;
    ShowCheck(dialog, IDC_DARK_ENHANCE, s->darkEnhance);
    if (MainDialog(ds))
        SetScanParams(MainDialog(ds), ds);
    NotifyHostU32(PARAM_DARK_ENHANCE, ds, s->darkEnhance);
}

// A box that only flips its flag and tells the host.
static void ToggleAndNotify(HWND dialog, DSData* ds, int id, uint32_t* flag, int32_t parameter)
{
    *flag = !*flag;
    ShowCheck(dialog, id, *flag);
    NotifyHostU32(parameter, ds, *flag);
}

static void OnLineAveraging(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    c->lineAveraging = !c->lineAveraging;
    ShowLineAveraging(dialog, c);
    NotifyHostPair(PARAM_LINE_AVERAGING, ds, c->lineAveraging, c->averageCount);
}

static void OnBilevel(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    c->bilevelScanning = !c->bilevelScanning;
    ShowBilevel(dialog, c);
    FillDepthList(MainDialog(ds), ds, 1);
    NotifyHostPair(PARAM_BILEVEL, ds, c->bilevelScanning, c->bitThreshold);
}

static void OnMaxLength(HWND dialog, DSData* ds, uint32_t inches)
{
    CheckPair(dialog, IDC_MAX_LENGTH_17, IDC_MAX_LENGTH_51, inches == 17);
    ds->ScanSettings->maxLength = inches;
    WriteSetting(ds, "IMAGE_SIZESET", "MaxHeight", inches == 17 ? "17" : "51");
    CheckPair(dialog, IDC_PORTRAIT, IDC_LANDSCAPE, ds->ImageControl->landscape == 0);
}

static void OnOrientation(HWND dialog, DSData* ds, uint32_t landscape)
{
    ds->ImageControl->landscape = landscape;
    CheckPair(dialog, IDC_PORTRAIT, IDC_LANDSCAPE, landscape == 0);
    WriteSetting(ds, "IMAGE_ORIENT", "Set", landscape ? "LANDSCAPE" : "PORTRAIT");
    CheckPair(dialog, IDC_MAX_LENGTH_17, IDC_MAX_LENGTH_51, ds->ScanSettings->maxLength != 51);
}

static void OnTableList(HWND dialog, int notification)
{
    // The edit part shows the chosen name only after the notification.
    if (notification == CBN_SELCHANGE)
        SetTimer(dialog, TABLE_TIMER, TABLE_TIMER_MS, nullptr);
}

static void OnTimer(HWND dialog, UINT_PTR id)
{
    if (id != TABLE_TIMER)
        return;
    KillTimer(dialog, TABLE_TIMER);
    TableSelectByName(dialog, DialogSession(dialog));
}

// ---------------------------------------------------------------------------
// The arrows

// -1 for the left arrow, +1 for the right one, 0 for the rest of the bar.
static int ArrowStep(int code)
{
    return code == SB_LINELEFT ? -1 : code == SB_LINERIGHT ? 1 : 0;
}

static void OnExposureArrow(HWND dialog, DSData* ds, int step)
{
    ScanSettings* s = ds->ScanSettings;
    s->exposure = static_cast<uint16_t>(Limit(s->exposure + step, s->exposureMin, s->exposureMax));
    SetNumber(dialog, IDC_EXPOSURE, s->exposure);
    SetScrollPos(GetDlgItem(dialog, IDC_EXPOSURE_SCROLL), SB_CTL, SCROLL_REST, TRUE);
}

static void OnThresholdArrow(HWND dialog, DSData* ds, int step)
{
    ImageControl* c = ds->ImageControl;
    c->bitThreshold = Limit(ReadNumber(dialog, IDC_THRESHOLD) + step, 0, THRESHOLD_MAX);
    SetNumber(dialog, IDC_THRESHOLD, c->bitThreshold);
    NotifyHostPair(PARAM_BILEVEL, ds, c->bilevelScanning, c->bitThreshold);
    SetScrollPos(GetDlgItem(dialog, IDC_THRESHOLD_SCROLL), SB_CTL, SCROLL_REST, TRUE);
}

static void OnScroll(HWND dialog, HWND bar, int code)
{
    DSData* ds = DialogSession(dialog);
    const int id = GetDlgCtrlID(bar), step = ArrowStep(code);
    if (step == 0)
        return;
    if (id == IDC_EXPOSURE_SCROLL)
        OnExposureArrow(dialog, ds, step);
    else if (id == IDC_THRESHOLD_SCROLL)
        OnThresholdArrow(dialog, ds, step);
}

// ---------------------------------------------------------------------------
// OK: the typed values

static uint32_t UnitsFromText(const char* text)
{
    if (EqualNoCase(text, "Inches"))
        return UNITS_INCHES;
    if (EqualNoCase(text, "Centimeters"))
        return UNITS_CENTIMETRES;
    if (EqualNoCase(text, "Pixels"))
        return UNITS_PIXELS;
    return 0;
}

static uint16_t AverageCountFrom(HWND dialog)
{
    const long count = ReadNumber(dialog, IDC_AVERAGE_COUNT);
    // Only these counts are ever offered; anything else averages nothing.
    return static_cast<uint16_t>(count == 2 || count == 4 ? count : 1);
}

static void ApplyUnits(HWND dialog, DSData* ds)
{
    char text[32] = {0};
    GetDlgItemTextA(dialog, IDC_UNITS, text, sizeof text);
    SyncUnits(ds, UnitsFromText(text));
    HWND main = MainDialog(ds);
    if (!main)
        return;
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_SHOW_SIZE_IN_UNITS, 0), 0);
    FillResolutionList(main, ds);
    SetScanParams(main, ds);
}

static void OnOk(HWND dialog, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    s->exposure = static_cast<uint16_t>(Limit(ReadNumber(dialog, IDC_EXPOSURE, s->exposure), s->exposureMin,
                                              s->exposureMax));
    SetNumber(dialog, IDC_EXPOSURE, s->exposure);
    // The field is empty while bilevel scanning is off; the threshold stays.
    c->bitThreshold = Limit(ReadNumber(dialog, IDC_THRESHOLD, c->bitThreshold), 0, THRESHOLD_MAX);
    TableSelectByName(dialog, ds);
    c->averageCount = AverageCountFrom(dialog);
    NotifyHostPair(PARAM_LINE_AVERAGING, ds, c->lineAveraging, c->averageCount);
    ApplyUnits(dialog, ds);

    s->exposure = static_cast<uint16_t>(Limit(s->exposure, s->exposureMin, s->exposureMax));
    if (s->exposure != s->exposureDefault)
        CalibrateAfterExposure(DiagnosticsOwner(dialog, ds), ds);
    SyncExposure(ds, s->exposure);
    s->exposureDefault = s->exposure;
    TableSaveSelection(ds);
    if (MainDialog(ds))
        InvalidateRect(MainDialog(ds), nullptr, TRUE);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

// ---------------------------------------------------------------------------

static void OnCommand(HWND dialog, int id, int notification)
{
    DSData* ds = DialogSession(dialog);
    switch (id) {
    case IDC_DARK_ENHANCE: OnDarkEnhance(dialog, ds); break;
    case IDC_TWELVE_HIGH: ToggleAndNotify(dialog, ds, id, &ds->ImageControl->twelveHigh, PARAM_TWELVE_HIGH); break;
    case IDC_TABLE_LIST: OnTableList(dialog, notification); break;
    case IDC_LINE_AVERAGING: OnLineAveraging(dialog, ds); break;
    case IDC_AUTO_EJECT: ToggleAndNotify(dialog, ds, id, &ds->ImageControl->autoEject, PARAM_AUTO_EJECT); break;
    case IDC_BILEVEL: OnBilevel(dialog, ds); break;
    case IDC_MAX_LENGTH_17: OnMaxLength(dialog, ds, 17); break;
    case IDC_MAX_LENGTH_51: OnMaxLength(dialog, ds, 51); break;
    case IDC_PORTRAIT: OnOrientation(dialog, ds, 0); break;
    case IDC_LANDSCAPE: OnOrientation(dialog, ds, 1); break;
    case IDC_CALIBRATE: CalibrateScanner(DiagnosticsOwner(dialog, ds), ds); break;
    case IDC_SYSTEM_TEST: RunSystemTest(DiagnosticsOwner(dialog, ds), ds); break;
    case IDC_GUI_CONTROL: OpenGuiControl(dialog, ds); break;
    case IDC_OPTIONS_DIGITIZER_INFO: ShowDigitizerInfo(dialog, ds); break;
    case IDC_PASSWORD_PROTECTION: TogglePasswordProtection(dialog, ds); break;
    case IDC_OPTIONS_ABOUT:
        OpenAboutDlg(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)), dialog, ds);
        break;
    case IDOK: OnOk(dialog, ds); break;
    case IDCANCEL: PostMessageA(dialog, WM_CLOSE, 0, 0); break;
    }
}

static void OnClose(HWND dialog)
{
    KillTimer(dialog, TABLE_TIMER);
    DSData* ds = DialogSession(dialog);
    if (ds)
        ds->HostServices->optionDialog = nullptr;
    EndDialog(dialog, 0);
}

static INT_PTR CALLBACK OptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, reinterpret_cast<DSData*>(lParam));
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
        OnScroll(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(dialog, wParam);
        return TRUE;
    case WM_CLOSE:
        OnClose(dialog);
        return TRUE;
    }
    return FALSE;
}

int32_t OpenOptionDlg(void* instance, void* owner, DSData* ds)
{
    if (!ds || !ds->HostServices || !ds->ScannerInfo || !ds->ScanSettings || !ds->ImageControl ||
        !ds->OutputSettings)
        return 0;
    // A host that passes no instance still gets the module's own template.
    HINSTANCE module = instance ? static_cast<HINSTANCE>(instance) : FilmCoreInstance();
    INT_PTR result = DialogBoxParamA(module,
                                     MAKEINTRESOURCEA(IDD_ADVANCED_OPTIONS), static_cast<HWND>(owner),
                                     OptionDialogProc, reinterpret_cast<LPARAM>(ds));
    ds->HostServices->optionDialog = nullptr;
    return static_cast<int32_t>(result);
}
