#include "host_boxes.h"

#include <windows.h>

#include <deque>
#include <set>

#include "host_log.h"
#include "host_script.h"
#include "host_watch.h"

namespace {

HHOOK g_hook = nullptr;
std::deque<int> g_answers;
std::set<HWND> g_seen;
std::string g_failure;

// The static control the system puts a message box's text in.
const int kMessageTextId = 0xFFFF;

std::string TextOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsDialogWindow(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

int DefaultButton(HWND box)
{
    const LRESULT id = SendMessageA(box, DM_GETDEFID, 0, 0);
    if (HIWORD(id) == DC_HASDEFID && GetDlgItem(box, LOWORD(id)))
        return LOWORD(id);
    for (int candidate : {IDOK, IDCANCEL, IDNO})
        if (GetDlgItem(box, candidate))
            return candidate;
    return IDCANCEL;
}

void AnswerBox(HWND box)
{
    int button = DefaultButton(box);
    const char* how = "default";
    if (!g_answers.empty()) {
        const int wanted = g_answers.front();
        g_answers.pop_front();
        if (GetDlgItem(box, wanted)) {
            button = wanted;
            how = "scripted";
        } else if (g_failure.empty()) {
            g_failure = std::string("the box had no ") + ButtonName(wanted) + " button";
        }
    }
    HostLog("box \"%s\" \"%s\" -> %s (%s)", OneLine(TextOf(box)).c_str(),
            OneLine(TextOf(GetDlgItem(box, kMessageTextId))).c_str(), ButtonName(button), how);
    // Posted: the box must finish its activation before it can close.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && IsDialogWindow(window) && !g_seen.count(window)) {
        g_seen.insert(window);
        if (GetDlgItem(window, kMessageTextId))
            AnswerBox(window);
        else {
            HostLog("dialog \"%s\" shown", OneLine(TextOf(window)).c_str());
            OnDialogActivated(window);
        }
    } else if (code == HCBT_DESTROYWND) {
        g_seen.erase(window);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace

void StartBoxAnswers(void)
{
    if (!g_hook)
        g_hook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

void StopBoxAnswers(void)
{
    if (g_hook)
        UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

void QueueBoxAnswer(int button) { g_answers.push_back(button); }

bool BoxAnswerFailed(std::string* why)
{
    if (g_failure.empty())
        return false;
    *why = g_failure;
    return true;
}
