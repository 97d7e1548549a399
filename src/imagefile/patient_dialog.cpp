#include "patient_dialog.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "frame/dialog_window.h"
#include "frame/instance.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "imagefile/patient_fields.h"
#include "res/resource.h"

int noticeTimerRunning = 0;
int noticeColourIndex = 0;

namespace {

const UINT_PTR kNoticeTimer = 100;
const UINT kNoticeIntervalMs = 100;

const COLORREF kNoticeColours[8] = {
    RGB(255, 255, 100), RGB(255, 201, 87), RGB(255, 152, 75), RGB(255, 101, 62),
    RGB(255, 50, 50),   RGB(255, 101, 62), RGB(255, 152, 75), RGB(255, 201, 87)};

const char* const kNoticeLines[] = {
    "DICOM Raw Data Format", "has been chosen. You", "have to input the", "parameters in this",
    "dialog right now.", "They can not be altered", "after scan operation."};

bool IsDicom(const DSData* ds)
{
    return strcmp(ds->OutputSettings->formatName, "DICOM") == 0;
}

const char* DepthText(uint32_t bits)
{
    switch (bits) {
    case 1: return "1 Bit (Black/White)";
    case 8: return "8 Bits (256 Levels)";
    case 12: return "12 Bits (4096 Levels)";
    case 16: return "16 Bits (65536 Levels)";
    }
    return "Unknown";
}

void StopNotice(HWND dialog)
{
    if (noticeTimerRunning)
        KillTimer(dialog, kNoticeTimer);
    noticeTimerRunning = 0;
}

void ShowScannedImage(HWND dialog, DSData* ds)
{
    const ScanSettings* s = ds->ScanSettings;
    char size[48];
    snprintf(size, sizeof size, "%ldx%ld", static_cast<long>(s->imageWidth), static_cast<long>(s->imageHeight));
    SetDlgItemTextA(dialog, IDC_IMAGE_DIMENSIONS, size);
    SetDlgItemTextA(dialog, IDC_IMAGE_DEPTH_TEXT, DepthText(s->bitDepth));
    if (!ds->ImageControl->saveToDisk && !ds->ImageControl->saveToDiskActive) {
        ShowWindow(GetDlgItem(dialog, IDC_OUTPUT_FILE_NAME), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_OUTPUT_FILE_LABEL), SW_HIDE);
    } else {
        SetDlgItemTextA(dialog, IDC_OUTPUT_FILE_NAME, ds->OutputSettings->outputPath);
    }
}

void FillPatientControls(HWND dialog, OutputSettings* o)
{
    PatientField fields[PATIENT_FIELD_COUNT];
    PatientFields(o, fields);
    for (const PatientField& f : fields)
        LoadPatientField(f);
    HWND sex = GetDlgItem(dialog, IDC_PATIENT_SEX);
    static const char* const kSexes[] = {"M", "F", "O"};
    for (const char* entry : kSexes)
        SendMessageA(sex, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    if (o->patientSex[0])
        SetWindowTextA(sex, o->patientSex);
    else
        SendMessageA(sex, CB_SETCURSEL, 2, 0);
    SetDlgItemTextA(dialog, IDC_PATIENT_NAME, o->patientName);
    SetDlgItemTextA(dialog, IDC_PATIENT_DOB, o->birthDate);
    SetDlgItemTextA(dialog, IDC_PATIENT_ID, o->patientId);
    SetDlgItemTextA(dialog, IDC_STUDY_ID, o->studyId);
    SetDlgItemTextA(dialog, IDC_SERIES_NUMBER, o->seriesNumber);
    SetDlgItemTextA(dialog, IDC_IMAGE_NUMBER, o->imageNumber);
}

void OnInit(HWND dialog, DSData* ds)
{
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ds));
    ds->HostServices->patientDialog = dialog;
    OutputSettings* o = ds->OutputSettings;
    if (o->sessionImageGroup == FC_NO_GROUP)
        MemGetGroupID(&o->sessionImageGroup);
    ShowScannedImage(dialog, ds);
    if (!IsDicom(ds))
        return;
    FillPatientControls(dialog, o);
    if (ds->ScanSettings->patientDialogMode == 1) {
        SetTimer(dialog, kNoticeTimer, kNoticeIntervalMs, nullptr);
        noticeTimerRunning = 1;
    } else if (ds->ScanSettings->patientDialogMode == 2) {
        for (int id = IDC_PATIENT_NAME; id <= IDC_IMAGE_NUMBER; ++id)
            EnableWindow(GetDlgItem(dialog, id), FALSE);
    }
}

bool DateCharactersValid(const char* date)
{
    size_t length = strlen(date);
    if (length != 8 && length != 10)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (!(date[i] >= '0' && date[i] <= '9') && date[i] != '.')
            return false;
    return true;
}

struct PatientTexts {
    char name[64], birthDate[32], sex[16], id[64], studyId[64], series[64], image[64];
};

void ReadPatientTexts(HWND dialog, PatientTexts* t)
{
    GetDlgItemTextA(dialog, IDC_PATIENT_NAME, t->name, sizeof t->name);
    GetDlgItemTextA(dialog, IDC_PATIENT_DOB, t->birthDate, sizeof t->birthDate);
    GetDlgItemTextA(dialog, IDC_PATIENT_SEX, t->sex, sizeof t->sex);
    GetDlgItemTextA(dialog, IDC_PATIENT_ID, t->id, sizeof t->id);
    GetDlgItemTextA(dialog, IDC_STUDY_ID, t->studyId, sizeof t->studyId);
    GetDlgItemTextA(dialog, IDC_SERIES_NUMBER, t->series, sizeof t->series);
    GetDlgItemTextA(dialog, IDC_IMAGE_NUMBER, t->image, sizeof t->image);
}

// The first complaint about the texts, or null when they are complete.
const char* FirstComplaint(const PatientTexts& t)
{
    if (!DateCharactersValid(t.birthDate))
        return "Please input a valid Patient DOB (YYYYMMDD)";
    if (!t.name[0])
        return "Please input patient name.";
    if (!t.id[0])
        return "Please input Patient ID.";
    if (!t.studyId[0])
        return "Please input Study ID.";
    if (!t.series[0])
        return "Please input Series Number.";
    if (!t.image[0])
        return "Please input Image Number.";
    return nullptr;
}

// False (the dialog stays open) when a text is missing or wrong.
bool TakePatientTexts(HWND dialog, OutputSettings* o)
{
    PatientTexts t;
    ReadPatientTexts(dialog, &t);
    if (const char* complaint = FirstComplaint(t)) {
        MessageBoxA(dialog, complaint, "MESSAGE", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CopyText(o->patientName, sizeof o->patientName, t.name);
    CopyText(o->birthDate, sizeof o->birthDate, t.birthDate);
    CopyText(o->patientSex, sizeof o->patientSex, t.sex);
    CopyText(o->patientId, sizeof o->patientId, t.id);
    CopyText(o->studyId, sizeof o->studyId, t.studyId);
    CopyText(o->seriesNumber, sizeof o->seriesNumber, t.series);
    CopyText(o->imageNumber, sizeof o->imageNumber, t.image);
    return true;
}

void EndPatientDialog(HWND dialog, DSData* ds, INT_PTR result)
{
    StopNotice(dialog);
    ds->HostServices->patientDialog = nullptr;
    EndDialog(dialog, result);
}

void OnConfirm(HWND dialog, DSData* ds)
{
    StopNotice(dialog);
    const OutputSettings* o = ds->OutputSettings;
    bool entered = o->transferMode == 2 || ds->ImageControl->saveToDiskActive;
    if (entered && IsDicom(ds) && !TakePatientTexts(dialog, ds->OutputSettings))
        return;
    StorePatientFields(ds->OutputSettings);
    NotifyHostValue(PARAM_PATIENT_DATA, ds, ds, 0);
    ds->ScanSettings->imageScanned = 0;
    EndPatientDialog(dialog, ds, 1);
}

void OnCancel(HWND dialog, DSData* ds)
{
    if (!ds->ScanSettings->patientInfoRequested &&
        MessageBoxA(dialog, "Image data is not saved yet.\nDo you want to throw it away anyway?", "WARNING",
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    EndPatientDialog(dialog, ds, 0);
}

void OnCommand(HWND dialog, WORD id)
{
    DSData* ds = DialogSession(dialog);
    if (!ds)
        return;
    if (id == IDOK)
        OnConfirm(dialog, ds);
    else if (id == IDCANCEL)
        OnCancel(dialog, ds);
}

void OnTimer(HWND dialog, UINT_PTR id)
{
    if (id != kNoticeTimer)
        return;
    noticeColourIndex = (noticeColourIndex + 1) % 8;
    RECT client;
    GetClientRect(dialog, &client);
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kNoticeColours[noticeColourIndex]);
    int x = client.left + static_cast<int>(0.55 * (client.right - client.left));
    int y = 35;
    for (const char* line : kNoticeLines) {
        TextOutA(dc, x, y, line, static_cast<int>(strlen(line)));
        y += 14;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(dialog, dc);
}

RECT PreviewPanel(const RECT& client)
{
    int w = client.right - client.left, h = client.bottom - client.top;
    RECT panel = {client.left + static_cast<int>(0.52 * w), client.top + static_cast<int>(0.04 * h),
                  client.left + static_cast<int>(0.95 * w), client.top + static_cast<int>(0.84 * h)};
    return panel;
}

// The preview fills the panel in one direction and is centred in the other.
void DrawPreview(HDC dc, const RECT& panel, const ScanSettings* s)
{
    const BITMAPINFO* info = static_cast<const BITMAPINFO*>(s->scanPreviewInfo);
    if (!info || !s->scanPreviewBits)
        return;
    long bw = info->bmiHeader.biWidth;
    long bh = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
    long pw = panel.right - panel.left, ph = panel.bottom - panel.top;
    if (bw <= 0 || bh <= 0 || pw <= 0 || ph <= 0)
        return;
    long w = pw, h = static_cast<long>(static_cast<long long>(bh) * pw / bw);
    if (h > ph) {
        h = ph;
        w = static_cast<long>(static_cast<long long>(bw) * ph / bh);
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, panel.left + (pw - w) / 2, panel.top + (ph - h) / 2, w, h, 0, 0, bw, bh,
                  s->scanPreviewBits, info, DIB_RGB_COLORS, SRCCOPY);
}

void OnPaint(HWND dialog, DSData* ds)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    HPALETTE palette = static_cast<HPALETTE>(ds ? ds->HostServices->palette : nullptr);
    HPALETTE old = nullptr;
    if (palette) {
        old = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    RECT client;
    GetClientRect(dialog, &client);
    RECT panel = PreviewPanel(client);
    HBRUSH fill = CreateSolidBrush(RGB(150, 180, 210));
    FillRect(dc, &panel, fill);
    DeleteObject(fill);
    if (ds && !ds->ScanSettings->patientInfoRequested)
        DrawPreview(dc, panel, ds->ScanSettings);
    if (old)
        SelectPalette(dc, old, FALSE);
    EndPaint(dialog, &ps);
}

void OnPaletteChanged(HWND dialog, HWND changer)
{
    if (changer != dialog)
        InvalidateRect(dialog, nullptr, FALSE);
}

INT_PTR CALLBACK PatientDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, reinterpret_cast<DSData*>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(dialog, wParam);
        return TRUE;
    case WM_PAINT:
        OnPaint(dialog, DialogSession(dialog));
        return TRUE;
    case WM_PALETTECHANGED:
        OnPaletteChanged(dialog, reinterpret_cast<HWND>(wParam));
        return TRUE;
    case WM_QUERYNEWPALETTE:
        InvalidateRect(dialog, nullptr, FALSE);
        return TRUE;
    case WM_CLOSE:
        if (DSData* ds = DialogSession(dialog))
            OnConfirm(dialog, ds);
        return TRUE;
    case WM_DESTROY:
        StopNotice(dialog);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int32_t OpenPatDataDlg(void* instance, void* owner, DSData* ds)
{
    if (!OutputRecordsPresent(ds))
        return 0;
    if (ds->ImageControl->multiFilmMode)
        return 1;
    const ScanSettings* s = ds->ScanSettings;
    if (!s->imageScanned && !s->patientInfoRequested) {
        MessageBoxA(static_cast<HWND>(owner), "Please scan an image.", "MESSAGE", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    if (!IsDicom(ds))
        return 1;
    HINSTANCE module = instance ? static_cast<HINSTANCE>(instance) : FilmCoreInstance();
    INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_PATIENT_INFO), static_cast<HWND>(owner),
                                     PatientDialogProc, reinterpret_cast<LPARAM>(ds));
    ds->HostServices->patientDialog = nullptr;
    return result == 1 ? 1 : 0;
}
