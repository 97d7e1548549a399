#include "scan_dialog_stub.h"

#include "ui/resource.h"

// A queued click; posted rather than sent so that it only lands when the
// pipeline pumps, and not a WM_COMMAND, which the pump keeps from the dialog.
static const UINT WM_STUB_CLICK_CANCEL = WM_APP + 11;

static HWND g_dialog = nullptr;
static WNDPROC g_statusProc = nullptr;
static std::vector<std::string> g_statusHistory;
static int g_progressCount = 0;
static int g_cancelCount = 0;
static int g_cancelAfterProgress = 0;

static LRESULT CALLBACK StatusProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && lParam)
        g_statusHistory.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(g_statusProc, control, message, wParam, lParam);
}

static void OnCancel(HWND dialog)
{
    ++g_cancelCount;
    DSData* ds = reinterpret_cast<DSData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (ds && ds->ScanSettings && ds->ScanSettings->scanState == 1)
        ds->ScanSettings->scanState = 0;
}

static void OnProgress(HWND dialog)
{
    ++g_progressCount;
    if (g_cancelAfterProgress > 0 && g_progressCount == g_cancelAfterProgress)
        OnCancel(dialog);
}

static BOOL OnInit(HWND dialog, LPARAM lParam)
{
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    HWND status = GetDlgItem(dialog, IDC_STATUS);
    if (status)
        g_statusProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusProc)));
    return TRUE;
}

static INT_PTR CALLBACK ScanDialogStubProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, lParam);
    case WM_STUB_CLICK_CANCEL:
        OnCancel(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_REPAINT_PROGRESS)
            OnProgress(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            OnCancel(dialog);
        return TRUE;
    case WM_CLOSE:
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

std::string StubStatusText(void)
{
    char text[512] = {0};
    if (g_dialog)
        GetDlgItemTextA(g_dialog, IDC_STATUS, text, sizeof text);
    return text;
}

const std::vector<std::string>& StubStatusHistory(void)
{
    return g_statusHistory;
}

int StubProgressCount(void)
{
    return g_progressCount;
}

int StubCancelCount(void)
{
    return g_cancelCount;
}

void ResetScanDialogStub(void)
{
    g_statusHistory.clear();
    g_progressCount = 0;
    g_cancelCount = 0;
    g_cancelAfterProgress = 0;
}

void StubCancelAfterProgress(int n)
{
    g_cancelAfterProgress = n;
}

void StubClickCancel(void)
{
    if (g_dialog)
        PostMessageA(g_dialog, WM_STUB_CLICK_CANCEL, 0, 0);
}
