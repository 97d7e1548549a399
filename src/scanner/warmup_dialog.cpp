#include "warmup_dialog.h"

#include "res/resource.h"

static HWND g_warmupDialog = nullptr;
static WarmupOutcome g_outcome = WARMUP_WAITING;

static const char kWarmupText[] =
    "Scanner requires a few minutes of warm-up cycle.  Choose ABORT to exit the DS. "
    "Choose IGNORE to force the DS to continue.  Image quality may be degraded if you "
    "choose IGNORE.";

WarmupOutcome WarmupOutcomeNow(void)
{
    return g_outcome;
}

void SetWarmupOutcome(WarmupOutcome outcome)
{
    g_outcome = outcome;
}

HWND WarmupDialog(void)
{
    return g_warmupDialog;
}

static void OnAnswer(HWND dialog, WarmupOutcome outcome)
{
    g_outcome = outcome;
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

static INT_PTR CALLBACK WarmupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_WARMUP_TEXT, kWarmupText);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_WARMUP_ABORT)
            OnAnswer(dialog, WARMUP_ABORT);
        else if (LOWORD(wParam) == IDC_WARMUP_IGNORE)
            OnAnswer(dialog, WARMUP_IGNORE);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        // Also when the owner goes first.
        if (g_warmupDialog == dialog)
            g_warmupDialog = nullptr;
        return TRUE;
    }
    return FALSE;
}

HWND OpenWarmupDialog(HINSTANCE instance, HWND owner)
{
    if (!g_warmupDialog)
        g_warmupDialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WARMUP), owner,
                                            WarmupDialogProc, 0);
    return g_warmupDialog;
}
