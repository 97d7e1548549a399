#include "scan_size_dialog.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "digitizer/units.h"
#include "frame/dialog_window.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/scan_params.h"
#include "ui/film_sizes.h"

static const char kSection[] = "IMAGE_SIZESET";
static const char kDefaultSet[] = "14X51,14X17,14X14,11X14,10X12,9.5X9.5,8X10,7X17,6X12,5X12,5X7";
static const char kNarrowSet[] = "10X12,9.5X9.5,8X10,7X17,6X12,5X12,5X7";
static const double kCmPerInch = 2.54;
static const double kInchPerCm = 0.39370078;

// Every slot of a full table joined fits; the 512 bytes the list was once
// read into would cut a long list short and corrupt its last size.
enum { SET_TEXT = FILM_SIZE_SLOTS * FILM_SIZE_TEXT, CURRENT_TEXT = 512, ITEM_TEXT = 64 };

static HWND List(HWND dialog)
{
    return GetDlgItem(dialog, IDC_FILM_SIZE_LIST);
}

static void Refuse(HWND dialog, const char* text, const char* caption, UINT icon)
{
    MessageBoxA(dialog, text, caption, MB_OK | icon);
}

// The visible text of a slot: inches as stored, or centimetres.
static void ItemTextOf(const char* slotText, uint32_t units, char* text, size_t size)
{
    if (units != UNITS_CENTIMETRES) {
        CopyText(text, size, slotText);
        return;
    }
    double width, length;
    ParseFilmSize(slotText, &width, &length);
    snprintf(text, size, "%0.1fX%0.1f", width * kCmPerInch, length * kCmPerInch);
}

static void AddItem(HWND dialog, const char* text, int slot)
{
    LRESULT item = SendMessageA(List(dialog), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0)
        SendMessageA(List(dialog), LB_SETITEMDATA, static_cast<WPARAM>(item), slot);
}

static void FillList(HWND dialog, DSData* ds)
{
    const ScannerInfo* scanner = ds->ScannerInfo;
    char set[SET_TEXT], current[CURRENT_TEXT];
    ReadSetting(ds, kSection, "Set", set, sizeof set,
                scanner->maxWidth == 10 ? kNarrowSet : kDefaultSet);
    ReadSetting(ds, kSection, "Current", current, sizeof current, "14X17");
    LoadFilmSizeSlots(filmSizeSlots, set);

    SendMessageA(List(dialog), LB_RESETCONTENT, 0, 0);
    for (int slot = 0; slot < FILM_SIZE_SLOTS && filmSizeSlots[slot].used; ++slot) {
        const char* slotText = filmSizeSlots[slot].text;
        if (ds->ScanSettings->maxLength != 51 && EqualNoCase(slotText, "14X51"))
            continue;
        char text[ITEM_TEXT];
        ItemTextOf(slotText, ds->ScanSettings->units, text, sizeof text);
        AddItem(dialog, text, slot);
        if (EqualNoCase(slotText, current)) {
            LRESULT count = SendMessageA(List(dialog), LB_GETCOUNT, 0, 0);
            SendMessageA(List(dialog), LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
            SetDlgItemTextA(dialog, IDC_FILM_SIZE_EDIT, text);
        }
    }
}

// The size edit as a slot text in inches, or 0 after telling the operator
// why the size is refused.
static int ReadSizeEdit(HWND dialog, DSData* ds, char* slotText, size_t size)
{
    char typed[64] = {0};
    GetDlgItemTextA(dialog, IDC_FILM_SIZE_EDIT, typed, sizeof typed);
    double width, length;
    ParseFilmSize(typed, &width, &length);
    const int cm = ds->ScanSettings->units == UNITS_CENTIMETRES;
    const double scale = cm ? kInchPerCm : 1.0;
    // A size that is no positive number, or whose text would not fit a
    // slot, is as illegal as a zero one.
    if (!(width > 0.0) || !(length > 0.0) || !isfinite(width) || !isfinite(length) ||
        !FormatFilmSize(width * scale, length * scale, slotText, size)) {
        Refuse(dialog, "Bad film size. Please enter a legal size.", "ERROR", MB_ICONEXCLAMATION);
        return 0;
    }
    const double widest = ds->ScannerInfo->maxWidth * (cm ? kCmPerInch : 1.0);
    if (width > widest) {
        Refuse(dialog, "Bad film width. Please enter a legal size.", "ERROR", MB_ICONEXCLAMATION);
        return 0;
    }
    return 1;
}

// The selected item and its slot, or -1 after telling the operator.
static int SelectedSlot(HWND dialog, LRESULT* item)
{
    *item = SendMessageA(List(dialog), LB_GETCURSEL, 0, 0);
    if (*item == LB_ERR) {
        Refuse(dialog, "Please select a scan size.", "Scan Size", MB_ICONEXCLAMATION);
        return -1;
    }
    LRESULT slot = SendMessageA(List(dialog), LB_GETITEMDATA, static_cast<WPARAM>(*item), 0);
    if (slot < 0 || slot >= FILM_SIZE_SLOTS || !filmSizeSlots[slot].used) {
        Refuse(dialog, "Internal data error", "ERROR", MB_ICONSTOP);
        return -1;
    }
    return static_cast<int>(slot);
}

static void EditText(HWND dialog, char* text, size_t size)
{
    text[0] = '\0';
    GetDlgItemTextA(dialog, IDC_FILM_SIZE_EDIT, text, static_cast<int>(size));
}

static void OnAdd(HWND dialog, DSData* ds)
{
    int slot = FreeFilmSizeSlot(filmSizeSlots);
    if (slot < 0) {
        Refuse(dialog, "Too many items in the list", "ERROR", MB_ICONEXCLAMATION);
        return;
    }
    char slotText[FILM_SIZE_TEXT];
    if (!ReadSizeEdit(dialog, ds, slotText, sizeof slotText))
        return;
    CopyText(filmSizeSlots[slot].text, sizeof filmSizeSlots[slot].text, slotText);
    filmSizeSlots[slot].used = 1;
    char typed[ITEM_TEXT];
    EditText(dialog, typed, sizeof typed);
    AddItem(dialog, typed, slot);
}

static void OnModify(HWND dialog, DSData* ds)
{
    LRESULT item;
    int slot = SelectedSlot(dialog, &item);
    char slotText[FILM_SIZE_TEXT];
    if (slot < 0 || !ReadSizeEdit(dialog, ds, slotText, sizeof slotText))
        return;
    CopyText(filmSizeSlots[slot].text, sizeof filmSizeSlots[slot].text, slotText);
    char typed[ITEM_TEXT];
    EditText(dialog, typed, sizeof typed);
    SendMessageA(List(dialog), LB_DELETESTRING, static_cast<WPARAM>(item), 0);
    AddItem(dialog, typed, slot);
    LRESULT count = SendMessageA(List(dialog), LB_GETCOUNT, 0, 0);
    SendMessageA(List(dialog), LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
}

static void OnDelete(HWND dialog)
{
    LRESULT item;
    int slot = SelectedSlot(dialog, &item);
    if (slot < 0)
        return;
    filmSizeSlots[slot].used = 0;
    SendMessageA(List(dialog), LB_DELETESTRING, static_cast<WPARAM>(item), 0);
    SetDlgItemTextA(dialog, IDC_FILM_SIZE_EDIT, "");
}

static void OnListNotify(HWND dialog)
{
    LRESULT item = SendMessageA(List(dialog), LB_GETCURSEL, 0, 0);
    if (item == LB_ERR)
        return;
    char text[ITEM_TEXT] = {0};
    if (SendMessageA(List(dialog), LB_GETTEXTLEN, static_cast<WPARAM>(item), 0) < ITEM_TEXT)
        SendMessageA(List(dialog), LB_GETTEXT, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(text));
    SetDlgItemTextA(dialog, IDC_FILM_SIZE_EDIT, text);
}

// The settings text of an item's slot, or 0 after telling the operator.
static int ItemSettingsText(HWND dialog, LRESULT item, char* text, size_t size)
{
    LRESULT slot = SendMessageA(List(dialog), LB_GETITEMDATA, static_cast<WPARAM>(item), 0);
    const char* slotText = slot >= 0 && slot < FILM_SIZE_SLOTS ? filmSizeSlots[slot].text : "";
    if (SettingsSizeText(slotText, text, size))
        return 1;
    Refuse(dialog, "Bad string format", "Scan Size", MB_ICONSTOP);
    return 0;
}

static int WriteSizeList(HWND dialog, DSData* ds)
{
    char set[SET_TEXT] = {0};
    size_t used = 0;
    LRESULT count = SendMessageA(List(dialog), LB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        char text[FILM_SIZE_TEXT];
        if (!ItemSettingsText(dialog, item, text, sizeof text))
            return 0;
        int n = snprintf(set + used, sizeof set - used, "%s%s", item ? "," : "", text);
        if (n > 0 && static_cast<size_t>(n) < sizeof set - used)
            used += static_cast<size_t>(n);
    }
    WriteSetting(ds, kSection, "Set", set);
    return 1;
}

static void ShowSizeInMainDialog(HWND main, const DSData* ds, double width, double length)
{
    char w[64], l[64];
    if (ds->ScanSettings->units == UNITS_CENTIMETRES) {
        snprintf(w, sizeof w, "%3.1f", width * kCmPerInch);
        snprintf(l, sizeof l, "%3.1f", length * kCmPerInch);
    } else if (ds->ScanSettings->units == UNITS_PIXELS) {
        snprintf(w, sizeof w, "%ld", static_cast<long>(ds->ScanSettings->scanPixels));
        snprintf(l, sizeof l, "%ld", static_cast<long>(ds->ScanSettings->scanLines));
    } else {
        snprintf(w, sizeof w, "%3.1f", width);
        snprintf(l, sizeof l, "%3.1f", length);
    }
    SetDlgItemTextA(main, IDC_WIDTH, w);
    SetDlgItemTextA(main, IDC_LENGTH, l);
}

static void OnOk(HWND dialog, DSData* ds)
{
    if (!WriteSizeList(dialog, ds))
        return;
    LRESULT item = SendMessageA(List(dialog), LB_GETCURSEL, 0, 0);
    if (item == LB_ERR) {
        Refuse(dialog, "You have not selected a film size.", "Scan Size", MB_ICONEXCLAMATION);
        return;
    }
    char current[FILM_SIZE_TEXT];
    if (!ItemSettingsText(dialog, item, current, sizeof current))
        return;
    WriteSetting(ds, kSection, "Current", current);

    double width, length;
    ParseFilmSize(current, &width, &length);
    ScanSettings* settings = ds->ScanSettings;
    settings->scanPixels = TruncateToU32(settings->resolution * width);
    settings->scanLines = TruncateToU32(settings->resolution * length);
    HWND main = static_cast<HWND>(ds->HostServices->mainDialog);
    if (main) {
        ShowSizeInMainDialog(main, ds, width, length);
        SetScanParams(main, ds);
    }
    EndDialog(dialog, 1);
}

static BOOL OnInit(HWND dialog, DSData* ds)
{
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ds));
    FillList(dialog, ds);
    return TRUE;
}

static void OnCommand(HWND dialog, int id)
{
    DSData* ds = DialogSession(dialog);
    switch (id) {
    case IDC_FILM_SIZE_LIST: OnListNotify(dialog); break;
    case IDC_FILM_SIZE_ADD: OnAdd(dialog, ds); break;
    case IDC_FILM_SIZE_MODIFY: OnModify(dialog, ds); break;
    case IDC_FILM_SIZE_DELETE: OnDelete(dialog); break;
    case IDOK: OnOk(dialog, ds); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    }
}

static INT_PTR CALLBACK ScanSizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, reinterpret_cast<DSData*>(lParam));
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        // Closing the window chooses like OK.
        OnOk(dialog, DialogSession(dialog));
        return TRUE;
    }
    return FALSE;
}

int OpenScanSizeDlg(HINSTANCE instance, HWND owner, DSData* ds)
{
    if (!ds || !ds->ScannerInfo || !ds->ScanSettings || !ds->HostServices)
        return 0;
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SCAN_SIZE), owner,
                                     ScanSizeDialogProc, reinterpret_cast<LPARAM>(ds));
    return result == 1;
}
