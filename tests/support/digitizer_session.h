// A session started against the virtual digitizer installed under the
// Windows folder, with a stand-in main dialog as the dialogs' owner, the
// virtual clock and the box responder. Each test passes the digitizer's
// configuration; the file lives in the temporary folder while the test runs.
#ifndef FILMCORE_TEST_DIGITIZER_SESSION_H
#define FILMCORE_TEST_DIGITIZER_SESSION_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "session_fixture.h"

class DigitizerSessionTest : public ::testing::Test {
protected:
    TestSession s;
    HWND main = nullptr;
    std::string configPath, callLogPath;

    // Writes the configuration (plus a call log) and runs start-up.
    void StartDigitizer(const std::string& config);
    std::string CallLog() const;
    void TearDown() override;
};

std::string DialogText(HWND dialog, int id);

#endif
