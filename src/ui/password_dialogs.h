// The access password and the control lock: the Password, GUI Control
// ("Custom User Interface") and Change Password dialogs, and the settings
// of section "Security" that keep them between sessions.
#ifndef FILMCORE_PASSWORD_DIALOGS_H
#define FILMCORE_PASSWORD_DIALOGS_H

#include <windows.h>

#include "FilmCore.h"

// "Protection" ("ON"/"OFF", default off) and "ControlMask" (hex, default
// every group usable) into `passwordProtection` and `guiControlMask`; the
// mask is all ones while protection is off.
void LoadSecuritySettings(DSData* ds);

// "PasswordCode" into `passwordCode`, in plain text.
void LoadPasswordCode(DSData* ds);

// The Password dialog over `owner`: 0 when the typed text is the password,
// 1 when it is not or the operator cancelled.
int AskPassword(HWND owner, DSData* ds);

// GUI Control of the options dialog: the password, then the groups.
void OpenGuiControl(HWND options, DSData* ds);

// Password Protection of the options dialog.
void TogglePasswordProtection(HWND options, DSData* ds);

#endif
