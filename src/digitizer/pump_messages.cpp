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
        // A pass without a message ends at once; asking the queue first
        // spares the scan loops a round of empty peeks per block. Under
        // Wine every kind of look costs one round trip to its server
        // (bench/queue_check_bench), so the ask is as cheap as any.
        if (HIWORD(PHASE_CALL("PumpMessages.queueCheck", GetQueueStatus(QS_ALLINPUT))) == 0)
            return 1;
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            continue;
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
