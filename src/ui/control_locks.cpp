#include "control_locks.h"

#include "res/resource.h"
#include "ui/size_units.h"

namespace {

void Enable(HWND dialog, int id, bool enable)
{
    HWND control = GetDlgItem(dialog, id);
    if (control)
        EnableWindow(control, enable ? TRUE : FALSE);
}

void EnableAll(HWND dialog, const int* ids, int count, bool enable)
{
    for (int i = 0; i < count; ++i)
        Enable(dialog, ids[i], enable);
}

bool Unlocked(DSData* ds, uint32_t group)
{
    return IsControlGroupUnlocked(ds, static_cast<int32_t>(group)) != 0;
}

bool MultiFilmFeeder(const DSData* ds)
{
    const ScannerInfo* info = ds->ScannerInfo;
    return info->feederStatus == 16 && info->feederCapacity >= 2;
}

bool MemoryTransferPath(const DSData* ds)
{
    return ds->OutputSettings->transferMode == 1 && ds->ImageControl->memTransferEnabled;
}

void LockMainDialog(HWND main, DSData* ds)
{
    const ImageControl* c = ds->ImageControl;
    const ScanSettings* s = ds->ScanSettings;
    bool resolution = Unlocked(ds, IDC_LOCK_RESOLUTION);
    Enable(main, IDC_RESOLUTION, resolution);
    Enable(main, IDC_RESOLUTION_LABEL, resolution);
    bool depth = Unlocked(ds, IDC_LOCK_DEPTH);
    Enable(main, IDC_DEPTH, depth);
    Enable(main, IDC_DEPTH_LABEL, depth);
    Enable(main, IDC_FILM_COUNT, MultiFilmFeeder(ds) && c->multiFilmMode);
    Enable(main, IDC_PRESCAN,
           Unlocked(ds, IDC_LOCK_PRESCAN) && ds->ScannerInfo->prescanCapability != 0);
    if (Unlocked(ds, IDC_LOCK_ROI)) {
        Enable(main, IDC_AUTO_SIZE, true);
        Enable(main, IDC_TOP_CENTER, s->autoSize == 0);
        EnableSizeControls(main, ds);
    } else {
        static const int region[] = {IDC_WIDTH,       IDC_LENGTH,     IDC_TOP,
                                     IDC_LEFT,        IDC_AUTO_SIZE,  IDC_SCAN_SIZE,
                                     IDC_TOP_CENTER,  IDC_TOP_LABEL,  IDC_LEFT_LABEL,
                                     IDC_WIDTH_LABEL, IDC_LENGTH_LABEL};
        EnableAll(main, region, sizeof region / sizeof region[0], false);
    }
    bool saveToDisk = Unlocked(ds, IDC_LOCK_SAVE_TO_DISK) && !c->multiFilmMode;
    Enable(main, IDC_SAVE_TO_DISK, saveToDisk);
    Enable(main, IDC_FILE_FORMAT, saveToDisk && c->saveToDisk);
}

void LockLineAveraging(HWND options, DSData* ds)
{
    const ImageControl* c = ds->ImageControl;
    bool group = Unlocked(ds, IDC_LOCK_LINE_AVERAGE);
    Enable(options, IDC_LINE_AVERAGING, group);
    Enable(options, IDC_AVERAGE_COUNT_LABEL, group && c->lineAveraging);
    Enable(options, IDC_AVERAGE_COUNT, group && c->lineAveraging);
    if (ds->ScannerInfo->lineAveragingCapability != 0)
        return;
    // A digitizer that cannot average offers neither averaging nor dark enhance.
    CheckDlgButton(options, IDC_LINE_AVERAGING, BST_UNCHECKED);
    SendDlgItemMessageA(options, IDC_AVERAGE_COUNT, CB_SETCURSEL, 0, 0);
    Enable(options, IDC_LINE_AVERAGING, false);
    Enable(options, IDC_AVERAGE_COUNT_LABEL, false);
    Enable(options, IDC_AVERAGE_COUNT, false);
    CheckDlgButton(options, IDC_DARK_ENHANCE, BST_UNCHECKED);
    Enable(options, IDC_DARK_ENHANCE, false);
}

// Bilevel needs both the group and a digitizer that scans 1 bit.
void LockBilevel(HWND options, DSData* ds)
{
    bool group = Unlocked(ds, IDC_LOCK_BILEVEL) && ds->ScannerInfo->minDepth == 1;
    bool on = group && ds->ImageControl->bilevelScanning;
    Enable(options, IDC_BILEVEL, group);
    Enable(options, IDC_THRESHOLD_LABEL, on);
    Enable(options, IDC_THRESHOLD, on);
    Enable(options, IDC_THRESHOLD_SCROLL, on);
}

void LockOptionsDialog(HWND options, DSData* ds)
{
    bool units = Unlocked(ds, IDC_LOCK_RESOLUTION);
    Enable(options, IDC_UNITS, units);
    Enable(options, IDC_UNITS_LABEL, units);
    bool tables = Unlocked(ds, IDC_LOCK_TABLES);
    Enable(options, IDC_TABLE_LIST, tables);
    Enable(options, IDC_TABLE_LABEL, tables);
    Enable(options, IDC_DARK_ENHANCE, Unlocked(ds, IDC_LOCK_DARK_ENHANCE));
    bool exposure = Unlocked(ds, IDC_LOCK_EXPOSURE);
    Enable(options, IDC_EXPOSURE, exposure);
    Enable(options, IDC_EXPOSURE_SCROLL, exposure);
    Enable(options, IDC_EXPOSURE_LABEL, exposure);
    bool orientation = Unlocked(ds, IDC_LOCK_ORIENTATION) && !MemoryTransferPath(ds);
    Enable(options, IDC_PORTRAIT, orientation);
    Enable(options, IDC_LANDSCAPE, orientation);
    LockLineAveraging(options, ds);
    LockBilevel(options, ds);
}

}  // namespace

void ApplyControlLocks(HWND window, DSData* ds)
{
    if (!ds || !ds->HostServices || !ds->ImageControl || !ds->ScannerInfo || !ds->ScanSettings ||
        !ds->OutputSettings)
        return;
    HWND main = static_cast<HWND>(ds->HostServices->mainDialog);
    HWND options = static_cast<HWND>(ds->HostServices->optionDialog);
    if (main && IsWindow(main))
        LockMainDialog(main, ds);
    if (options && IsWindow(options))
        LockOptionsDialog(options, ds);
    // The exposure changes through its scroll bar only.
    if (window)
        Enable(window, IDC_EXPOSURE, false);
}
