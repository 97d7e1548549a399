#include "command_dialog_stub.h"

#include <map>

#include "ui/resource.h"

static WNDPROC g_statusProc = nullptr;
static std::vector<std::string> g_status;
static std::map<int, int> g_commands;
static int g_cancelFilm = 0;

static LRESULT CALLBACK StatusProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && lParam)
        g_status.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(g_statusProc, control, message, wParam, lParam);
}

// Cancel during a scan stops it and the batch, as the main dialog's does.
static void OnCommand(HWND dialog, int id)
{
    ScanSettings* s = reinterpret_cast<DSData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA))->ScanSettings;
    ++g_commands[id];
    const bool cancel = id == IDCANCEL || (id == IDM_REPAINT_PROGRESS && s->currentFilm == g_cancelFilm);
    if (cancel && s->scanState == 1) {
        s->scanState = 0;
        s->stopBatch = 1;
    }
}

static INT_PTR CALLBACK StubProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        g_statusProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            GetDlgItem(dialog, IDC_STATUS), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusProc)));
        return TRUE;
    }
    if (message == WM_COMMAND)
        OnCommand(dialog, LOWORD(wParam));
    return message == WM_COMMAND || message == WM_CLOSE;
}

HWND CreateCommandDialog(DSData* ds)
{
    g_status.clear();
    g_commands.clear();
    g_cancelFilm = 0;
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, StubProc,
                              reinterpret_cast<LPARAM>(ds));
}

const std::vector<std::string>& StatusHistory(void) { return g_status; }
int CommandsReceived(int id) { return g_commands.count(id) ? g_commands[id] : 0; }
void CancelDuringFilm(int film) { g_cancelFilm = film; }
