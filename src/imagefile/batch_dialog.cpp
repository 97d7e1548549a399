#include "batch_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <stdio.h>
#include <string.h>

#include "frame/dialog_window.h"
#include "frame/instance.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "imagefile/batch_names.h"
#include "imagefile/output_prepare.h"
#include "res/resource.h"

int offerTiff = 0;

namespace {

const UINT_PTR kFormatTimer = 98;
const UINT kFormatDelayMs = 333;
const size_t kNameSlot = sizeof(((OutputSettings*)nullptr)->outputPath);
// Edits are read into room well beyond a slot, so that an overlong entry
// is refused rather than cut short unseen.
const int kEditRoom = 1024;

int FilmsInBatch(const DSData* ds)
{
    int count = ds->ScanSettings->filmCount;
    return count > BATCH_MAX ? BATCH_MAX : count;
}

int NameEdit(int film)
{
    return IDC_BATCH_NAME_FIRST + film - 1;
}

char* BatchSlot(DSData* ds, int film)
{
    return ds->OutputSettings->batchNames[film - 1];
}

void ShowBadFormat(HWND dialog)
{
    MessageBoxA(dialog, "Bad file format type", "ERROR", MB_OK | MB_ICONSTOP);
}

void AddFormat(HWND list, const char* name, const char* current)
{
    LRESULT index = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (EqualNoCase(current, name))
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// DICOM is never offered here; it comes from the host.
void FillFormatList(HWND dialog, DSData* ds)
{
    const OutputSettings* o = ds->OutputSettings;
    HWND list = GetDlgItem(dialog, IDC_FILE_FORMAT_LIST);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    AddFormat(list, "Bitmap", o->formatName);
    if (o->transferMode == 2 || ds->ImageControl->saveToDiskActive || offerTiff)
        AddFormat(list, "TIFF", o->formatName);
}

// The list's choice becomes the format; with nothing chosen (the host's
// format is one the list does not offer, such as DICOM) the format stays.
void TakeListFormat(HWND dialog, DSData* ds)
{
    OutputSettings* o = ds->OutputSettings;
    HWND list = GetDlgItem(dialog, IDC_FILE_FORMAT_LIST);
    LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return;
    char text[sizeof o->formatName] = "";
    if (SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < (LRESULT)sizeof text)
        SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    CopyText(o->formatName, sizeof o->formatName, text);
}

void SyncFormat(DSData* ds)
{
    char name[sizeof ds->OutputSettings->formatName];
    CopyText(name, sizeof name, ds->OutputSettings->formatName);
    SyncScannerParams(PARAM_FORMAT_NAME, name, sizeof name, ds);
}

void ReadEdit(HWND dialog, int id, char* text, int size)
{
    text[0] = '\0';
    GetDlgItemTextA(dialog, id, text, size);
}

// A name that does not fit its slot leaves the slot empty rather than
// holding a shortened name of some other file.
void StoreName(char* slot, const char* name)
{
    if (strlen(name) < kNameSlot)
        CopyText(slot, kNameSlot, name);
    else
        slot[0] = '\0';
}

void ApplyFormat(HWND dialog, DSData* ds)
{
    TakeListFormat(dialog, ds);
    SyncFormat(ds);
    const char* extension = FormatExtension(ds->OutputSettings->formatName);
    if (!extension) {
        ShowBadFormat(dialog);
        return;
    }
    for (int film = 1; film <= FilmsInBatch(ds); ++film) {
        char typed[kNameSlot + 1];
        char name[kNameSlot + 16];
        ReadEdit(dialog, NameEdit(film), typed, sizeof typed);
        ComposeBatchName(name, sizeof name, nullptr, typed, extension);
        SetDlgItemTextA(dialog, NameEdit(film), name);
        StoreName(BatchSlot(ds, film), name);
    }
}

void OnInit(HWND dialog, DSData* ds)
{
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ds));
    CentreOnDesktop(dialog);
    ds->HostServices->batchDialog = dialog;
    FillFormatList(dialog, ds);
    SetDlgItemTextA(dialog, IDC_SAVE_PATH, ds->OutputSettings->savePath);
    SetDlgItemTextA(dialog, NameEdit(1), ds->OutputSettings->outputPath);
    int films = FilmsInBatch(ds);
    for (int film = 1; film <= films; ++film) {
        char name[32];
        snprintf(name, sizeof name, "Untitled%d", film);
        SetDlgItemTextA(dialog, NameEdit(film), name);
        CopyText(BatchSlot(ds, film), kNameSlot, name);
    }
    // The names beyond the batch are never read: they are not offered.
    for (int film = (films > 0 ? films : 1) + 1; film <= BATCH_MAX; ++film)
        EnableWindow(GetDlgItem(dialog, NameEdit(film)), FALSE);
    SetWindowTextA(dialog, "File Naming");
    ApplyFormat(dialog, ds);
}

void EndBatchDialog(HWND dialog, DSData* ds, INT_PTR result)
{
    KillTimer(dialog, kFormatTimer);
    ds->HostServices->batchDialog = nullptr;
    EndDialog(dialog, result);
}

void OnBrowse(HWND dialog, DSData* ds)
{
    char file[MAX_PATH] = "";
    GetDlgItemTextA(dialog, NameEdit(1), file, 257);
    const char* format = ds->OutputSettings->formatName;
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "TIFF (*.tif)\0*.tif\0All (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "Output Image File Name";
    ofn.lpstrDefExt = EqualNoCase(format, "TIFF") ? "TIF" : EqualNoCase(format, "DICOM") ? "DCM" : "BMP";
    // The folder is taken from the chosen name; the host's current folder
    // is not moved under it.
    ofn.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (GetSaveFileNameA(&ofn) && ofn.nFileOffset > 0 && ofn.nFileOffset < sizeof file) {
        file[ofn.nFileOffset - 1] = '\0';
        SetDlgItemTextA(dialog, IDC_SAVE_PATH, file);
    }
    char folder[kNameSlot];
    ReadEdit(dialog, IDC_SAVE_PATH, folder, sizeof folder);
    CopyText(ds->OutputSettings->savePath, sizeof ds->OutputSettings->savePath, folder);
    SetWindowTextA(dialog, "File Naming");
}

void OnAutoNumber(HWND dialog, DSData* ds)
{
    char base[kNameSlot + 1];
    ReadEdit(dialog, NameEdit(1), base, sizeof base);
    char* dot = strchr(base, '.');
    if (dot)
        *dot = '\0';
    for (int film = 1; film <= FilmsInBatch(ds); ++film) {
        char name[kNameSlot + 16];
        snprintf(name, sizeof name, "%s%d", base, film);
        SetDlgItemTextA(dialog, NameEdit(film), name);
        StoreName(BatchSlot(ds, film), name);
    }
    ApplyFormat(dialog, ds);
}

void TooLong(HWND dialog)
{
    MessageBoxA(dialog, "Image save path is too long.  Please shorten it and try again.", "Error",
                MB_OK | MB_ICONSTOP);
}

// Every name is built and checked before any edit is rewritten, so a
// refusal leaves the typed names as they were and a second OK does not
// put the folder in front of a name twice. False keeps the dialog open.
bool MakeBatchNames(HWND dialog, DSData* ds, const char* folder, const char* extension)
{
    int films = FilmsInBatch(ds);
    for (int film = 1; film <= films; ++film) {
        char typed[kEditRoom];
        char full[2 * kEditRoom + 16];
        ReadEdit(dialog, NameEdit(film), typed, sizeof typed);
        ComposeBatchName(full, sizeof full, folder, typed, extension);
        if (CheckOutputFile(dialog, full) != 0)
            return false;
        CopyText(BatchSlot(ds, film), kNameSlot, full);
    }
    for (int film = 1; film <= films; ++film)
        SetDlgItemTextA(dialog, NameEdit(film), BatchSlot(ds, film));
    return true;
}

void OnConfirm(HWND dialog, DSData* ds)
{
    OutputSettings* o = ds->OutputSettings;
    char folder[kEditRoom];
    ReadEdit(dialog, IDC_SAVE_PATH, folder, sizeof folder);
    if (strlen(folder) >= sizeof o->savePath) {
        TooLong(dialog);
        return;
    }
    CopyText(o->savePath, sizeof o->savePath, folder);
    WriteSetting(ds, "SAVE_IMG_TO_DISK", "SavePath", o->savePath);
    char first[kNameSlot];
    ReadEdit(dialog, NameEdit(1), first, sizeof first);
    CopyText(o->outputPath, sizeof o->outputPath, first);
    TakeListFormat(dialog, ds);
    const char* extension = FormatExtension(o->formatName);
    if (!extension)
        ShowBadFormat(dialog);
    else if (!MakeBatchNames(dialog, ds, o->savePath, extension))
        return;
    CopyText(o->outputPath, sizeof o->outputPath, o->batchNames[0]);
    SyncFormat(ds);
    WriteSetting(ds, "SAVE_IMG_TO_DISK", "FileName", o->outputPath);
    EndBatchDialog(dialog, ds, 1);
}

void OnFormatPicked(HWND dialog, WORD notification)
{
    if (notification == CBN_SELCHANGE)
        SetTimer(dialog, kFormatTimer, kFormatDelayMs, nullptr);
}

void OnCommand(HWND dialog, WORD id, WORD notification)
{
    DSData* ds = DialogSession(dialog);
    if (!ds)
        return;
    switch (id) {
    case IDC_FILE_FORMAT_LIST:
        OnFormatPicked(dialog, notification);
        break;
    case IDC_BROWSE:
        OnBrowse(dialog, ds);
        break;
    case IDC_AUTO_NUMBER:
        OnAutoNumber(dialog, ds);
        break;
    case IDOK:
        OnConfirm(dialog, ds);
        break;
    case IDCANCEL:
        EndBatchDialog(dialog, ds, 0);
        break;
    case IDM_REFRESH_FORMAT_LIST:
        FillFormatList(dialog, ds);
        break;
    }
}

void OnTimer(HWND dialog, UINT_PTR id)
{
    if (id != kFormatTimer)
        return;
    KillTimer(dialog, kFormatTimer);
    if (DSData* ds = DialogSession(dialog))
        ApplyFormat(dialog, ds);
}

INT_PTR CALLBACK BatchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, reinterpret_cast<DSData*>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(dialog, wParam);
        return TRUE;
    case WM_CLOSE:
        if (DSData* ds = DialogSession(dialog))
            OnConfirm(dialog, ds);
        return TRUE;
    }
    return FALSE;
}

int32_t RunBatchDialog(void* instance, void* owner, DSData* ds)
{
    if (!OutputRecordsPresent(ds))
        return 0;
    HINSTANCE module = instance ? static_cast<HINSTANCE>(instance) : FilmCoreInstance();
    INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_BATCH_OUTPUT),
                                     static_cast<HWND>(owner), BatchDialogProc,
                                     reinterpret_cast<LPARAM>(ds));
    ds->HostServices->batchDialog = nullptr;
    return result == 1 ? 1 : 0;
}

}  // namespace

int32_t OpenOutFileDlg(void* instance, void* owner, DSData* ds)
{
    return RunBatchDialog(instance, owner, ds);
}

int32_t ForceOpenOutFileDlg(void* instance, void* owner, DSData* ds)
{
    offerTiff = 1;
    int32_t result = RunBatchDialog(instance, owner, ds);
    offerTiff = 0;
    return result;
}
