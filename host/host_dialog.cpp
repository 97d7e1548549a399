#include "host_dialog.h"

#include <windows.h>

#include "host_log.h"
#include "host_script_run.h"
#include "host_session.h"
#include "host_transfer.h"

namespace {

const int kRepaintProgress = 2001;
const int kScanFinished = 1099;
const int kScan = 1003;

WNDPROC g_dialogProc = nullptr;

// The library's own procedure runs first; the host only looks on.
LRESULT CALLBACK WatchDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == kScanFinished)
        OnScriptScanFinished();
    if (message == WM_COMMAND && LOWORD(wParam) == kScan)
        TheHostSession()->filmsFinished = 0;  // a Scan press starts a batch
    const LRESULT result = CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
    if (message == WM_COMMAND) {
        HostSession* s = TheHostSession();
        if (LOWORD(wParam) == kRepaintProgress)
            OnScriptProgress(s);
        else if (LOWORD(wParam) == kScanFinished)
            RecordSavedImage(s);
    }
    return result;
}

} // namespace

bool OpenMainDialog(HostSession* s)
{
    HWND dialog = static_cast<HWND>(OpenFilmCoreDlg(&s->ds));
    if (!dialog) {
        HostLog("OpenFilmCoreDlg: no dialog");
        return false;
    }
    s->dialog = dialog;
    g_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDialog)));
    char title[256] = "";
    GetWindowTextA(dialog, title, sizeof title);
    HostLog("OpenFilmCoreDlg: \"%s\"", title);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    return true;
}
