#include "digitizer_session.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "box_responder.h"
#include "frame/clock.h"
#include "scanner/scanner_init.h"
#include "scanner/toolkit.h"
#include "ui/resource.h"

static INT_PTR CALLBACK StandInMainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG || message == WM_CLOSE;
}

void DigitizerSessionTest::StartDigitizer(const std::string& config)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    configPath = std::string(temp) + "filmcore_digitizer.ini";
    callLogPath = std::string(temp) + "filmcore_digitizer.log";
    std::ofstream(configPath) << config << "\ncallLog = " << callLogPath << "\n";
    SetEnvironmentVariableA("SCANKIT_CONFIG", configPath.c_str());

    StartTestSession(&s);
    s.host.instance = GetModuleHandleA(nullptr);
    BoxResponderStart();
    SetToolkitLoader(nullptr);
    ClockUseVirtual(0);
    main = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                              StandInMainProc, 0);
    ASSERT_NE(main, nullptr);
    s.host.mainDialog = main;
    ASSERT_EQ(InitializeScanner(main, &s.ds, 0), 0);
    PumpPending();
}

std::string DigitizerSessionTest::CallLog() const
{
    std::ifstream file(callLogPath);
    std::stringstream all;
    all << file.rdbuf();
    return all.str();
}

void DigitizerSessionTest::TearDown()
{
    DestroyWindow(main);
    PumpPending();
    BoxResponderStop();
    ToolkitUnbind();
    SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);
    ClockUseReal();
    DeInitDSData();
    std::remove(configPath.c_str());
    std::remove(callLogPath.c_str());
}

std::string DialogText(HWND dialog, int id)
{
    char text[512] = {0};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
