#include "diag_window.h"

#include "digitizer/pump_messages.h"
#include "frame/dialog_window.h"

enum { PENDING_MESSAGES = 20 };

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
