// The operator script of filmhost's scripted mode: one step per line, parsed
// here into plain records (host/README.md describes the language).
#ifndef FILMHOST_SCRIPT_H
#define FILMHOST_SCRIPT_H

#include <string>
#include <vector>

enum ScriptStepKind {
    STEP_CLICK,          // click ID
    STEP_PICK,           // pick ID TEXT
    STEP_TYPE,           // type ID TEXT
    STEP_DRAG,           // drag X1 Y1 X2 Y2 (film inches)
    STEP_ANSWER,         // answer BUTTON
    STEP_WAIT_STATUS,    // wait-status TEXT [SECONDS]
    STEP_WAIT_WINDOW,    // wait-window TITLE [SECONDS]
    STEP_WAIT_ENABLED,   // wait-enabled ID [SECONDS]
    STEP_WAIT_IMAGE,     // wait-image [SECONDS]
    STEP_PAUSE,          // pause SECONDS
    STEP_SCREENSHOT,     // screenshot FILE.png
    STEP_SCREENSHOT_AT,  // screenshot-at PERCENT FILE.png
    STEP_EXIT,           // exit
    STEP_WINDOW,         // window [TITLE]
    STEP_LOG_TEXT,       // log-text ID
    STEP_COMMAND,        // command ID
    STEP_SCROLL,         // scroll ID left|right [COUNT]
    STEP_WAIT_TEXT,      // wait-text ID TEXT [SECONDS]
    STEP_MARK,           // mark NAME
    STEP_WATCH_TEXT,     // watch-text TITLE ID
    STEP_FORMAT          // format NAME
};

// Button ids as the system numbers them (IDOK ...), kept here so the parser
// needs no Windows header.
enum ScriptButton { BUTTON_OK = 1, BUTTON_CANCEL = 2, BUTTON_ABORT = 3, BUTTON_RETRY = 4,
                    BUTTON_IGNORE = 5, BUTTON_YES = 6, BUTTON_NO = 7 };

struct ScriptStep {
    ScriptStepKind kind;
    int line;                // 1-based line of the script
    int control;             // click, pick, type, wait-enabled, log-text, command, scroll, ...
    std::string text;        // pick, type, wait-status, wait-window, window, format; file of the screenshots
    float points[4];         // drag: x1 y1 x2 y2
    int button;              // answer
    double seconds;          // waits: time-out; pause: length
    int percent;             // screenshot-at
    int count;               // scroll: arrow presses; negative to the left
};

// The default time-out of a waiting step, in seconds.
const double kDefaultWaitSeconds = 30.0;

// Parses the whole script; false with "line N: ..." in `error` at the first
// bad step, and then `steps` holds the steps before it.
bool ParseScript(const std::string& source, std::vector<ScriptStep>* steps, std::string* error);

const char* ButtonName(int button);

#endif
