#include "main_dialog.h"

#include <string.h>

#include "digitizer/toolkit.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/auto_size.h"
#include "scanner/digitizer_wait.h"
#include "scanner/param_sync.h"
#include "scanner/prescan.h"
#include "scanner/scan_lists.h"
#include "ui/control_locks.h"

namespace {

const char kSaveSection[] = "SAVE_IMG_TO_DISK";
const char kStagingNote[] =
    "Note:  Saving the image to disk requires unique staging.\r\n"
    "Hold the film in front of you as you would view it on a\r\n"
    "light box.  In batch mode, the first film scanned should\r\n"
    "be at the back of the stack.\r\n\r\n"
    "Please consult the User Guide for more details.\r\n";
const char kAskAgain[] = "\r\nDo you want to see this message in the future?\r\n";
const char kPrescanNote[] =
    "Note:  Prescan is not available in multi-film mode.\r\n"
    "The TWAIN will now be set to single sheet mode.\r\n"
    "To return to multi-film mode, please check multi-film mode.\r\n\r\n"
    "Do you want to see this message in the future?\r\n";
const float kMultiFilmLength = 17.0f;

void Check(HWND dialog, int id, uint32_t on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void NotifyMultiFilmMode(DSData* ds)
{
    NotifyHostU32(PARAM_MULTI_FILM, ds, ds->ImageControl->multiFilmMode);
}

// 0 when the operator wants no more of this note.
bool AskToShowAgain(HWND dialog, const char* text)
{
    return MessageBoxA(dialog, text, "Warning", MB_YESNO | MB_ICONINFORMATION) != IDNO;
}

bool MultiFilmFeeder(const ScannerInfo* info)
{
    return info->feederStatus == 16 && info->feederCapacity > 1;
}

void MultiFilmOn(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    ScanArea* area = ds->ScanArea;
    c->previewActive = 0;
    area->left = 0.0f;
    area->right = static_cast<float>(ds->ScannerInfo->maxWidth);
    area->top = 0.0f;
    area->bottom = kMultiFilmLength;
    SetAutoSize(dialog, ds, 0);
    c->autoEject = 1;
    Check(dialog, IDC_MULTI_FILM, 1);
    if (!c->saveToDisk)
        OnSaveToDisk(dialog, ds);
    Toolkit()->setFDStageMode(2);
}

void MultiFilmOff(HWND dialog, DSData* ds)
{
    Check(dialog, IDC_MULTI_FILM, 0);
    SetFilmCount(dialog, ds, 1);
    Toolkit()->setFDStageMode(1);
}

}  // namespace

void ShowFirstStagingNote(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    if (!c->flipWarningFirstTime)
        return;
    MessageBoxA(dialog, kStagingNote, "Warning", MB_OK | MB_ICONINFORMATION);
    c->flipWarningFirstTime = 0;
    WriteSetting(ds, kSaveSection, "FlipWarningFirstTime", "OFF");
}

void OnSaveToDisk(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    OutputSettings* out = ds->OutputSettings;
    c->saveToDisk = c->saveToDisk ? 0 : 1;
    Check(dialog, IDC_SAVE_TO_DISK, c->saveToDisk);
    EnableWindow(GetDlgItem(dialog, IDC_FILE_FORMAT), c->saveToDisk ? TRUE : FALSE);
    WriteSetting(ds, kSaveSection, "Set", c->saveToDisk ? "ON" : "OFF");
    if (!c->saveToDisk && out->transferMode != 2) {
        // The handler copies into formatName: never hand it the field itself.
        char name[sizeof out->formatName];
        CopyText(name, sizeof name, out->formatName);
        SyncFormatName(ds, name);
    }
    if (c->saveToDisk && c->flipWarning) {
        char text[sizeof kStagingNote + sizeof kAskAgain];
        CopyText(text, sizeof text, kStagingNote);
        CopyText(text + strlen(text), sizeof text - strlen(text), kAskAgain);
        if (!AskToShowAgain(dialog, text)) {
            c->flipWarning = 0;
            WriteSetting(ds, kSaveSection, "FlipWarning", "OFF");
        }
    }
}

void OnMultiFilmMode(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    if (!MultiFilmFeeder(ds->ScannerInfo)) {
        MessageBoxA(dialog, "NQT Norvanta Not Detected...", "ERROR", MB_OK | MB_ICONEXCLAMATION);
        c->multiFilmMode = 0;
        Check(dialog, IDC_MULTI_FILM, 0);
        ApplyControlLocks(dialog, ds);
        return;
    }
    c->multiFilmMode = c->multiFilmMode ? 0 : 1;
    NotifyMultiFilmMode(ds);
    if (c->multiFilmMode)
        MultiFilmOn(dialog, ds);
    else
        MultiFilmOff(dialog, ds);
    ApplyControlLocks(dialog, ds);
}

void OnPreScan(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    // Declining the note stops the note; the preview itself stays.
    if (c->prescanNote && !AskToShowAgain(dialog, kPrescanNote)) {
        c->prescanNote = 0;
        WriteSetting(ds, "PRESCAN_INFO", "PrescanInfo", "OFF");
    }
    if (!WaitForDigitizerReady(dialog))
        return;
    c->multiFilmMode = 0;
    Check(dialog, IDC_MULTI_FILM, 0);
    NotifyMultiFilmMode(ds);
    SetFilmCount(dialog, ds, 1);
    ApplyControlLocks(dialog, ds);
    RunPrescanCommand(dialog, ds);
}
