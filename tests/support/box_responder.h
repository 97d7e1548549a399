// Answers message boxes and modal dialogs from a per-test script and
// records each one, so tests assert on the exact texts the operator sees.
// A WH_CALLWNDPROCRET hook watches WM_INITDIALOG of every dialog on this
// thread (message boxes are dialogs too) and posts the scripted button.
#ifndef FILMCORE_TEST_BOX_RESPONDER_H
#define FILMCORE_TEST_BOX_RESPONDER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

enum BoxIcon { BOX_ICON_NONE, BOX_ICON_STOP, BOX_ICON_EXCLAMATION, BOX_ICON_QUESTION,
               BOX_ICON_INFORMATION };

struct SeenBox {
    HWND window;
    bool isMessageBox;
    std::string caption;
    std::string text;       // message boxes: the message
    BoxIcon icon;
    std::vector<int> buttons;  // ids of the push buttons present (IDOK, IDYES...)
    int answeredWith;       // 0 = left alone
};

struct BoxAnswer {
    // Matches a dialog by caption (empty: any message box). Template dialogs
    // are answered only when a script entry names their caption.
    std::string caption;
    int button;  // the id to press
    // Runs first, with the dialog window, e.g. to fill fields.
    std::function<void(HWND)> before;
};

void BoxResponderStart(void);
void BoxResponderStop(void);
// Answers are used in order; each is used once.
void BoxResponderAdd(const BoxAnswer& answer);
const std::vector<SeenBox>& BoxResponderSeen(void);
std::vector<SeenBox> BoxResponderMessageBoxes(void);
void BoxResponderClear(void);
// "caption|text|icon", the icon by name: "ERROR|Unable to open toolkit.|stop".
std::string BoxLine(const SeenBox& box);
// Every message box so far as "caption|text|icon", the icon by its number
// (1 stop, 2 exclamation, 3 question, 4 information).
std::vector<std::string> BoxResponderLines(void);

// Runs the message queue until it is empty.
void PumpPending(void);

#endif
