#include "scan_controls.h"

#include "ui/resource.h"

static const int kScanControls[] = {
    IDC_RESOLUTION, IDC_FILM_COUNT, IDC_DEPTH, IDC_DARK_ENHANCE, IDC_TOP, IDC_TOP_LABEL,
    IDC_LEFT, IDC_LEFT_LABEL, IDC_WIDTH, IDC_WIDTH_LABEL, IDC_LENGTH, IDC_LENGTH_LABEL,
    IDC_SCAN_SIZE, IDC_TOP_CENTER, IDC_AUTO_SIZE, IDC_MULTI_FILM, IDC_SAVE_TO_DISK,
    IDC_FILE_FORMAT, IDC_ADVANCED, IDC_PRESCAN, IDC_SCAN, IDC_EJECT, IDC_PATIENT_INFO,
    IDC_DICOM_PARAMS, IDOK, IDC_DIGITIZER_INFO, IDC_ABOUT,
};
static const int kControlCount = sizeof kScanControls / sizeof kScanControls[0];

static BOOL g_savedEnabled[kControlCount];
static bool g_controlsEnabled = true;

// Lets the dialog repaint the controls it has just changed.
static void DispatchQueued(HWND window)
{
    for (int pass = 0; pass < 50; ++pass) {
        MSG msg;
        if (!PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void DisableScanControls(HWND window)
{
    if (!g_controlsEnabled)
        return;
    for (int i = 0; i < kControlCount; ++i) {
        HWND control = GetDlgItem(window, kScanControls[i]);
        g_savedEnabled[i] = control ? IsWindowEnabled(control) : FALSE;
        if (control)
            EnableWindow(control, FALSE);
    }
    DispatchQueued(window);
    g_controlsEnabled = false;
}

void RestoreScanControls(HWND window)
{
    if (g_controlsEnabled)
        return;
    for (int i = 0; i < kControlCount; ++i) {
        HWND control = GetDlgItem(window, kScanControls[i]);
        if (control)
            EnableWindow(control, g_savedEnabled[i]);
    }
    DispatchQueued(window);
    g_controlsEnabled = true;
}
