// stateview: shows a FilmCore window in a state only a run reaches, so it
// can be looked at or captured.
//
//   stateview.exe [--close-after MS] STATE
//
// STATE is "system-test-failures" (the system test window after a run with
// two failing steps), "scan-size-centimetres" (the Scan Size list in
// centimetres) or "options-opened" (Advanced Options as it opens over the
// installed virtual digitizer). The window is moved to the top left of the desktop and
// "shown <hwnd> <title>" is printed, as dlgview does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FilmCore.h"
#include "scanner/diagnostics.h"
#include "digitizer/toolkit.h"
#include "ui/password_dialogs.h"
#include "ui/scan_size_dialog.h"

namespace {

const char kSystemTestTitle[] = "Scanner System Test Message Dialog";
const char kScanSizeTitle[] = "Scan Size";
const char kOptionsTitle[] = "Advanced Options";
unsigned g_closeAfterMs = 4000;
const char* g_title = nullptr;
HWND g_window = nullptr;

// Two failing steps, then the end of the test.
TkStatus ScriptedFullTest(uint8_t* reply, uint16_t length)
{
    static int step = 0;
    static const char* const texts[] = {"Lamp level low", "Focus drift"};
    if (step >= 2) {
        step = 0;
        return 6;
    }
    memset(reply, 0, length);
    snprintf(reinterpret_cast<char*>(reply) + 5, length - 5u, "%s", texts[step++]);
    return 1;
}

void Announce(HWND window)
{
    g_window = window;
    SetWindowPos(window, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    std::printf("shown %p %s\n", static_cast<void*>(window), title);
    std::fflush(stdout);
}

void CALLBACK OnShowTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (HWND window = FindWindowA(nullptr, g_title))
        Announce(window);
}

void CALLBACK OnCloseTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (g_window && IsWindow(g_window))
        PostMessageA(g_window, WM_COMMAND, IDCANCEL, 0);
    PostQuitMessage(0);
}

void RunLoop(void)
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* state = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--close-after") == 0 && i + 1 < argc)
            g_closeAfterMs = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else
            state = argv[i];
    }
    HostServices host = {};
    ScannerInfo scanner = {};
    ScanSettings settings = {};
    ScanArea area = {};
    ImageControl image = {};
    OutputSettings output = {};
    DSData ds = {&host, &scanner, &settings, &area, &image, &output};
    host.instance = GetModuleHandleA(nullptr);
    scanner.maxWidth = 14;
    settings.maxLength = 17;
    settings.resolution = 300;

    if (state && std::strcmp(state, "system-test-failures") == 0) {
        ScanKit kit = {};
        kit.diagFullTest = ScriptedFullTest;
        ToolkitInstall(&kit);
        g_title = kSystemTestTitle;
        RunSystemTest(nullptr, &ds);
        OnShowTimer(nullptr, 0, 0, 0);
        SetTimer(nullptr, 0, g_closeAfterMs, OnCloseTimer);
        RunLoop();
    } else if (state && std::strcmp(state, "scan-size-centimetres") == 0) {
        settings.units = 2;
        g_title = kScanSizeTitle;
        SetTimer(nullptr, 0, 200, OnShowTimer);
        SetTimer(nullptr, 0, g_closeAfterMs, OnCloseTimer);
        OpenScanSizeDlg(GetModuleHandleA(nullptr), nullptr, &ds);
    } else if (state && std::strcmp(state, "options-opened") == 0) {
        InitDSData(&ds);
        LoadSecuritySettings(&ds);  // as the main dialog does when it opens
        if (InitializeScanner(nullptr, &ds, 0) != 0)
            std::fprintf(stderr, "stateview: the virtual digitizer did not start\n");
        g_title = kOptionsTitle;
        SetTimer(nullptr, 0, 200, OnShowTimer);
        SetTimer(nullptr, 0, g_closeAfterMs, OnCloseTimer);
        OpenOptionDlg(GetModuleHandleA(nullptr), nullptr, &ds);
        DeInitDSData();
    } else {
        std::fprintf(stderr, "usage: stateview [--close-after MS] "
                             "system-test-failures|scan-size-centimetres|options-opened\n");
        return 2;
    }
    return g_window ? 0 : 1;
}
