#include "main_dialog_fixture.h"

#include "box_responder.h"
#include "frame/clock.h"
#include "scanner/scanner_init.h"
#include "scanner/toolkit.h"
#include "scripted_kit.h"
#include "ui/resource.h"

static int g_closeCount = 0;

static INT_PTR CALLBACK TestMainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_CLOSE) {
        ++g_closeCount;
        return TRUE;
    }
    return FALSE;
}

HWND CreateTestMainDialog(void)
{
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                              TestMainDialogProc, 0);
}

int MainDialogCloseCount(void) { return g_closeCount; }
void ResetMainDialogCloseCount(void) { g_closeCount = 0; }

std::string ControlText(HWND dialog, int id)
{
    char text[512] = {0};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void SetControlText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

bool SelectListText(HWND dialog, int id, const std::string& text)
{
    LRESULT index = SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR)
        return false;
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
}

std::string MessageBoxesShown(void)
{
    static const char* const icons[] = {"none", "stop", "exclamation", "question", "information"};
    std::string all;
    for (const SeenBox& box : BoxResponderMessageBoxes()) {
        all += box.caption + "|" + box.text + "|" + icons[box.icon] + "|";
        for (int b : box.buttons)
            all += b == IDOK ? "OK" : b == IDYES ? "Yes" : b == IDNO ? "No" : b == IDCANCEL ? "Cancel" : "?";
        all += "\n";
    }
    return all;
}

// The scripted table is installed already; start-up keeps it.
static int LoadScripted(void) { return 1; }

void ScriptedMainDialogTest::SetUp()
{
    StartTestSession(&s);
    BoxResponderStart();
    InstallScriptedKit();
    SetToolkitLoader(LoadScripted);
    ClockUseVirtual(0);
    main = CreateTestMainDialog();
    ASSERT_NE(main, nullptr);
    s.host.mainDialog = main;
    ResetMainDialogCloseCount();
}

void ScriptedMainDialogTest::TearDown()
{
    DestroyWindow(main);
    PumpPending();
    BoxResponderStop();
    SetToolkitLoader(nullptr);
    ToolkitInstall(nullptr);
    ClockUseReal();
    DeInitDSData();
}
