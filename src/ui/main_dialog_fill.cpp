#include "main_dialog.h"

#include <stdio.h>

#include "digitizer/toolkit.h"
#include "frame/session.h"
#include "frame/status_line.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/scan_lists.h"
#include "scanner/scan_params.h"
#include "ui/size_units.h"

namespace {

const char kModuleVersion[] = "5.2.1";
const uint16_t kFeederStages = 13;
const uint16_t kFeederAttached = 16;

void ShowStoredSize(HWND dialog, const ScanSettings* s)
{
    ShowSizeField(dialog, s, s->scanPixels, IDC_WIDTH);
    ShowSizeField(dialog, s, s->scanLines, IDC_LENGTH);
    if (s->topCenter == 0) {
        ShowSizeField(dialog, s, s->offsetY, IDC_TOP);
        ShowSizeField(dialog, s, s->offsetX, IDC_LEFT);
    }
}

// The title says whether the feeder takes a batch; the feeder's stage
// mode follows, except for a feeder that does not stage at all.
void ShowFeederTitle(HWND dialog, DSData* ds)
{
    const ScannerInfo* info = ds->ScannerInfo;
    ImageControl* c = ds->ImageControl;
    const bool batches = info->feederSupport == kFeederStages &&
                         info->feederStatus == kFeederAttached && info->feederCapacity > 1;
    char title[96];
    snprintf(title, sizeof title, "KALVO TWAIN version %-5.3s%s", kModuleVersion,
             batches ? "  -  Multi Film Support" : "  -  Single Film");
    SetWindowTextA(dialog, title);
    if (info->feederSupport == kFeederStages) {
        Toolkit()->setFDStageMode(batches && c->multiFilmMode ? 2 : 1);
    } else {
        c->multiFilmMode = 0;
        CheckDlgButton(dialog, IDC_MULTI_FILM, BST_UNCHECKED);
    }
}

void ShowOutputChoices(HWND dialog, const DSData* ds)
{
    const ImageControl* c = ds->ImageControl;
    CheckDlgButton(dialog, IDC_MULTI_FILM, c->multiFilmMode ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_MULTI_FILM), ds->ScannerInfo->feederCapacity != 1);
    CheckDlgButton(dialog, IDC_SAVE_TO_DISK, c->saveToDisk ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_FILE_FORMAT), c->saveToDisk ? TRUE : FALSE);
}

// A digitizer that cannot average lines cannot enhance the dark either.
void DropAveraging(DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    s->darkEnhance = 0;
    c->lineAveraging = 0;
    c->averageCount = 1;
    NotifyHostU32(PARAM_DARK_ENHANCE, ds, s->darkEnhance);
    NotifyHostPair(PARAM_LINE_AVERAGING, ds, c->lineAveraging, c->averageCount);
}

}  // namespace

void InitScanDlgParams(void* window, DSData* ds)
{
    HWND dialog = static_cast<HWND>(window);
    if (!dialog || !ds || !ds->ScannerInfo || !ds->ScanSettings || !ds->ImageControl)
        return;
    ScanSettings* s = ds->ScanSettings;
    ShowStatus(dialog, "Initializing the Scanner...");
    FillResolutionList(dialog, ds);
    FillFilmCountList(dialog, ds);
    s->currentFilm = 1;
    FillDepthList(dialog, ds, 0);
    SetFilmCount(dialog, ds, 0);
    if (s->resolution < 60)
        s->resolution = 60;
    if (!ds->ImageControl->multiFilmMode)
        s->filmCount = 1;
    else if (s->filmCount > BATCH_MAX)
        s->filmCount = BATCH_MAX;
    ShowStoredSize(dialog, s);
    SetScanParams(dialog, ds);
    ShowFeederTitle(dialog, ds);
    ShowStatus(dialog, "Ready");
}

void FillDialogFromSession(DSData* ds)
{
    HWND dialog = static_cast<HWND>(ds->HostServices->mainDialog);
    const ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    CheckDlgButton(dialog, IDC_AUTO_SIZE, s->autoSize ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_TOP_CENTER, s->topCenter ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_TOP_CENTER), s->autoSize ? FALSE : TRUE);
    ShowSizeInUnits(dialog, ds);
    if (c->passwordProtection == 0)
        c->guiControlMask = 0xFFFFFFFFu;
    char flag[64];
    ReadSetting(ds, "MemTransFlag", "Set", flag, sizeof flag, "ON");
    c->memTransferEnabled = EqualNoCase(flag, "ON") ? 1 : 0;
    if (info->feederStatus != kFeederAttached || info->feederCapacity == 1) {
        c->multiFilmMode = 0;
        NotifyHostU32(PARAM_MULTI_FILM, ds, 0);
    }
    ShowOutputChoices(dialog, ds);
    if (info->lineAveragingCapability == 0)
        DropAveraging(ds);
}
