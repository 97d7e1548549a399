// The main dialog as far as start-up and scan programming use it: the
// real template with a dialog procedure that only counts close requests.
#ifndef FILMCORE_TEST_MAIN_DIALOG_FIXTURE_H
#define FILMCORE_TEST_MAIN_DIALOG_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "session_fixture.h"

HWND CreateTestMainDialog(void);
int MainDialogCloseCount(void);
void ResetMainDialogCloseCount(void);

std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// Selects the combo box entry with this text; false when there is none.
bool SelectListText(HWND dialog, int id, const std::string& text);
// The message boxes seen, one a line: "ERROR|Unable to open toolkit.|stop|OK".
std::string MessageBoxesShown(void);

// A session with the scripted toolkit, the virtual clock, the message box
// responder and the main dialog open, as start-up finds them.
class ScriptedMainDialogTest : public ::testing::Test {
protected:
    TestSession s;
    HWND main = nullptr;

    void SetUp() override;
    void TearDown() override;
};

#endif
