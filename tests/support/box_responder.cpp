#include "box_responder.h"

#include <deque>

static HHOOK g_hook = nullptr;
static std::deque<BoxAnswer> g_script;
static std::vector<SeenBox> g_seen;

// Message box controls as the system lays them out.
static const int kMessageTextId = 0xFFFF;
static const int kMessageIconId = 0x0440;

static std::string WindowText(HWND w)
{
    char buffer[4096] = {0};
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

static BoxIcon IconOf(HWND box)
{
    HWND iconControl = GetDlgItem(box, kMessageIconId);
    HICON icon = iconControl ? reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0)) : nullptr;
    const struct { decltype(IDI_HAND) system; BoxIcon kind; } known[] = {{IDI_HAND, BOX_ICON_STOP},
        {IDI_EXCLAMATION, BOX_ICON_EXCLAMATION}, {IDI_QUESTION, BOX_ICON_QUESTION}, {IDI_ASTERISK, BOX_ICON_INFORMATION}};
    for (const auto& k : known)
        if (icon && icon == LoadIcon(nullptr, k.system))
            return k.kind;
    return BOX_ICON_NONE;
}

static std::vector<int> ButtonsOf(HWND box)
{
    static const int ids[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};
    std::vector<int> present;
    for (int id : ids)
        if (GetDlgItem(box, id))
            present.push_back(id);
    return present;
}

static int DefaultButton(const std::vector<int>& buttons)
{
    for (int preferred : {IDOK, IDCANCEL, IDNO})
        for (int b : buttons)
            if (b == preferred)
                return b;
    return buttons.empty() ? IDCANCEL : buttons.front();
}

static bool TakeAnswer(const SeenBox& box, BoxAnswer* out)
{
    for (auto it = g_script.begin(); it != g_script.end(); ++it) {
        bool match = it->caption.empty() ? box.isMessageBox : it->caption == box.caption;
        if (match) {
            *out = *it;
            g_script.erase(it);
            return true;
        }
    }
    return false;
}

static void OnDialogInitialised(HWND dialog)
{
    char className[64] = {0};
    GetClassNameA(dialog, className, sizeof className);
    if (std::string(className) != "#32770")
        return;
    SeenBox box{};
    box.window = dialog;
    box.isMessageBox = GetDlgItem(dialog, kMessageTextId) != nullptr &&
                       GetDlgItem(dialog, kMessageIconId) != nullptr;
    box.caption = WindowText(dialog);
    if (box.isMessageBox)
        box.text = WindowText(GetDlgItem(dialog, kMessageTextId));
    box.icon = box.isMessageBox ? IconOf(dialog) : BOX_ICON_NONE;
    box.buttons = ButtonsOf(dialog);
    BoxAnswer answer;
    if (TakeAnswer(box, &answer)) {
        if (answer.before)
            answer.before(dialog);
        box.answeredWith = answer.button;
    } else if (box.isMessageBox) {
        // Never leave a test hanging on an unexpected box.
        box.answeredWith = DefaultButton(box.buttons);
    }
    if (box.answeredWith) {
        HWND button = GetDlgItem(dialog, box.answeredWith);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(box.answeredWith, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    g_seen.push_back(box);
}

static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPRETSTRUCT* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (msg->message == WM_INITDIALOG)
            OnDialogInitialised(msg->hwnd);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

void BoxResponderStart(void)
{
    if (!g_hook)
        g_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, HookProc, nullptr, GetCurrentThreadId());
    BoxResponderClear();
}

void BoxResponderStop(void)
{
    if (g_hook)
        UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

void BoxResponderAdd(const BoxAnswer& answer) { g_script.push_back(answer); }
const std::vector<SeenBox>& BoxResponderSeen(void) { return g_seen; }

std::vector<SeenBox> BoxResponderMessageBoxes(void)
{
    std::vector<SeenBox> boxes;
    for (const SeenBox& b : g_seen)
        if (b.isMessageBox)
            boxes.push_back(b);
    return boxes;
}

void BoxResponderClear(void)
{
    g_seen.clear();
    g_script.clear();
}

void PumpPending(void)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string BoxLine(const SeenBox& box)
{
    static const char* const icons[] = {"none", "stop", "exclamation", "question", "information"};
    return box.caption + "|" + box.text + "|" + icons[box.icon];
}

std::vector<std::string> BoxResponderLines(void)
{
    std::vector<std::string> lines;
    for (const SeenBox& b : BoxResponderMessageBoxes())
        lines.push_back(b.caption + "|" + b.text + "|" + std::to_string(b.icon));
    return lines;
}
