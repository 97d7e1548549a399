#include "more_dicom_dialog.h"

#include <string.h>

#include "frame/dialog_window.h"
#include "frame/instance.h"
#include "frame/session.h"
#include "imagefile/dicom_table.h"
#include "res/resource.h"

namespace {

struct DicomEdit {
    int id;
    uint32_t tag;
};

// In the order the elements are stored.
const DicomEdit kEdits[] = {
    {IDC_STUDY_INSTANCE_UID, DCM_TAG(0x0020, 0x000D)},  {IDC_SERIES_INSTANCE_UID, DCM_TAG(0x0020, 0x000E)},
    {IDC_SOP_INSTANCE_UID, DCM_TAG(0x0008, 0x0018)},    {IDC_STUDY_DATE, DCM_TAG(0x0008, 0x0020)},
    {IDC_STUDY_TIME, DCM_TAG(0x0008, 0x0030)},          {IDC_ACCESSION_NUMBER, DCM_TAG(0x0008, 0x0050)},
    {IDC_MODALITY, DCM_TAG(0x0008, 0x0060)},            {IDC_REFERRING_PHYSICIAN, DCM_TAG(0x0008, 0x0090)},
    {IDC_DEVICE_MANUFACTURER, DCM_TAG(0x0018, 0x1016)}, {IDC_DIGITAL_FORMAT, DCM_TAG(0x0018, 0x1023)}};

const size_t kUidEdits = 3;
const int kTextRoom = 128;

void ShowElement(HWND dialog, const DicomEdit& edit)
{
    char value[kTextRoom];
    uint32_t size = sizeof value - 1;
    if (!DcmGetElemValue(edit.tag, value, &size))
        value[0] = '\0';
    else
        value[size < sizeof value ? size : sizeof value - 1] = '\0';
    SetDlgItemTextA(dialog, edit.id, value);
}

void ShowElements(HWND dialog, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        ShowElement(dialog, kEdits[i]);
}

void OnGenerateUids(HWND dialog)
{
    DcmGenInstUIDs(1);
    ShowElements(dialog, kUidEdits);
}

// No field is validated; a text too long for its element is refused by the
// table and the element keeps its value.
void OnConfirm(HWND dialog, DSData* ds)
{
    for (const DicomEdit& edit : kEdits) {
        char text[kTextRoom] = "";
        GetDlgItemTextA(dialog, edit.id, text, sizeof text);
        DcmSetElemValue(edit.tag, text, static_cast<int32_t>(strlen(text)));
    }
    if (ds)
        NotifyHostValue(PARAM_PATIENT_DATA, ds, ds, 0);
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, WORD id)
{
    switch (id) {
    case IDC_GENERATE_UIDS:
        OnGenerateUids(dialog);
        break;
    case IDOK:
        OnConfirm(dialog, DialogSession(dialog));
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    }
}

INT_PTR CALLBACK MoreDicomDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        ShowElements(dialog, sizeof kEdits / sizeof kEdits[0]);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        OnConfirm(dialog, DialogSession(dialog));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int OpenMoreDicomDlg(HINSTANCE instance, HWND owner, DSData* ds)
{
    HINSTANCE module = instance ? instance : FilmCoreInstance();
    INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_MORE_DICOM), owner, MoreDicomDialogProc,
                                     reinterpret_cast<LPARAM>(ds));
    return result == 1 ? 1 : 0;
}
