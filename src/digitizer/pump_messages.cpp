#include "pump_messages.h"
#include "frame/phase_timing.h"

static bool IsCancelCandidate(HWND window, const MSG& msg)
{
    return window && msg.hwnd == window && (msg.message == WM_COMMAND || msg.wParam == 2);
}

int PumpMessages(HWND window, int passes, int ask)
{
    PHASE_SPAN("PumpMessages");
    for (int pass = 0; pass < passes; ++pass) {
        // One look at the queue a pass, taking the message if there is one:
        // under Wine every look also puts pending drawing on the display,
        // and a look that only asks (GetQueueStatus) costs more than one
        // that takes.
        MSG msg;
        bool taken = false;
        {
            PHASE_SPAN("PumpMessages.queueCheck");
            taken = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD) != 0;
        }
        // An empty queue ends the pump: the passes left would only look
        // again at once.
        if (!taken)
            return 1;
        if (msg.message == WM_QUIT) {
            // Not ours to swallow: the host's loop must still see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return 1;
        }
        if (IsCancelCandidate(window, msg)) {
            if (ask && MessageBoxA(window, "Do you want to cancel?", "MESSAGE",
                                   MB_YESNO | MB_ICONQUESTION) == IDYES)
                return 0;
            continue;
        }
        PHASE_SPAN("PumpMessages.dispatch");
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 1;
}
