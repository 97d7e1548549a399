#include "diag_window.h"

#include "scanner/pump_messages.h"

enum { PENDING_MESSAGES = 20 };

static void CentreOnDesktop(HWND window)
{
    RECT desktop, own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    int x = (desktop.right - desktop.left - (own.right - own.left)) / 2;
    int y = (desktop.bottom - desktop.top - (own.bottom - own.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND OpenDiagWindow(DSData* ds, int templateId, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    HINSTANCE instance = ds && ds->HostServices ? static_cast<HINSTANCE>(ds->HostServices->instance) : nullptr;
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, procedure,
                                     parameter);
    if (!window)
        return nullptr;
    CentreOnDesktop(window);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    return window;
}

void HandlePendingMessages(void)
{
    // No window of ours is singled out: every message is dispatched.
    PumpMessages(nullptr, PENDING_MESSAGES, 0);
}
