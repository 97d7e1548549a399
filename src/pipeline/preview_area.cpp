// The preview area's messages: the frame set up at initialisation, the
// mouse drawing the selection, the region scan started from it, and the
// selection checked and turned into the scan area in inches.
#include "pipeline/preview_area.h"

#include <windowsx.h>

#include "frame/dialog_window.h"
#include "pipeline/preview_state.h"
#include "res/resource.h"

namespace {

PreviewState g_preview = {{190, 20, 524, 405}, -101, -101, -100, -100, false, false, 0, 0, 0, 0};

const int kSelectionTexts[] = {IDC_SEL_X1, IDC_SEL_Y1, IDC_SEL_X2, IDC_SEL_Y2, IDC_SEL_WIDTH, IDC_SEL_HEIGHT};

// Lighter than the session checks: the area draws and selects on these two
// records alone.
bool HasAreaRecords(const DSData* ds) { return ds && ds->ScanArea && ds->ScanSettings; }

PreviewRect SelectionOf(const ScanArea* a)
{
    return PreviewRect{a->selection[0], a->selection[1], a->selection[2], a->selection[3]};
}

void SetSelection(ScanArea* a, const PreviewRect& r)
{
    a->selection[0] = r.left;
    a->selection[1] = r.top;
    a->selection[2] = r.right;
    a->selection[3] = r.bottom;
}

void EmptySelectionTexts(HWND dialog)
{
    for (int id : kSelectionTexts)
        SetDlgItemTextA(dialog, id, "");
}

void ShowDragSelection(HWND dialog, DSData* ds)
{
    ShowSelectionCoordinates(dialog, g_preview.dragStartX, g_preview.dragStartY, g_preview.dragEndX,
                             g_preview.dragEndY, ds);
}

// Moves the band's second corner to the point, kept inside the frame.
void MoveDragEnd(HWND dialog, int x, int y)
{
    ToggleRubberBand(dialog);
    ClampPointToRect(g_preview.frame, &x, &y);
    g_preview.dragEndX = x;
    g_preview.dragEndY = y;
    ToggleRubberBand(dialog);
}

void OnInit(HWND dialog, LPARAM lParam)
{
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    RECT client;
    GetClientRect(dialog, &client);
    g_preview.frame = PreviewFrameFromClient(PreviewRect{client.left, client.top, client.right, client.bottom});
    DSData* ds = reinterpret_cast<DSData*>(lParam);
    if (ds && ds->ScanArea)
        SetSelection(ds->ScanArea, g_preview.frame);
    ForgetRubberBand();
    g_preview.dragging = false;
    g_preview.selectionShown = false;
    g_preview.rulerScaleX = g_preview.rulerScaleY = 0;  // nothing painted yet
}

void OnLeftButtonDown(HWND dialog, DSData* ds, int x, int y)
{
    if (!PointInRect(g_preview.frame, x, y))
        return;
    ToggleRubberBand(dialog);
    g_preview.dragStartX = g_preview.dragEndX = x;
    g_preview.dragStartY = g_preview.dragEndY = y;
    ds->ScanArea->selection[0] = x;
    ds->ScanArea->selection[1] = y;
    g_preview.dragging = true;
    // A release outside the dialog still ends the drag.
    SetCapture(dialog);
    ToggleRubberBand(dialog);
    ShowDragSelection(dialog, ds);
}

void OnMouseMove(HWND dialog, DSData* ds, int x, int y)
{
    if (g_preview.dragging) {
        MoveDragEnd(dialog, x, y);
        ShowDragSelection(dialog, ds);
    }
    ShowPointerCoordinates(dialog, x, y, PointInRect(g_preview.frame, x, y), ds);
}

void OnLeftButtonUp(HWND dialog, DSData* ds, int x, int y)
{
    if (!g_preview.dragging)
        return;
    g_preview.dragging = false;
    if (GetCapture() == dialog)
        ReleaseCapture();
    MoveDragEnd(dialog, x, y);
    ShowDragSelection(dialog, ds);
    ds->ScanArea->selection[2] = g_preview.dragEndX;
    ds->ScanArea->selection[3] = g_preview.dragEndY;
}

void OnRightButtonDown(HWND dialog, DSData* ds)
{
    ToggleRubberBand(dialog);
    ForgetRubberBand();
    SetSelection(ds->ScanArea, g_preview.frame);
    if (g_preview.dragging && GetCapture() == dialog)
        ReleaseCapture();
    g_preview.dragging = false;
    g_preview.selectionShown = false;
    EmptySelectionTexts(dialog);
}

// Repaints with the module's palette; the paint draws the band itself, so
// it is not drawn again (a second XOR would wipe it).
void OnMove(HWND dialog, DSData* ds)
{
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    HPALETTE palette = static_cast<HPALETTE>(ds->HostServices ? ds->HostServices->palette : nullptr);
    HPALETTE previous = nullptr;
    if (palette) {
        previous = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
        ds->HostServices->oldPalette = previous;
    }
    PaintPreview(dialog, dc, ds);
    if (palette)
        SelectPalette(dc, previous, FALSE);
    ReleaseDC(dialog, dc);
}

// Scan while a preview is shown scans the selected region.
bool OnScan(HWND dialog, DSData* ds)
{
    if (!ds->ImageControl || !ds->ImageControl->previewActive)
        return false;
    const PreviewRect sel = SelectionOf(ds->ScanArea);
    const PreviewRect& f = g_preview.frame;
    if (sel.left == f.left && sel.top == f.top && sel.right == f.right && sel.bottom == f.bottom) {
        ds->ScanSettings->selectionFlags |= 1;
    } else {
        ds->ScanSettings->selectionFlags &= static_cast<uint16_t>(~1u);
        if (ValidateSelection(dialog, ds) != 0)
            return true;
    }
    ds->ScanArea->prescanMode = 0;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDM_SCAN_REGION, 0), 0);
    return true;
}

}  // namespace

PreviewState& Preview(void) { return g_preview; }

void ForgetRubberBand(void)
{
    g_preview.dragStartX = g_preview.dragStartY = -101;
    g_preview.dragEndX = g_preview.dragEndY = -100;
}

INT_PTR PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        OnInit(dialog, lParam);
        return FALSE;
    }
    DSData* ds = DialogSession(dialog);
    if (!HasAreaRecords(ds))
        return FALSE;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(dialog, ds, x, y);
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(dialog, ds, x, y);
        return TRUE;
    case WM_LBUTTONUP:
        OnLeftButtonUp(dialog, ds, x, y);
        return TRUE;
    case WM_RBUTTONDOWN:
        OnRightButtonDown(dialog, ds);
        return TRUE;
    case WM_MOVE:
        OnMove(dialog, ds);
        return TRUE;
    case WM_COMMAND:
        return LOWORD(wParam) == IDC_SCAN && OnScan(dialog, ds);
    }
    return FALSE;
}

int ValidateSelection(HWND dialog, DSData* ds)
{
    if (!HasAreaRecords(ds))
        return 1;
    ScanArea* a = ds->ScanArea;
    const PreviewRect image = {a->imageRect[0], a->imageRect[1], a->imageRect[2], a->imageRect[3]};
    // Without the prescan's size the image stands for no film length either.
    if (!RectHasArea(image) || a->previewDpi == 0 || a->prescanPixels == 0 || a->prescanLines == 0) {
        MessageBoxA(dialog, "Bad image size.", "ERROR", MB_OK | MB_ICONSTOP);
        return 1;
    }
    const PreviewRect sel = ClampRectToRect(NormaliseRect(SelectionOf(a)), image);
    SetSelection(a, sel);
    if (!RectHasArea(sel)) {
        MessageBoxA(dialog, "The scan area you selected is outside the film.", "WARNING", MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    const SelectionInches in = SelectionToInches(sel, image, a->prescanPixels, a->prescanLines, a->previewDpi);
    a->left = in.left;
    a->right = in.right;
    a->top = in.top;
    a->bottom = in.bottom;
    return 0;
}

void ResetSelection(DSData* ds)
{
    ForgetRubberBand();
    g_preview.selectionShown = false;
    if (!HasAreaRecords(ds))
        return;
    SetSelection(ds->ScanArea, g_preview.frame);
    ds->ScanSettings->selectionFlags &= static_cast<uint16_t>(~1u);
    HWND main = ds->HostServices ? static_cast<HWND>(ds->HostServices->mainDialog) : nullptr;
    if (main && IsWindow(main))
        EmptySelectionTexts(main);
}
