// dlgview: opens one dialog template of FilmCore.dll with a neutral dialog
// procedure, so its layout can be looked at or captured without a session.
//
//   dlgview.exe [--dll PATH] [--guides] [--close-after MS] TEMPLATE
//
// The window is shown at the top left of the desktop; "shown <hwnd> <title>"
// is printed once it is painted. --guides paints the areas the code draws at
// run time, from the same fractions of the client area: on the main dialog
// the bevel, the preview frame with its rulers and the progress bar, on the
// patient dialog the preview panel.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "res/resource.h"

namespace {

struct ViewerOptions {
    const char* dllPath = "FilmCore.dll";
    int templateId = 0;
    bool guides = false;
    unsigned closeAfterMs = 0;
};

const UINT_PTR kCloseTimer = 1;
const int kRulerThickness = 7;

bool ParseOptions(int argc, char** argv, ViewerOptions* options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
            options->dllPath = argv[++i];
        } else if (std::strcmp(argv[i], "--guides") == 0) {
            options->guides = true;
        } else if (std::strcmp(argv[i], "--close-after") == 0 && i + 1 < argc) {
            options->closeAfterMs = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            char* end = nullptr;
            long id = std::strtol(argv[i], &end, 10);
            if (end == argv[i] || *end != '\0' || id <= 0 || id > 0xFFFF)
                return false;
            options->templateId = static_cast<int>(id);
        }
    }
    return options->templateId != 0;
}

void FillRect(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    RECT r = {left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    ::FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void OutlineRect(HDC dc, int left, int top, int right, int bottom)
{
    HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, old);
}

void DrawBevel(HDC dc, const RECT& client)
{
    static const int kSteps[7] = {-20, 70, 40, 10, -10, -40, -70};
    for (int k = 0; k < 7; ++k) {
        int light = (180 + kSteps[k]) & 0xFF;
        int dark = (180 - kSteps[k]) & 0xFF;
        int l = client.left + k, t = client.top + k;
        int r = client.right - 1 - k, b = client.bottom - 1 - k;
        HPEN lightPen = CreatePen(PS_SOLID, 1, RGB(light, light, light));
        HPEN darkPen = CreatePen(PS_SOLID, 1, RGB(dark, dark, dark));
        HGDIOBJ old = SelectObject(dc, lightPen);
        MoveToEx(dc, l, b, nullptr);
        LineTo(dc, l, t);
        LineTo(dc, r, t);
        SelectObject(dc, darkPen);
        LineTo(dc, r, b);
        LineTo(dc, l, b);
        SelectObject(dc, old);
        DeleteObject(lightPen);
        DeleteObject(darkPen);
    }
}

// The run-time drawing of the main dialog, reduced to its empty state.
void PaintMainDialogGuides(HWND dialog, HDC dc)
{
    RECT client;
    GetClientRect(dialog, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    const int frameLeft = static_cast<int>(client.left + 0.31 * w);
    const int frameRight = frameLeft + static_cast<int>(0.54 * w);
    const int frameTop = static_cast<int>(client.top + 0.05 * h);
    const int frameBottom = static_cast<int>(client.top + 0.85 * h);

    DrawBevel(dc, client);
    FillRect(dc, frameLeft, frameTop, frameRight, frameBottom, 0xD2B496);

    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    FillRect(dc, frameLeft, frameTop - kRulerThickness, frameRight, frameTop, 0xB4967F);
    OutlineRect(dc, frameLeft, frameTop - kRulerThickness, frameRight, frameTop);
    FillRect(dc, frameLeft - kRulerThickness, frameTop, frameLeft, frameBottom, 0xB4967F);
    OutlineRect(dc, frameLeft - kRulerThickness, frameTop, frameLeft, frameBottom);
    SelectObject(dc, oldPen);

    const int barLeft = static_cast<int>(client.left + 0.31 * w);
    const int barTop = static_cast<int>(client.top + 0.88 * h);
    const int barWidth = static_cast<int>(0.54 * w);
    FillRect(dc, barLeft, barTop, barLeft + barWidth, barTop + 21, 0xD2B496);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0x964B00);
    TextOutA(dc, barLeft + 10, barTop + 3, "0K", 2);
}

// The preview panel of the patient dialog.
void PaintPatientDialogGuides(HWND dialog, HDC dc)
{
    RECT client;
    GetClientRect(dialog, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    FillRect(dc, static_cast<int>(client.left + 0.52 * w), static_cast<int>(client.top + 0.04 * h),
             static_cast<int>(client.left + 0.95 * w), static_cast<int>(client.top + 0.84 * h),
             RGB(150, 180, 210));
}

struct ViewerState {
    int templateId;
    bool guides;
};

bool HasGuides(const ViewerState* state)
{
    return state && state->guides &&
           (state->templateId == IDD_MAIN || state->templateId == IDD_PATIENT_INFO);
}

INT_PTR CALLBACK NeutralDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    ViewerState* state = reinterpret_cast<ViewerState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return TRUE;
    case WM_PAINT:
        if (HasGuides(state)) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(dialog, &ps);
            if (state->templateId == IDD_MAIN)
                PaintMainDialogGuides(dialog, dc);
            else
                PaintPatientDialogGuides(dialog, dc);
            EndPaint(dialog, &ps);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(dialog);
        return TRUE;
    case WM_TIMER:
        if (wParam == kCloseTimer)
            DestroyWindow(dialog);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

HMODULE LoadTemplates(const char* path)
{
    // Loading the library normally gives its bitmaps the same module handle
    // the dialog manager uses for the picture controls.
    HMODULE module = LoadLibraryA(path);
    if (!module)
        module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

} // namespace

int main(int argc, char** argv)
{
    ViewerOptions options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: dlgview [--dll PATH] [--guides] [--close-after MS] TEMPLATE\n");
        return 2;
    }
    HMODULE module = LoadTemplates(options.dllPath);
    if (!module) {
        std::fprintf(stderr, "dlgview: cannot load %s (error %lu)\n", options.dllPath, GetLastError());
        return 1;
    }
    ViewerState state = {options.templateId, options.guides};
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(options.templateId), nullptr,
                                     NeutralDialogProc, reinterpret_cast<LPARAM>(&state));
    if (!dialog) {
        std::fprintf(stderr, "dlgview: template %d cannot be created (error %lu)\n",
                     options.templateId, GetLastError());
        return 1;
    }
    SetWindowPos(dialog, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(dialog);
    UpdateWindow(dialog);
    if (options.closeAfterMs)
        SetTimer(dialog, kCloseTimer, options.closeAfterMs, nullptr);

    char title[256] = "";
    GetWindowTextA(dialog, title, sizeof title);
    std::printf("shown %p %s\n", static_cast<void*>(dialog), title);
    std::fflush(stdout);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
