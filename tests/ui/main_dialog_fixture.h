// The real main dialog, opened the way a host opens it, over the installed
// virtual digitizer with the virtual clock; message boxes are answered by
// the box responder and recorded.
#ifndef FILMCORE_TEST_MAIN_DIALOG_FIXTURE_H
#define FILMCORE_TEST_MAIN_DIALOG_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_stub.h"
#include "digitizer/toolkit.h"
#include "session_fixture.h"
#include "test_files.h"
#include "res/resource.h"

static_assert(BOX_ICON_STOP == 1 && BOX_ICON_QUESTION == 3 && BOX_ICON_INFORMATION == 4,
              "the icon codes in the box texts of the tests");

class MainDialogTest : public ::testing::Test {
protected:
    TestSession s;
    HWND dialog = nullptr;
    std::string configPath = TestTempPath("main_dialog.ini");
    static inline int closeRequests = 0;

    // `before` adjusts the session as a host would before opening.
    void Open(const std::string& config, void (*before)(TestSession*) = nullptr)
    {
        std::ofstream(configPath) << config << "\n";
        SetEnvironmentVariableA("SCANKIT_CONFIG", configPath.c_str());
        StartTestSession(&s);
        s.host.closeRequest = [](DSData*) { ++closeRequests; };
        closeRequests = 0;
        if (before)
            before(&s);
        BoxResponderStart();
        ClockUseVirtual(0);
        dialog = static_cast<HWND>(OpenFilmCoreDlg(&s.ds));
    }
    void Close()
    {
        if (dialog)
            DestroyWindow(dialog);
        dialog = nullptr;
        PumpPending();
        BoxResponderStop();
        ToolkitUnbind();
        ClockUseReal();
        DeInitDSData();
    }
    void TearDown() override
    {
        Close();
        std::remove(configPath.c_str());
    }
    void Press(int id, int notification = BN_CLICKED)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), 0);
        PumpPending();
    }
    std::vector<std::string> Boxes() const { return BoxResponderLines(); }
    std::string Setting(const char* section, const char* key) const
    {
        const std::string* value = GetProfile(&s, section, key);
        return value ? *value : "(none)";
    }
};

#endif
