#include "main_dialog.h"

#include <string.h>

#include "frame/dialog_window.h"
#include "frame/instance.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "imagefile/grey_palette.h"
#include "imagefile/more_dicom_dialog.h"
#include "pipeline/preview_area.h"
#include "res/resource.h"
#include "scanner/auto_size.h"
#include "scanner/batch_scan.h"
#include "scanner/param_sync.h"
#include "scanner/scan_command.h"
#include "scanner/scan_params.h"
#include "ui/about_dialog.h"
#include "ui/control_locks.h"
#include "ui/digitizer_info.h"
#include "ui/password_dialogs.h"
#include "ui/scan_size_dialog.h"
#include "ui/size_units.h"

namespace {

// Set once the digitizer is found, cleared when the dialog goes: focus moves
// (a message box, the destruction) must not program a digitizer not there.
const char kReadyProperty[] = "FilmCoreMainReady";
// Set while a scan command runs. Its own dialogs and the disabling of the
// controls take the focus from a field the operator has not touched since
// the command began, and the scan start programs the digitizer from those
// same fields itself: reprogramming at those focus moves only costs the
// line-width query's waits.
const char kScanCommandProperty[] = "FilmCoreScanCommand";

HINSTANCE Module(const DSData* ds)
{
    return static_cast<HINSTANCE>(ds->HostServices->instance);
}

BOOL OnInit(HWND dialog, DSData* ds)
{
    CentreOnDesktop(dialog);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ds));
    HostServices* host = ds->HostServices;
    host->mainDialog = dialog;
    SetFocus(dialog);
    host->palette = MakeDisplayPalette();
    if (InitializeScanner(dialog, ds, 0) != SCANNER_READY) {
        MessageBoxA(static_cast<HWND>(host->parentWindow), "Unable to find a KALVO Film Digitizer scanner.",
                    "ERROR", MB_OK | MB_ICONSTOP);
        DestroyWindow(dialog);
        host->mainDialog = nullptr;
        return FALSE;
    }
    SetPropA(dialog, kReadyProperty, reinterpret_cast<HANDLE>(1));
    LoadSecuritySettings(ds);  // protection and locks outlive the session
    FillDialogFromSession(ds);
    ApplyControlLocks(dialog, ds);
    ShowFirstStagingNote(dialog, ds);
    SetTimer(dialog, MAIN_SIZE_TIMER, MAIN_SIZE_TIMER_MS, nullptr);
    return TRUE;
}

// The options and the About box stop the size timer while they are open.
void RunWithoutSizeTimer(HWND dialog, DSData* ds, int (*open)(HINSTANCE, HWND, DSData*))
{
    KillTimer(dialog, MAIN_SIZE_TIMER);
    open(Module(ds), dialog, ds);
    SetTimer(dialog, MAIN_SIZE_TIMER, MAIN_SIZE_TIMER_MS, nullptr);
}

int OpenOptions(HINSTANCE instance, HWND owner, DSData* ds)
{
    return OpenOptionDlg(instance, owner, ds);
}

void OnPatientInfo(HWND dialog, DSData* ds)
{
    ds->ScanSettings->patientInfoRequested = 1;
    OpenPatDataDlg(Module(ds), dialog, ds);
    ds->ScanSettings->patientInfoRequested = 0;
}

// An edit or a list of the scan settings losing the focus.
bool IsLeavingField(int id, int notification)
{
    if (id == IDC_WIDTH || id == IDC_LENGTH || id == IDC_TOP || id == IDC_LEFT)
        return notification == EN_KILLFOCUS;
    if (id == IDC_RESOLUTION || id == IDC_DEPTH || id == IDC_FILM_COUNT)
        return notification == CBN_KILLFOCUS;
    return false;
}

void RunScanCommandOf(HWND dialog, DSData* ds, void (*command)(HWND, DSData*))
{
    HANDLE outer = GetPropA(dialog, kScanCommandProperty);
    SetPropA(dialog, kScanCommandProperty, reinterpret_cast<HANDLE>(1));
    command(dialog, ds);
    if (outer)
        SetPropA(dialog, kScanCommandProperty, outer);
    else
        RemovePropA(dialog, kScanCommandProperty);
}

void ScanRegionCommand(HWND dialog, DSData* ds)
{
    ScanSelectedRegion(dialog, ds);
}

// Commands of the template's buttons and of the private identifiers.
bool OnButton(HWND dialog, DSData* ds, int id, LPARAM lParam)
{
    switch (id) {
    case IDC_SCAN: RunScanCommandOf(dialog, ds, RunBatchScan); break;
    case IDM_SCAN_REGION: RunScanCommandOf(dialog, ds, ScanRegionCommand); break;
    case IDC_PRESCAN: RunScanCommandOf(dialog, ds, OnPreScan); break;
    case IDC_EJECT: EjectFilm(dialog); break;
    case IDC_PATIENT_INFO: OnPatientInfo(dialog, ds); break;
    case IDC_DICOM_PARAMS: OpenMoreDicomDlg(Module(ds), dialog, ds); break;
    case IDOK: OnExit(dialog, ds); break;
    case IDCANCEL: OnCancel(dialog, ds); break;
    case IDC_AUTO_SIZE: SetAutoSize(dialog, ds, ds->ScanSettings->autoSize ? 0 : 1); break;
    case IDC_TOP_CENTER: OnTopCenter(dialog, ds); break;
    case IDC_SCAN_SIZE: OpenScanSizeDlg(Module(ds), dialog, ds); break;
    case IDM_SHOW_SIZE_IN_UNITS: ShowSizeInUnits(dialog, ds); break;
    case IDC_FILE_FORMAT: ForceOpenOutFileDlg(Module(ds), ds->HostServices->mainDialog, ds); break;
    case IDC_SAVE_TO_DISK: OnSaveToDisk(dialog, ds); break;
    case IDC_MULTI_FILM: OnMultiFilmMode(dialog, ds); break;
    case IDC_ADVANCED: RunWithoutSizeTimer(dialog, ds, OpenOptions); break;
    case IDC_ABOUT: RunWithoutSizeTimer(dialog, ds, OpenAboutDlg); break;
    case IDC_DIGITIZER_INFO: ShowDigitizerInfo(dialog, ds); break;
    case IDM_RELOAD_AFTER_PRESCAN: ReloadFilmAfterPrescan(dialog, ds); break;
    case IDM_ENABLE_BUTTONS: EnableMainButtons(dialog, static_cast<uint32_t>(lParam), 1); break;
    case IDM_DISABLE_BUTTONS: EnableMainButtons(dialog, static_cast<uint32_t>(lParam), 0); break;
    case IDM_SCAN_FINISHED: OnScanFinished(dialog, ds); break;
    case IDM_REPAINT_PROGRESS: RepaintStatusPanel(dialog, ds); break;
    default: return false;
    }
    return true;
}

BOOL OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    DSData* ds = DialogSession(dialog);
    if (!ds)
        return FALSE;
    const int id = LOWORD(wParam), notification = HIWORD(wParam);
    if (IsLeavingField(id, notification)) {
        if (GetPropA(dialog, kReadyProperty) && !GetPropA(dialog, kScanCommandProperty))
            SetScanParams(dialog, ds);
        return TRUE;
    }
    switch (id) {
    case IDC_RESOLUTION: OnResolutionList(dialog, ds, notification); return TRUE;
    case IDC_DEPTH: OnDepthList(dialog, ds, notification); return TRUE;
    case IDC_FILM_COUNT: OnFilmCountList(dialog, ds, notification); return TRUE;
    }
    if (id == IDC_WIDTH || id == IDC_LENGTH || id == IDC_TOP || id == IDC_LEFT)
        return TRUE;
    return OnButton(dialog, ds, id, lParam) ? TRUE : FALSE;
}

void OnDestroy(HWND dialog, DSData* ds)
{
    RemovePropA(dialog, kReadyProperty);
    RemovePropA(dialog, kScanCommandProperty);
    ReleaseStatusPanelTools(dialog);
    if (ds)
        ReleaseMainPalette(dialog, ds);
    KillTimer(dialog, MAIN_SIZE_TIMER);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (PreviewDialogProc(dialog, message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, reinterpret_cast<DSData*>(lParam));
    case WM_COMMAND:
        return OnCommand(dialog, wParam, lParam);
    case WM_TIMER:
        if (DSData* ds = DialogSession(dialog))
            OnMainTimer(dialog, ds, wParam);
        return TRUE;
    case WM_PAINT:
        if (DSData* ds = DialogSession(dialog)) {
            PaintMainDialog(dialog, ds);
            return TRUE;
        }
        return FALSE;
    case WM_PALETTECHANGED:
        if (DSData* ds = DialogSession(dialog))
            OnMainPaletteChanged(dialog, ds, reinterpret_cast<HWND>(wParam));
        return TRUE;
    case WM_ACTIVATE:
        // Keystrokes stay with the dialog while the host's window is active.
        if (LOWORD(wParam) == WA_INACTIVE) {
            SetFocus(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        if (DSData* ds = DialogSession(dialog))
            OnMainClose(ds);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog, DialogSession(dialog));
        return TRUE;
    }
    return FALSE;
}

void ShowDicomButtonsForFormat(HWND dialog, const DSData* ds)
{
    const OutputSettings* out = ds->OutputSettings;
    const ImageControl* c = ds->ImageControl;
    const bool show = strcmp(out->formatName, "DICOM") == 0 &&
                      (out->transferMode == 2 || c->saveToDisk || c->saveToDiskActive);
    ShowWindow(GetDlgItem(dialog, IDC_PATIENT_INFO), show ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_DICOM_PARAMS), show ? SW_SHOW : SW_HIDE);
}

}  // namespace

void* OpenFilmCoreDlg(DSData* ds)
{
    if (!SessionComplete(ds))
        return nullptr;
    HostServices* host = ds->HostServices;
    host->instance = FilmCoreInstance();
    HWND dialog = CreateDialogParamA(Module(ds), MAKEINTRESOURCEA(IDD_MAIN),
                                     static_cast<HWND>(host->parentWindow), MainDialogProc,
                                     reinterpret_cast<LPARAM>(ds));
    // A failed start-up destroys the dialog inside its creation.
    if (!dialog || !IsWindow(dialog) || !host->mainDialog)
        return nullptr;
    ShowWindow(dialog, SW_HIDE);
    SetScanParams(dialog, ds);
    InitScanDlgParams(dialog, ds);
    if (strcmp(ds->OutputSettings->formatName, "DICOM") == 0) {
        CopyText(ds->OutputSettings->formatName, sizeof ds->OutputSettings->formatName, "Bitmap");
        SyncFormatName(ds, "Bitmap");
    }
    ShowDicomButtonsForFormat(dialog, ds);
    return dialog;
}
