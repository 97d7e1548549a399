#include <string.h>

#include "digitizer/toolkit.h"
#include "frame/status_line.h"
#include "res/resource.h"
#include "scanner/diag_window.h"
#include "scanner/diagnostics.h"

enum { CALIBRATE_REPLY = 256 };
enum { CAL_DONE = 6, CAL_SEND_FAILED = 2, CAL_FAILED = 1, CAL_RECEIVE_FAILED = 3, CAL_WAIT = 4,
       CAL_REPLY = 0 };

static INT_PTR CALLBACK CalibrationProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        EnableWindow(GetDlgItem(window, IDOK), FALSE);
        return FALSE;
    case WM_COMMAND:
        // OK is usable only once the calibration has ended.
        if (LOWORD(wParam) == IDOK && IsWindowEnabled(GetDlgItem(window, IDOK)))
            DestroyWindow(window);
        return TRUE;
    case WM_CLOSE:
        if (IsWindowEnabled(GetDlgItem(window, IDOK)))
            DestroyWindow(window);
        return TRUE;
    }
    return FALSE;
}

// The text a result shows (null: the field keeps its text); sets *ends
// when the result ends the calibration.
static const char* StepText(int16_t code, char* reply, int* ends)
{
    *ends = 1;
    switch (code) {
    case CAL_DONE: return "Calibration is done.";
    case CAL_SEND_FAILED: return "SendDiagnostic failed.";
    case CAL_FAILED: return "Diagnostic failed.";
    case CAL_RECEIVE_FAILED: return "ReceiveDiagnostic failed.";
    }
    *ends = 0;
    if (code == CAL_WAIT)
        return "Wait...";
    if (code != CAL_REPLY)
        return nullptr;
    reply[CALIBRATE_REPLY - 1] = '\0';
    size_t length = strlen(reply);
    if (length > 0)
        reply[length - 1] = '\0';  // the digitizer ends its line with a line feed
    return reply;
}

static int Calibrate(HWND owner, DSData* ds, uint16_t mode)
{
    HWND window = OpenDiagWindow(ds, IDD_CALIBRATION, owner, CalibrationProc, 0);
    if (!window)
        return 0;
    SetDlgItemTextA(window, IDC_CALIBRATION_TEXT,
                    "Scanner calibration is in progress.  Please wait.");
    HandlePendingMessages();
    HWND main = ds->HostServices ? static_cast<HWND>(ds->HostServices->mainDialog) : nullptr;
    ShowStatus(main, "Calibrating scanner...");

    int ends = 0;
    for (int step = 0; !ends && step < DIAG_STEP_LIMIT && IsWindow(window); ++step) {
        char reply[CALIBRATE_REPLY] = {0};
        int16_t code = Toolkit()->diagCalibrate(mode, reinterpret_cast<uint8_t*>(reply),
                                                sizeof reply);
        const char* text = StepText(code, reply, &ends);
        if (text && *text)
            SetDlgItemTextA(window, IDC_CALIBRATION_TEXT, text);
        HandlePendingMessages();
        SetFocus(owner);
    }
    if (!IsWindow(window))
        return 0;
    if (!ends)
        SetDlgItemTextA(window, IDC_CALIBRATION_TEXT,
                        "The digitizer did not finish the calibration.");
    EnableWindow(GetDlgItem(window, IDOK), TRUE);
    MessageBeep(0);
    return 0;
}

int CalibrateScanner(HWND owner, DSData* ds)
{
    return Calibrate(owner, ds, 0);
}

int CalibrateAfterExposure(HWND owner, DSData* ds)
{
    return Calibrate(owner, ds, 2);
}
