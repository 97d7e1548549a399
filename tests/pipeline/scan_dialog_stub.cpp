#include "scan_dialog_stub.h"

#include "ui/resource.h"

// Posted rather than sent so that it only lands when the pipeline pumps,
// and not a WM_COMMAND, which the pump keeps from the dialog.
static const UINT WM_STUB_CLICK_CANCEL = WM_APP + 11;

static HWND g_dialog = nullptr;
static int g_progressCount = 0, g_cancelAfterProgress = 0;

static void OnCancel(HWND dialog)
{
    DSData* ds = reinterpret_cast<DSData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (ds && ds->ScanSettings && ds->ScanSettings->scanState == 1)
        ds->ScanSettings->scanState = 0;
}

static INT_PTR CALLBACK ScanDialogStubProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return TRUE;
    case WM_STUB_CLICK_CANCEL:
        OnCancel(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL ||
            (LOWORD(wParam) == IDM_REPAINT_PROGRESS && ++g_progressCount == g_cancelAfterProgress))
            OnCancel(dialog);
        return TRUE;
    case WM_NCDESTROY:
        if (dialog == g_dialog)
            g_dialog = nullptr;
        return FALSE;
    }
    return FALSE;
}

HWND CreateScanDialogStub(DSData* ds)
{
    ResetScanDialogStub();
    g_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                  ScanDialogStubProc, reinterpret_cast<LPARAM>(ds));
    return g_dialog;
}

void ResetScanDialogStub(void) { g_progressCount = g_cancelAfterProgress = 0; }

std::string StubStatusText(void)
{
    char text[512] = {0};
    if (g_dialog)
        GetDlgItemTextA(g_dialog, IDC_STATUS, text, sizeof text);
    return text;
}

void StubCancelAfterProgress(int n) { g_cancelAfterProgress = n; }

void StubClickCancel(void) { PostMessageA(g_dialog, WM_STUB_CLICK_CANCEL, 0, 0); }
