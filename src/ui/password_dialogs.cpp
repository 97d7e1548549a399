#include "ui/password_dialogs.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "frame/dialog_window.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "ui/control_locks.h"
#include "ui/password_code.h"

static const char kSection[] = "Security";
static const uint32_t kEveryGroup = 0xFFFFFFFFu;

enum { TYPED_TEXT = 129, CODE_SETTING = 64, NEW_PASSWORD_LIMIT = 24 };

static HINSTANCE InstanceOf(HWND window)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

static void Refuse(HWND dialog, const char* text)
{
    MessageBoxA(dialog, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

// ---------------------------------------------------------------------------
// The settings

static uint32_t KeptControlMask(DSData* ds)
{
    char text[16] = {0};
    ReadSetting(ds, kSection, "ControlMask", text, sizeof text, "FFFFFFFF");
    char* end = nullptr;
    unsigned long mask = strtoul(text, &end, 16);
    return end == text ? kEveryGroup : static_cast<uint32_t>(mask);
}

static void KeepControlMask(DSData* ds, uint32_t mask)
{
    char text[16];
    snprintf(text, sizeof text, "%08X", static_cast<unsigned>(mask));
    WriteSetting(ds, kSection, "ControlMask", text);
}

void LoadSecuritySettings(DSData* ds)
{
    char text[8] = {0};
    ReadSetting(ds, kSection, "Protection", text, sizeof text, "OFF");
    ImageControl* c = ds->ImageControl;
    c->passwordProtection = EqualNoCase(text, "ON") ? 1 : 0;
    c->guiControlMask = c->passwordProtection ? KeptControlMask(ds) : kEveryGroup;
}

void LoadPasswordCode(DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    char stored[CODE_SETTING] = {0};
    ReadSetting(ds, kSection, "PasswordCode", stored, sizeof stored, "");
    stored[sizeof stored - 1] = '\0';
    if (stored[0] == '\0') {
        c->passwordCode[0] = '\0';
        return;
    }
    char plain[PASSWORD_PLAIN_TEXT];
    UnscrambleCode(stored, plain);
    CopyText(c->passwordCode, sizeof c->passwordCode, plain);
}

static void StorePasswordCode(DSData* ds)
{
    char code[PASSWORD_CODE_TEXT];
    ScrambleCode(ds->ImageControl->passwordCode, code);
    WriteSetting(ds, kSection, "PasswordCode", code);
}

// ---------------------------------------------------------------------------
// Password (template 112)

static void ReadTyped(HWND dialog, int id, char* text, size_t size)
{
    text[0] = '\0';
    GetDlgItemTextA(dialog, id, text, static_cast<int>(size));
}

static void OnPasswordOk(HWND dialog)
{
    char typed[TYPED_TEXT];
    ReadTyped(dialog, IDC_PASSWORD_TEXT, typed, sizeof typed);
    if (strcmp(typed, DialogSession(dialog)->ImageControl->passwordCode) == 0) {
        EndDialog(dialog, 0);
        return;
    }
    Refuse(dialog, "Invalid password!");
    EndDialog(dialog, 1);
}

// ---------------------------------------------------------------------------
// Change Password (template 114)

static void OnChangeOk(HWND dialog)
{
    char fresh[TYPED_TEXT], confirm[TYPED_TEXT], old[TYPED_TEXT];
    ReadTyped(dialog, IDC_NEW_PASSWORD, fresh, sizeof fresh);
    ReadTyped(dialog, IDC_CONFIRM_PASSWORD, confirm, sizeof confirm);
    ReadTyped(dialog, IDC_OLD_PASSWORD, old, sizeof old);
    // Only 24 characters survive the stored form, whatever the edit lets in.
    fresh[NEW_PASSWORD_LIMIT] = confirm[NEW_PASSWORD_LIMIT] = '\0';
    ImageControl* c = DialogSession(dialog)->ImageControl;
    if (strcmp(old, c->passwordCode) != 0 || strcmp(fresh, confirm) != 0) {
        Refuse(dialog, "Invalid password");
        EndDialog(dialog, 1);
        return;
    }
    CopyText(c->passwordCode, sizeof c->passwordCode, fresh);
    EndDialog(dialog, 0);
}

// Password and Change Password share their procedure; only the latter has
// a New edit.
static INT_PTR CALLBACK PasswordEntryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool changing = GetDlgItem(dialog, IDC_NEW_PASSWORD) != nullptr;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        CentreOnDesktop(dialog);
        if (changing) {
            SendDlgItemMessageA(dialog, IDC_NEW_PASSWORD, EM_LIMITTEXT, NEW_PASSWORD_LIMIT, 0);
            SendDlgItemMessageA(dialog, IDC_CONFIRM_PASSWORD, EM_LIMITTEXT, NEW_PASSWORD_LIMIT, 0);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            changing ? OnChangeOk(dialog) : OnPasswordOk(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 1);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

int AskPassword(HWND owner, DSData* ds)
{
    INT_PTR result = DialogBoxParamA(InstanceOf(owner), MAKEINTRESOURCEA(IDD_PASSWORD), owner,
                                     PasswordEntryProc, reinterpret_cast<LPARAM>(ds));
    return result == 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------
// GUI Control (template 113)

static const int kGroupBoxes[] = {IDC_LOCK_RESOLUTION, IDC_LOCK_DEPTH, IDC_LOCK_ROI,
    IDC_LOCK_SAVE_TO_DISK, IDC_LOCK_PRESCAN, IDC_LOCK_DARK_ENHANCE, IDC_LOCK_TABLES,
    IDC_LOCK_EXPOSURE, IDC_LOCK_LINE_AVERAGE, IDC_LOCK_BILEVEL, IDC_LOCK_ORIENTATION};

static uint32_t GroupBit(int id)
{
    return 1u << ((static_cast<int64_t>(id) - 14002) % 32 + 32) % 32;
}

static bool IsGroupBox(int id)
{
    for (int box : kGroupBoxes)
        if (box == id)
            return true;
    return false;
}

// A group the digitizer cannot offer stays unchecked and out of reach.
static void LockAbsentGroup(HWND dialog, int id)
{
    CheckDlgButton(dialog, id, BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, id), FALSE);
}

static void OnGuiControlInit(HWND dialog, DSData* ds)
{
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ds));
    CentreOnDesktop(dialog);
    const uint32_t mask = ds->ImageControl->guiControlMask;
    for (int id : kGroupBoxes)
        CheckDlgButton(dialog, id, (mask & GroupBit(id)) ? BST_CHECKED : BST_UNCHECKED);
    const ScannerInfo* info = ds->ScannerInfo;
    if (info->lineAveragingCapability == 0) {
        LockAbsentGroup(dialog, IDC_LOCK_LINE_AVERAGE);
        LockAbsentGroup(dialog, IDC_LOCK_DARK_ENHANCE);
    }
    if (info->minDepth != 1)
        LockAbsentGroup(dialog, IDC_LOCK_BILEVEL);
    if (info->prescanCapability == 0)
        LockAbsentGroup(dialog, IDC_LOCK_PRESCAN);
}

static void OnGroupBox(HWND dialog, DSData* ds, int id)
{
    ImageControl* c = ds->ImageControl;
    c->guiControlMask ^= GroupBit(id);
    CheckDlgButton(dialog, id, (c->guiControlMask & GroupBit(id)) ? BST_CHECKED : BST_UNCHECKED);
    ApplyControlLocks(static_cast<HWND>(ds->HostServices->optionDialog), ds);
    KeepControlMask(ds, c->guiControlMask);
}

static void OnChangePassword(HWND dialog, DSData* ds)
{
    INT_PTR result = DialogBoxParamA(InstanceOf(dialog), MAKEINTRESOURCEA(IDD_CHANGE_PASSWORD), dialog,
                                     PasswordEntryProc, reinterpret_cast<LPARAM>(ds));
    if (result != 0)
        return;
    StorePasswordCode(ds);
    MessageBoxA(dialog, "Password changed", "Change Password", MB_OK | MB_ICONINFORMATION);
}

static INT_PTR CALLBACK GuiControlProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnGuiControlInit(dialog, reinterpret_cast<DSData*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (IsGroupBox(id))
            OnGroupBox(dialog, DialogSession(dialog), id);
        else if (id == IDC_CHANGE_PASSWORD)
            OnChangePassword(dialog, DialogSession(dialog));
        else if (id == IDOK || id == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void OpenGuiControl(HWND options, DSData* ds)
{
    if (AskPassword(options, ds) != 0)
        return;
    DialogBoxParamA(InstanceOf(options), MAKEINTRESOURCEA(IDD_GUI_CONTROL), options, GuiControlProc,
                    reinterpret_cast<LPARAM>(ds));
}

// ---------------------------------------------------------------------------
// Password Protection

void TogglePasswordProtection(HWND options, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    CheckDlgButton(options, IDC_PASSWORD_PROTECTION, c->passwordProtection ? BST_CHECKED : BST_UNCHECKED);
    if (AskPassword(options, ds) != 0)
        return;
    c->passwordProtection = !c->passwordProtection;
    CheckDlgButton(options, IDC_PASSWORD_PROTECTION, c->passwordProtection ? BST_CHECKED : BST_UNCHECKED);
    c->guiControlMask = c->passwordProtection ? KeptControlMask(ds) : kEveryGroup;
    WriteSetting(ds, kSection, "Protection", c->passwordProtection ? "ON" : "OFF");
    EnableWindow(GetDlgItem(options, IDC_GUI_CONTROL), c->passwordProtection ? TRUE : FALSE);
    ApplyControlLocks(options, ds);
}
