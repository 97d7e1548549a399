// Calibration and the system test over the installed virtual digitizer,
// whose configuration scripts the diagnostic answers. A message hook
// records every text the windows show as it is shown.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "main_dialog_stub.h"
#include "scanner/diagnostics.h"
#include "res/resource.h"

namespace {

std::vector<std::string> g_shown;   // field 8001 texts and list 7001 additions
std::string g_cancelOn;             // list text that makes the operator press Cancel
HWND g_testWindow = nullptr;

LRESULT CALLBACK RecordTexts(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const int id = GetDlgCtrlID(m->hwnd);
    const char* text = reinterpret_cast<const char*>(m->lParam);
    if (code == HC_ACTION && ((m->message == WM_SETTEXT && id == IDC_CALIBRATION_TEXT) ||
                              (m->message == LB_ADDSTRING && id == IDC_TEST_MESSAGES))) {
        g_shown.push_back(text);
        HWND window = GetParent(m->hwnd);
        if (!g_cancelOn.empty() && g_cancelOn == text) {
            g_testWindow = window;
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class Diagnostics : public DigitizerSessionTest {
protected:
    HHOOK hook = nullptr;
    void Start(const std::string& answers)
    {
        g_shown.clear();
        g_cancelOn.clear();
        g_testWindow = nullptr;
        StartDigitizer("status = 0\n" + answers);
        hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordTexts, nullptr, GetCurrentThreadId());
    }
    void TearDown() override
    {
        if (hook)
            UnhookWindowsHookEx(hook);
        hook = nullptr;
        DigitizerSessionTest::TearDown();
    }
};

const char kCalibrating[] = "Scanner calibration is in progress.  Please wait.";

TEST_F(Diagnostics, CalibrationShowsEachStepThenEnablesOk)
{
    Start("calibrate = 4;4;4;0:White level 238, dark level 3\\n;6\n");
    EXPECT_EQ(CalibrateScanner(main, &s.ds), 0);
    HWND window = FindWindowA(nullptr, "Scanner Calibration");
    ASSERT_NE(window, nullptr) << "stays open until OK";
    EXPECT_EQ(g_shown, (std::vector<std::string>{kCalibrating, "Wait...", "Wait...", "Wait...",
                                                 "White level 238, dark level 3",
                                                 "Calibration is done."}));
    EXPECT_EQ(DialogText(main, IDC_STATUS), "Calibrating scanner...");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDOK)));
    EXPECT_NE(CallLog().find("diagCalibrate"), std::string::npos);
    SendMessageA(window, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Diagnostics, EndlessCalibrationAndTestAreGivenUp)
{
    Start("calibrate = 4\nfullTest = 5\n");
    CalibrateAfterExposure(main, &s.ds);
    HWND window = FindWindowA(nullptr, "Scanner Calibration");
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(g_shown.size(), 2u + DIAG_STEP_LIMIT);
    EXPECT_EQ(g_shown.back(), "The digitizer did not finish the calibration.");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDOK)));
    DestroyWindow(window);

    g_shown.clear();
    RunSystemTest(main, &s.ds);
    window = FindWindowA(nullptr, "Scanner System Test Message Dialog");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(g_shown, (std::vector<std::string>{"Please wait...", " ",
                                                 "The digitizer did not finish the test.",
                                                 "Failures detected!"}));
    EXPECT_EQ(DialogText(window, IDCANCEL), "&OK");
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(window));
}

// Failures are listed and leave the scanner alone; a pass resets it. The
// window outlives the call and its button still works.
TEST_F(Diagnostics, SystemTestListsFailuresOrResetsTheScanner)
{
    const struct { const char* script; std::vector<std::string> shown; bool reset; } cases[] = {
        {"fullTest = 1:Lamp level low;1:Focus drift;6\n",
         {"Please wait...", " ", "Lamp level low", "Focus drift", "Failures detected!"}, false},
        {"fullTest = 6\n", {"Please wait...", " ", "Reset and Normalize scanner. Please wait ...",
                            "All tests have successfully completed."}, true},
    };
    for (const auto& c : cases) {
        Start(c.script);
        RunSystemTest(main, &s.ds);
        EXPECT_EQ(g_shown, c.shown);
        EXPECT_EQ(CallLog().find("resetScanner") != std::string::npos, c.reset);
        HWND window = FindWindowA(nullptr, "Scanner System Test Message Dialog");
        ASSERT_NE(window, nullptr);
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(IsWindow(window));
        TearDown();
    }
}

// Cancel pressed during the first step: the test stops before the next
// step, writes nothing more, and the scanner is not reset.
TEST_F(Diagnostics, SystemTestCancelStopsBeforeTheNextStep)
{
    Start("fullTest = 2;3;2;6\n");
    g_cancelOn = "Send Diagnostic Failure";
    RunSystemTest(main, &s.ds);
    EXPECT_EQ(g_shown, (std::vector<std::string>{"Please wait...", " ", "Send Diagnostic Failure"}));
    EXPECT_FALSE(IsWindow(g_testWindow));
    const std::string log = CallLog();
    EXPECT_EQ(log.find("diagFullTest"), log.rfind("diagFullTest")) << "one step only";
    EXPECT_EQ(CallLog().find("resetScanner"), std::string::npos);
}

}  // namespace
