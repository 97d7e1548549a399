#include "scan_controls.h"

#include <stdint.h>

#include "res/resource.h"

static const int kScanControls[] = {
    IDC_RESOLUTION, IDC_FILM_COUNT, IDC_DEPTH, IDC_DARK_ENHANCE, IDC_TOP, IDC_TOP_LABEL,
    IDC_LEFT, IDC_LEFT_LABEL, IDC_WIDTH, IDC_WIDTH_LABEL, IDC_LENGTH, IDC_LENGTH_LABEL,
    IDC_SCAN_SIZE, IDC_TOP_CENTER, IDC_AUTO_SIZE, IDC_MULTI_FILM, IDC_SAVE_TO_DISK,
    IDC_FILE_FORMAT, IDC_ADVANCED, IDC_PRESCAN, IDC_SCAN, IDC_EJECT, IDC_PATIENT_INFO,
    IDC_DICOM_PARAMS, IDOK, IDC_DIGITIZER_INFO, IDC_ABOUT,
};
static const int kControlCount = sizeof kScanControls / sizeof kScanControls[0];

static_assert(kControlCount < 32, "the saved states are bits of one word");

// The saved states live on the dialog window itself, so each main dialog
// starts with its controls enabled and nothing saved. No property: enabled.
static const char kSavedStates[] = "FilmCoreScanControls";
static const uintptr_t kDisabledMark = uintptr_t(1) << 31;

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
    if (!window || GetPropA(window, kSavedStates))
        return;
    uintptr_t saved = kDisabledMark;
    for (int i = 0; i < kControlCount; ++i) {
        HWND control = GetDlgItem(window, kScanControls[i]);
        if (control && IsWindowEnabled(control))
            saved |= uintptr_t(1) << i;
        if (control)
            EnableWindow(control, FALSE);
    }
    SetPropA(window, kSavedStates, reinterpret_cast<HANDLE>(saved));
    DispatchQueued(window);
}

void RestoreScanControls(HWND window)
{
    uintptr_t saved = window ? reinterpret_cast<uintptr_t>(GetPropA(window, kSavedStates)) : 0;
    if (!saved)
        return;
    RemovePropA(window, kSavedStates);
    for (int i = 0; i < kControlCount; ++i) {
        HWND control = GetDlgItem(window, kScanControls[i]);
        if (control)
            EnableWindow(control, (saved >> i) & 1 ? TRUE : FALSE);
    }
    DispatchQueued(window);
}
