#include <string.h>

#include "digitizer/toolkit.h"
#include "res/resource.h"
#include "scanner/diag_window.h"
#include "scanner/diagnostics.h"

enum { FULL_TEST_REPLY = 128, REPLY_TEXT_AT = 5 };
enum { TEST_FAILED = 1, TEST_SEND_FAILED = 2, TEST_RECEIVE_FAILED = 3, TEST_DONE = 6 };

// Shared by the test loop and its window, which outlives the loop: freed
// by whichever of the two lets go last.
struct SystemTestRun {
    int32_t cancel;
    int windowGone;
    int loopDone;
};

static INT_PTR CALLBACK SystemTestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SystemTestRun* run = reinterpret_cast<SystemTestRun*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            if (run)
                run->cancel = 1;
            DestroyWindow(window);
        }
        return TRUE;
    case WM_NCDESTROY:
        if (run) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            run->windowGone = 1;
            if (run->loopDone)
                delete run;
        }
        return FALSE;
    }
    return FALSE;
}

static void AddLine(HWND window, const SystemTestRun* run, const char* text)
{
    if (!run->windowGone)
        SendDlgItemMessageA(window, IDC_TEST_MESSAGES, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(text));
}

static void Refocus(HWND window, const SystemTestRun* run)
{
    if (!run->windowGone)
        SetFocus(window);
}

// Runs the digitizer's test steps; returns the number of failures, or -1
// when the operator cancelled.
static int RunSteps(HWND window, SystemTestRun* run)
{
    int failures = 0;
    for (int step = 0;; ++step) {
        // A window closed with its owner ends the test as its button would.
        if (run->cancel || run->windowGone)
            return -1;
        if (step == DIAG_STEP_LIMIT) {
            AddLine(window, run, "The digitizer did not finish the test.");
            return failures + 1;
        }
        char reply[FULL_TEST_REPLY] = {0};
        int16_t code = Toolkit()->diagFullTest(reinterpret_cast<uint8_t*>(reply), sizeof reply);
        reply[FULL_TEST_REPLY - 1] = '\0';
        if (code == TEST_FAILED)
            AddLine(window, run, reply + REPLY_TEXT_AT);
        else if (code == TEST_SEND_FAILED)
            AddLine(window, run, "Send Diagnostic Failure");
        else if (code == TEST_RECEIVE_FAILED)
            AddLine(window, run, "Receive Diagnostic Failure");
        if (code == TEST_FAILED || code == TEST_SEND_FAILED || code == TEST_RECEIVE_FAILED)
            ++failures;
        HandlePendingMessages();
        Refocus(window, run);
        if (code == TEST_DONE)
            return run->cancel || run->windowGone ? -1 : failures;
    }
}

static void FinishTest(HWND window, SystemTestRun* run, int failures)
{
    if (failures == 0) {
        AddLine(window, run, "Reset and Normalize scanner. Please wait ...");
        Toolkit()->resetScanner(1, 0);
        AddLine(window, run, "All tests have successfully completed.");
    } else {
        AddLine(window, run, "Failures detected!");
    }
    if (!run->windowGone)
        SetDlgItemTextA(window, IDCANCEL, "&OK");
}

int RunSystemTest(HWND owner, DSData* ds)
{
    SystemTestRun* run = new SystemTestRun();
    HWND window = OpenDiagWindow(ds, IDD_SYSTEM_TEST, owner, SystemTestProc,
                                 reinterpret_cast<LPARAM>(run));
    if (!window) {
        delete run;
        return 0;
    }
    SendDlgItemMessageA(window, IDC_TEST_MESSAGES, LB_RESETCONTENT, 0, 0);
    HandlePendingMessages();
    Refocus(window, run);
    AddLine(window, run, "Please wait...");
    AddLine(window, run, " ");

    int failures = RunSteps(window, run);
    if (failures >= 0)
        FinishTest(window, run, failures);
    run->loopDone = 1;
    if (run->windowGone)
        delete run;
    return 0;
}
