// The main dialog as start-up, the scan commands and the pipelines use it:
// the real template 101 with a procedure that offers every message to the
// preview area first, counts close requests, keeps
// every status text, counts the private commands and, on Cancel during a
// scan, stops the scan and the batch as the real dialog does. And a test
// session around it, over the installed virtual digitizer or a given table.
#ifndef FILMCORE_TEST_MAIN_DIALOG_STUB_H
#define FILMCORE_TEST_MAIN_DIALOG_STUB_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FilmCore.h"
#include "session_fixture.h"

// Modeless, from the test module's own template; starts a fresh record.
HWND CreateScanDialogStub(DSData* ds);
void ResetScanDialogStub(void);
std::string StubStatusText(void);                      // control 1011 now
const std::vector<std::string>& StubStatusHistory(void);  // every status text, in order
int StubCommandsReceived(int id);
int StubCloseRequests(void);
// Cancel from the n-th progress command 2001 on (1 = the first), counted
// while film `film` scans (0: any film); n = 0 turns it off.
void StubCancelAfterProgress(int n, int film = 0);
// A Cancel click that lands the next time the scan lets the message queue
// run; safe to queue from inside a toolkit call.
void StubClickCancel(void);
std::string DialogText(HWND dialog, int id);
std::vector<uint8_t> BitmapBits(HBITMAP bitmap);  // none for no bitmap
// Selects the combo box entry with this text; false when there is none.
bool SelectListText(HWND dialog, int id, const std::string& text);

class DigitizerSessionTest : public ::testing::Test {
protected:
    TestSession s;
    HWND main = nullptr;
    std::string configPath, callLogPath;

    // The session, the box responder, the virtual clock and the stand-in
    // main dialog, over what `loader` binds (nullptr: the installed DLL).
    void Open(int (*loader)(void));
    // The installed digitizer with this configuration (plus a call log);
    // runs start-up when `startUp`.
    void StartDigitizer(const std::string& config, bool startUp = true);
    std::string CallLog() const;
    void TearDown() override;
};

#endif
