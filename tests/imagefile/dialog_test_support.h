// Driving the output and patient dialogs as an operator would: a session,
// a scratch folder, boxes answered and recorded, steps run inside a modal
// dialog while it is open.
#ifndef FILMCORE_DIALOG_TEST_SUPPORT_H
#define FILMCORE_DIALOG_TEST_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "box_responder.h"
#include "main_dialog_stub.h"  // DialogText
#include "session_fixture.h"
#include "test_files.h"

class DialogTest : public ::testing::Test {
protected:
    TestSession s;
    std::string folder;  // scratch folder, removed afterwards

    void SetUp() override;
    void TearDown() override;
    // When the dialog titled `caption` opens, runs `steps` in it, then
    // presses `button` (0: the steps end it).
    void OnDialog(const std::string& caption, int button, std::function<void(HWND)> steps = nullptr)
    {
        BoxResponderAdd({caption, button, steps});
    }
    std::string InFolder(const std::string& name) const { return folder + "\\" + name; }
};

void Type(HWND dialog, int id, const std::string& text);
void Press(HWND dialog, int id);
void PumpFor(int ms);        // runs the message queue meanwhile (timers fire)
std::string LastBox(void);   // "caption|text|icon" of the last message box

#endif
