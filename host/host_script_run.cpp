#include "host_script_run.h"

#include <windows.h>

#include <string>

#include "host_boxes.h"
#include "host_capture.h"
#include "host_log.h"
#include "host_session.h"
#include "host_watch.h"

namespace {

const int kStatusControl = 1011;
const UINT kTickMs = 25;

enum StepResult { STEP_DONE, STEP_YIELD, STEP_WAITING };

// A capture armed to be taken when the scan's progress passes a value.
struct ArmedCapture {
    int line;
    int percent;
    std::string file;
    bool taken;
};

struct ScriptRun {
    HostSession* session;
    std::vector<ScriptStep> steps;
    size_t next;
    DWORD runStarted;
    LONGLONG runStartedPrecise;
    double runSeconds;
    DWORD stepStarted;
    bool stepBegun;
    bool busy;
    bool finished;
    int imagesWaitedFor;
    std::vector<ArmedCapture> captures;
    std::string addressed;   // title of the window the steps address; "" = the usual one
    int addressedLine;       // the window step that named it
};

ScriptRun g_run;

double SecondsSince(DWORD start) { return (GetTickCount() - start) / 1000.0; }

[[noreturn]] void FailRun(int line, const std::string& why)
{
    if (line)
        HostLog("script failed: line %d: %s", line, why.c_str());
    else
        HostLog("script failed: %s", why.c_str());
    CloseHostLog();
    // The failure may be met deep inside a scan or a modal dialog, where
    // unwinding to the host's loop is not possible.
    ExitProcess(3);
}

std::string TextOf(HWND window)
{
    char text[1024] = "";
    if (window)
        GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct WindowSearch {
    HWND main;
    const char* title;   // null: any enabled dialog other than main
    HWND found;
};

BOOL CALLBACK FindThreadWindow(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    if (!IsWindowVisible(window) || (window == search->main && !search->title))
        return TRUE;
    bool match = search->title ? TextOf(window) == search->title
                               : ClassOf(window) == "#32770" && IsWindowEnabled(window) &&
                                     !GetDlgItem(window, 0xFFFF);
    if (match) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Steps address the window a `window` step named, else the main dialog, or
// the modal dialog that has disabled it.
HWND TargetWindow(HostSession* s)
{
    if (!g_run.addressed.empty()) {
        WindowSearch named{s->dialog, g_run.addressed.c_str(), nullptr};
        EnumThreadWindows(GetCurrentThreadId(), FindThreadWindow, reinterpret_cast<LPARAM>(&named));
        if (!named.found)
            FailRun(g_run.addressedLine, "window \"" + g_run.addressed + "\" is not shown");
        return named.found;
    }
    if (!s->dialog || IsWindowEnabled(s->dialog))
        return s->dialog;
    WindowSearch search{s->dialog, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindThreadWindow, reinterpret_cast<LPARAM>(&search));
    return search.found ? search.found : s->dialog;
}

HWND ControlOf(HostSession* s, const ScriptStep& step, HWND* target)
{
    *target = TargetWindow(s);
    HWND control = *target ? GetDlgItem(*target, step.control) : nullptr;
    if (!control)
        FailRun(step.line, "no control " + std::to_string(step.control) + " in \"" + TextOf(*target) + "\"");
    if (!IsWindowEnabled(control))
        FailRun(step.line, "control " + std::to_string(step.control) + " is disabled");
    return control;
}

void PostCommand(HWND target, int id, int code, HWND control)
{
    PostMessageA(target, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

StepResult Click(HostSession* s, const ScriptStep& step)
{
    HWND target;
    HWND control = ControlOf(s, step, &target);
    if (ClassOf(control) == "Button")
        PostMessageA(control, BM_CLICK, 0, 0);
    else
        PostCommand(target, step.control, BN_CLICKED, control);
    return STEP_YIELD;
}

StepResult Pick(HostSession* s, const ScriptStep& step)
{
    HWND target;
    HWND control = ControlOf(s, step, &target);
    const bool combo = ClassOf(control) == "ComboBox";
    const LPARAM text = reinterpret_cast<LPARAM>(step.text.c_str());
    const LRESULT index = SendMessageA(control, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, -1, text);
    if (index < 0)
        FailRun(step.line, "list " + std::to_string(step.control) + " has no entry \"" + step.text + "\"");
    SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
    PostCommand(target, step.control, combo ? CBN_SELCHANGE : LBN_SELCHANGE, control);
    return STEP_YIELD;
}

StepResult Type(HostSession* s, const ScriptStep& step)
{
    HWND target;
    HWND control = ControlOf(s, step, &target);
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text.c_str()));
    PostCommand(target, step.control, EN_KILLFOCUS, control);
    return STEP_YIELD;
}

// Film inches to dialog client pixels, through the rectangle the prescan
// image is drawn in.
POINT FilmToClient(const ScanArea* a, float x, float y)
{
    const double filmWidth = static_cast<double>(a->prescanPixels) / a->previewDpi;
    const double filmLength = static_cast<double>(a->prescanLines) / a->previewDpi;
    const int* r = a->imageRect;
    POINT p;
    p.x = r[0] + static_cast<LONG>(x / filmWidth * (r[2] - r[0]) + 0.5);
    p.y = r[1] + static_cast<LONG>(y / filmLength * (r[3] - r[1]) + 0.5);
    return p;
}

StepResult Drag(HostSession* s, const ScriptStep& step)
{
    const ScanArea* a = s->ds.ScanArea;
    const int* r = a->imageRect;
    if (!s->dialog || !a->prescanPixels || !a->prescanLines || !a->previewDpi || r[2] <= r[0] || r[3] <= r[1])
        FailRun(step.line, "drag: no prescan image on the preview");
    const float filmWidth = static_cast<float>(a->prescanPixels) / a->previewDpi;
    const float filmLength = static_cast<float>(a->prescanLines) / a->previewDpi;
    for (int k = 0; k < 4; k += 2)
        if (step.points[k] > filmWidth || step.points[k + 1] > filmLength) {
            char why[160];
            snprintf(why, sizeof why, "drag: %.2f, %.2f is off the film (%.2f x %.2f inches)", step.points[k],
                     step.points[k + 1], filmWidth, filmLength);
            FailRun(step.line, why);
        }
    const POINT from = FilmToClient(a, step.points[0], step.points[1]);
    const POINT to = FilmToClient(a, step.points[2], step.points[3]);
    HostLog("drag: client %ld,%ld to %ld,%ld on the image at %d,%d-%d,%d of a %ux%u prescan at %u dpi", from.x,
            from.y, to.x, to.y, r[0], r[1], r[2], r[3], a->prescanPixels, a->prescanLines, a->previewDpi);
    PostMessageA(s->dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    const int moves = 8;
    for (int i = 1; i <= moves; ++i) {
        const LONG x = from.x + (to.x - from.x) * i / moves, y = from.y + (to.y - from.y) * i / moves;
        PostMessageA(s->dialog, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    }
    PostMessageA(s->dialog, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    return STEP_YIELD;
}

// `what` names the wait, `now` what was seen when it gave up.
StepResult WaitFor(const ScriptStep& step, bool met, const std::string& what, const std::string& now)
{
    if (met)
        return STEP_DONE;
    if (SecondsSince(g_run.stepStarted) > step.seconds) {
        char why[1200];
        snprintf(why, sizeof why, "%s timed out after %g s (%s)", what.c_str(), step.seconds, now.c_str());
        FailRun(step.line, why);
    }
    return STEP_WAITING;
}

StepResult WaitStatus(HostSession* s, const ScriptStep& step)
{
    const std::string status = TextOf(s->dialog ? GetDlgItem(s->dialog, kStatusControl) : nullptr);
    return WaitFor(step, status == step.text, "wait-status \"" + step.text + "\"",
                   "the status line reads \"" + OneLine(status) + "\"");
}

StepResult WaitWindow(HostSession* s, const ScriptStep& step)
{
    WindowSearch search{s->dialog, step.text.c_str(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindThreadWindow, reinterpret_cast<LPARAM>(&search));
    return WaitFor(step, search.found != nullptr, "wait-window \"" + step.text + "\"", "no such window is shown");
}

// The main dialog, or the window a `window` step addressed.
HWND WaitedWindow(HostSession* s)
{
    return g_run.addressed.empty() ? s->dialog : TargetWindow(s);
}

StepResult WaitEnabled(HostSession* s, const ScriptStep& step)
{
    HWND window = WaitedWindow(s);
    HWND control = window ? GetDlgItem(window, step.control) : nullptr;
    return WaitFor(step, control && IsWindowEnabled(control), "wait-enabled " + std::to_string(step.control),
                   control ? "still disabled" : "no such control");
}

StepResult WaitText(HostSession* s, const ScriptStep& step)
{
    HWND window = WaitedWindow(s);
    HWND control = window ? GetDlgItem(window, step.control) : nullptr;
    const std::string text = TextOf(control);
    return WaitFor(step, control && text == step.text,
                   "wait-text " + std::to_string(step.control) + " \"" + step.text + "\"",
                   control ? "it reads \"" + OneLine(text) + "\"" : "no such control");
}

// Each wait takes the next image of the session, so one image never
// satisfies two waits.
StepResult WaitImage(HostSession* s, const ScriptStep& step)
{
    const bool met = s->images > g_run.imagesWaitedFor;
    const StepResult result = WaitFor(step, met, "wait-image", std::to_string(s->images) + " images so far");
    if (met)
        ++g_run.imagesWaitedFor;
    return result;
}

StepResult AddressWindow(HostSession* s, const ScriptStep& step)
{
    g_run.addressed = step.text;
    g_run.addressedLine = step.line;
    if (!step.text.empty())
        TargetWindow(s);  // fails at once when no such window is shown
    return STEP_DONE;
}

// A list shows its entries, one line each; any other control its text.
StepResult LogText(HostSession* s, const ScriptStep& step)
{
    HWND window = TargetWindow(s);
    HWND control = window ? GetDlgItem(window, step.control) : nullptr;
    if (!control)
        FailRun(step.line, "no control " + std::to_string(step.control) + " in \"" + TextOf(window) + "\"");
    const std::string kind = ClassOf(control);
    if (kind != "ListBox" && kind != "ComboBox") {
        HostLog("text %d \"%s\"", step.control, OneLine(TextOf(control)).c_str());
        return STEP_DONE;
    }
    const bool combo = kind == "ComboBox";
    const LRESULT count = SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    HostLog("text %d: %ld entries", step.control, static_cast<long>(count));
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
        std::string entry(length > 0 ? static_cast<size_t>(length) : 0, '\0');
        if (length > 0)
            SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(&entry[0]));
        HostLog("text %d[%ld] \"%s\"", step.control, static_cast<long>(i), OneLine(entry.c_str()).c_str());
    }
    return STEP_DONE;
}

// The command a control would send, also for a control that is hidden or
// disabled, or an id that no control carries.
StepResult Command(HostSession* s, const ScriptStep& step)
{
    HWND target = TargetWindow(s);
    if (!target)
        FailRun(step.line, "command: no window to send it to");
    PostCommand(target, step.control, BN_CLICKED, GetDlgItem(target, step.control));
    return STEP_YIELD;
}

// Arrow presses on a horizontal scroll bar control, as its owner hears them.
StepResult Scroll(HostSession* s, const ScriptStep& step)
{
    HWND target;
    HWND control = ControlOf(s, step, &target);
    const WPARAM arrow = step.count < 0 ? SB_LINELEFT : SB_LINERIGHT;
    for (int i = 0, n = step.count < 0 ? -step.count : step.count; i < n; ++i)
        PostMessageA(target, WM_HSCROLL, MAKEWPARAM(arrow, 0), reinterpret_cast<LPARAM>(control));
    PostMessageA(target, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(control));
    return STEP_YIELD;
}

// The time since the run began, to the microsecond, for timing a job.
double RunSeconds(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - g_run.runStartedPrecise) / frequency.QuadPart;
}

StepResult Mark(const ScriptStep& step)
{
    HostLog("mark %s at %.6f s", step.text.c_str(), RunSeconds());
    return STEP_DONE;
}

void Screenshot(HWND window, int line, const std::string& file)
{
    std::string why;
    if (!CaptureWindow(window, file.c_str(), &why))
        FailRun(line, "screenshot " + file + ": " + why);
    HostLog("screenshot %s of \"%s\"", file.c_str(), TextOf(window).c_str());
}

void CheckCapturesTaken(void)
{
    for (const ArmedCapture& c : g_run.captures)
        if (!c.taken)
            FailRun(c.line, "screenshot-at " + std::to_string(c.percent) + " " + c.file +
                                ": no scan passed that point");
}

StepResult Exit(HostSession* s, const ScriptStep& step)
{
    if (!g_run.stepBegun) {
        CheckCapturesTaken();
        HWND exitButton = s->dialog ? GetDlgItem(s->dialog, IDOK) : nullptr;
        if (!exitButton || !IsWindowEnabled(exitButton))
            FailRun(step.line, "exit: the Exit button is not there or disabled");
        PostMessageA(exitButton, BM_CLICK, 0, 0);
        return STEP_WAITING;
    }
    // The host's close handling ends the loop; until then, wait.
    if (SecondsSince(g_run.stepStarted) > kDefaultWaitSeconds)
        FailRun(step.line, "exit: the dialog did not ask to close");
    return STEP_WAITING;
}

// The format a TWAIN application negotiated while the dialog is open.
StepResult PushFormat(HostSession* s, const ScriptStep& step)
{
    char name[32];
    lstrcpynA(name, step.text.c_str(), sizeof name);
    if (!SyncScannerParams(PARAM_FORMAT_NAME, name, sizeof name, &s->ds))
        FailRun(step.line, "format: the library refused \"" + step.text + "\"");
    return STEP_YIELD;
}

StepResult RunStep(HostSession* s, const ScriptStep& step)
{
    switch (step.kind) {
    case STEP_CLICK: return Click(s, step);
    case STEP_PICK: return Pick(s, step);
    case STEP_TYPE: return Type(s, step);
    case STEP_DRAG: return Drag(s, step);
    case STEP_ANSWER:
        QueueBoxAnswer(step.button);
        return STEP_DONE;
    case STEP_WAIT_STATUS: return WaitStatus(s, step);
    case STEP_WAIT_WINDOW: return WaitWindow(s, step);
    case STEP_WAIT_ENABLED: return WaitEnabled(s, step);
    case STEP_WAIT_IMAGE: return WaitImage(s, step);
    case STEP_PAUSE: return SecondsSince(g_run.stepStarted) >= step.seconds ? STEP_DONE : STEP_WAITING;
    case STEP_SCREENSHOT:
        Screenshot(TargetWindow(s), step.line, step.text);
        return STEP_DONE;
    case STEP_SCREENSHOT_AT:
        g_run.captures.push_back({step.line, step.percent, step.text, false});
        return STEP_DONE;
    case STEP_EXIT: return Exit(s, step);
    case STEP_WINDOW: return AddressWindow(s, step);
    case STEP_LOG_TEXT: return LogText(s, step);
    case STEP_COMMAND: return Command(s, step);
    case STEP_SCROLL: return Scroll(s, step);
    case STEP_WAIT_TEXT: return WaitText(s, step);
    case STEP_MARK: return Mark(step);
    case STEP_WATCH_TEXT:
        WatchDialogText(step.text, step.control);
        return STEP_DONE;
    case STEP_FORMAT: return PushFormat(s, step);
    }
    return STEP_DONE;
}

const char* const kStepNames[] = {"click", "pick", "type", "drag", "answer", "wait-status", "wait-window",
                                  "wait-enabled", "wait-image", "pause", "screenshot", "screenshot-at", "exit",
                                  "window", "log-text", "command", "scroll", "wait-text", "mark", "watch-text",
                                  "format"};

void FinishScript(HostSession* s)
{
    g_run.finished = true;
    CheckCapturesTaken();
    HostLog("script done");
    PostMessageA(s->hostWindow, WM_HOST_CLOSE, 0, 0);
}

// Runs steps until one waits or has left messages for the dialog to handle.
void RunSteps(HostSession* s)
{
    while (g_run.next < g_run.steps.size()) {
        const ScriptStep& step = g_run.steps[g_run.next];
        if (!g_run.stepBegun) {
            g_run.stepStarted = GetTickCount();
            HostLog("step %d: %s", step.line, kStepNames[step.kind]);
        }
        const StepResult result = RunStep(s, step);
        g_run.stepBegun = true;
        if (result == STEP_WAITING)
            return;
        g_run.stepBegun = false;
        ++g_run.next;
        if (result == STEP_YIELD)
            return;
    }
    FinishScript(s);
}

void CALLBACK OnScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    // Steps can pump messages (painting, a box), and the timer fires again
    // inside them: one step at a time.
    if (g_run.busy || g_run.finished)
        return;
    g_run.busy = true;
    if (SecondsSince(g_run.runStarted) > g_run.runSeconds)
        FailRun(0, "the run took longer than " + std::to_string(static_cast<int>(g_run.runSeconds)) + " s");
    std::string why;
    if (BoxAnswerFailed(&why))
        FailRun(0, "answer: " + why);
    RunSteps(g_run.session);
    g_run.busy = false;
}

} // namespace

void StartScript(HostSession* s, const std::vector<ScriptStep>& steps, double runSeconds)
{
    g_run.session = s;
    g_run.steps = steps;
    g_run.next = 0;
    g_run.runStarted = GetTickCount();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    g_run.runStartedPrecise = now.QuadPart;
    // Lets a measuring run put the library's own spans on the marks' clock.
    HostLog("run clock origin %lld", static_cast<long long>(now.QuadPart));
    g_run.runSeconds = runSeconds;
    g_run.stepBegun = false;
    g_run.busy = false;
    g_run.finished = false;
    g_run.imagesWaitedFor = 0;
    g_run.captures.clear();
    g_run.addressed.clear();
    StartBoxAnswers();
    SetTimer(nullptr, 0, kTickMs, OnScriptTick);
}

void OnScriptScanFinished(void)
{
    if (g_run.session)
        HostLog("mark scan-finished at %.6f s", RunSeconds());
}

void OnScriptProgress(HostSession* s)
{
    const ScanSettings* settings = s->ds.ScanSettings;
    for (ArmedCapture& c : g_run.captures) {
        if (c.taken || settings->scanState != 1 || settings->progressPercent >= 100 ||
            settings->progressPercent < static_cast<uint32_t>(c.percent))
            continue;
        c.taken = true;
        HostLog("progress %u%%", settings->progressPercent);
        Screenshot(s->dialog, c.line, c.file);
    }
}
