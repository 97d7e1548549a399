#include "status_line.h"

#include <string.h>

#include "res/resource.h"

static StatusWriter g_writer = WriteStatusControl;

// The text last written and the dialog it went to.
static struct {
    HWND dialog;
    char text[64];
} g_shown = {nullptr, ""};

void WriteStatusControl(HWND dialog, const char* text, bool paintNow)
{
    SetDlgItemTextA(dialog, IDC_STATUS, text);
    if (paintNow)
        UpdateWindow(GetDlgItem(dialog, IDC_STATUS));
}

StatusWriter StatusLineUseWriter(StatusWriter writer)
{
    StatusWriter previous = g_writer;
    g_writer = writer ? writer : WriteStatusControl;
    return previous;
}

void ForgetScanStatus(void)
{
    g_shown.dialog = nullptr;
    g_shown.text[0] = '\0';
}

static void Write(HWND dialog, const char* text, bool paintNow)
{
    if (!dialog || !text)
        return;
    g_writer(dialog, text, paintNow);
    const size_t length = strlen(text);
    if (length < sizeof g_shown.text) {
        memcpy(g_shown.text, text, length + 1);
        g_shown.dialog = dialog;
    } else {
        ForgetScanStatus();
    }
}

void ShowStatus(HWND dialog, const char* text)
{
    Write(dialog, text, false);
}

void ShowStatusNow(HWND dialog, const char* text)
{
    Write(dialog, text, true);
}

void SetScanStatus(HWND dialog, const char* text)
{
    if (dialog && text && g_shown.dialog == dialog && strcmp(g_shown.text, text) == 0)
        return;
    Write(dialog, text, false);
}

void RepaintScanProgress(HWND dialog)
{
    if (dialog)
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDM_REPAINT_PROGRESS, 0), 0);
}
