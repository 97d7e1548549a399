#include "auto_size.h"

#include "frame/session.h"
#include "pipeline/preview_area.h"
#include "res/resource.h"
#include "scanner/scan_params.h"

namespace {

// 0 when the operator keeps the preview.
int DiscardPreview(HWND window, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    if (s->prescanGroup == FC_NO_GROUP)
        return 1;
    if (MessageBoxA(window, "You are about to discard the preview image.\nAre you sure?", "WARNING",
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;
    MemFreeGroup(s->prescanGroup);
    s->prescanGroup = FC_NO_GROUP;
    s->prescanBits = nullptr;
    s->prescanInfo = nullptr;
    // The selection was made on the preview just thrown away.
    ResetSelection(ds);
    InvalidateRect(window, nullptr, TRUE);
    return 1;
}

}  // namespace

void SetAutoSize(HWND window, DSData* ds, int on)
{
    ScanSettings* s = ds->ScanSettings;
    if (!on && !DiscardPreview(window, ds)) {
        CheckDlgButton(window, IDC_AUTO_SIZE, s->autoSize ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    s->autoSize = on ? 1 : 0;
    CheckDlgButton(window, IDC_AUTO_SIZE, on ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(window, IDC_TOP_CENTER), on ? FALSE : TRUE);
    SetScanParams(window, ds);
    NotifyHostU32(PARAM_AUTO_SIZE, ds, s->autoSize);
}
