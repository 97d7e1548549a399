#include "host_watch.h"

#include <vector>

#include "host_log.h"

namespace {

struct Watch {
    std::string title;
    int id;
};

std::vector<Watch> g_watches;

const char kOldProc[] = "filmhost.watch";

LRESULT CALLBACK WatchedControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(control, kOldProc));
    if (message == WM_SETTEXT && lParam)
        HostLog("text %d set \"%s\"", GetDlgCtrlID(control), OneLine(reinterpret_cast<const char*>(lParam)).c_str());
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropA(control, kOldProc);
    }
    return old ? CallWindowProcA(old, control, message, wParam, lParam) : DefWindowProcA(control, message, wParam, lParam);
}

} // namespace

void WatchDialogText(const std::string& title, int id)
{
    g_watches.push_back({title, id});
}

void OnDialogActivated(HWND dialog)
{
    char title[256] = "";
    GetWindowTextA(dialog, title, sizeof title);
    for (const Watch& w : g_watches) {
        HWND control = w.title == title ? GetDlgItem(dialog, w.id) : nullptr;
        if (!control || GetPropA(control, kOldProc))
            continue;
        const LONG_PTR old = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchedControl));
        SetPropA(control, kOldProc, reinterpret_cast<HANDLE>(old));
        char text[1024] = "";
        GetWindowTextA(control, text, sizeof text);
        HostLog("text %d watched \"%s\"", w.id, OneLine(text).c_str());
    }
}
