#include "main_dialog_stub.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "box_responder.h"
#include "digitizer/toolkit.h"
#include "frame/clock.h"
#include "frame/status_line.h"
#include "pipeline/preview_area.h"
#include "scanner/scanner_init.h"
#include "test_files.h"
#include "res/resource.h"

// Posted rather than sent so that it only lands when the pipeline pumps,
// and not a WM_COMMAND, which the pump keeps from the dialog.
static const UINT WM_STUB_CLICK_CANCEL = WM_APP + 11;

static HWND g_dialog = nullptr;
static std::vector<std::string> g_status;
static std::map<int, int> g_commands;
static int g_closes = 0, g_progressCount = 0, g_cancelAfterProgress = 0, g_cancelFilm = 0;

// In front of the status line's writer while the stub is open, as the
// virtual clock stands in front of the real one.
static void RecordStatus(HWND dialog, const char* text, bool paintNow)
{
    if (dialog == g_dialog)
        g_status.push_back(text);
    WriteStatusControl(dialog, text, paintNow);
}

static void OnCancel(HWND dialog)
{
    DSData* ds = reinterpret_cast<DSData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (ds && ds->ScanSettings && ds->ScanSettings->scanState == 1) {
        ds->ScanSettings->scanState = 0;
        ds->ScanSettings->stopBatch = 1;
    }
}

static void OnCommand(HWND dialog, int id)
{
    ++g_commands[id];
    DSData* ds = reinterpret_cast<DSData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    const bool counted = id == IDM_REPAINT_PROGRESS && ds &&
                         (g_cancelFilm == 0 || int(ds->ScanSettings->currentFilm) == g_cancelFilm);
    if (id == IDCANCEL || (counted && g_cancelAfterProgress && ++g_progressCount >= g_cancelAfterProgress))
        OnCancel(dialog);
}

static INT_PTR CALLBACK ScanDialogStubProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    // As the real dialog: the preview area sees every message first.
    if (PreviewDialogProc(dialog, message, wParam, lParam))
        return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return TRUE;
    case WM_STUB_CLICK_CANCEL:
        OnCancel(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        ++g_closes;
        return TRUE;
    case WM_NCDESTROY:
        if (dialog == g_dialog) {
            g_dialog = nullptr;
            StatusLineUseWriter(nullptr);
        }
        return FALSE;
    }
    return FALSE;
}

HWND CreateScanDialogStub(DSData* ds)
{
    ResetScanDialogStub();
    g_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                  ScanDialogStubProc, reinterpret_cast<LPARAM>(ds));
    if (g_dialog)
        StatusLineUseWriter(RecordStatus);
    return g_dialog;
}

void ResetScanDialogStub(void)
{
    g_status.clear();
    g_commands.clear();
    g_closes = g_progressCount = g_cancelAfterProgress = g_cancelFilm = 0;
}

std::string StubStatusText(void) { return g_dialog ? DialogText(g_dialog, IDC_STATUS) : std::string(); }
const std::vector<std::string>& StubStatusHistory(void) { return g_status; }
int StubCommandsReceived(int id) { return g_commands.count(id) ? g_commands[id] : 0; }
int StubCloseRequests(void) { return g_closes; }

void StubCancelAfterProgress(int n, int film)
{
    g_progressCount = 0;
    g_cancelAfterProgress = n;
    g_cancelFilm = film;
}

void StubClickCancel(void) { PostMessageA(g_dialog, WM_STUB_CLICK_CANCEL, 0, 0); }

std::string DialogText(HWND dialog, int id)
{
    char text[512] = {0};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::vector<uint8_t> BitmapBits(HBITMAP bitmap)
{
    BITMAP header = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof header, &header))
        return {};
    std::vector<uint8_t> bits(static_cast<size_t>(header.bmWidthBytes) * header.bmHeight);
    GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data());
    return bits;
}

bool SelectListText(HWND dialog, int id, const std::string& text)
{
    LRESULT index = SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR)
        return false;
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
}

void DigitizerSessionTest::Open(int (*loader)(void))
{
    StartTestSession(&s);
    BoxResponderStart();
    SetToolkitLoader(loader);
    ClockUseVirtual(0);
    main = CreateScanDialogStub(&s.ds);
    ASSERT_NE(main, nullptr);
    s.host.mainDialog = main;
}

void DigitizerSessionTest::StartDigitizer(const std::string& config, bool startUp)
{
    configPath = TestTempPath("digitizer.ini");
    callLogPath = TestTempPath("digitizer.log");
    std::ofstream(configPath) << config << "\ncallLog = " << callLogPath << "\n";
    SetEnvironmentVariableA("SCANKIT_CONFIG", configPath.c_str());
    Open(nullptr);
    s.host.instance = GetModuleHandleA(nullptr);
    if (!startUp || HasFatalFailure())
        return;
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
    if (!main)
        return;
    DestroyWindow(main);
    main = nullptr;
    PumpPending();
    BoxResponderStop();
    SetToolkitLoader(nullptr);
    ToolkitUnbind();
    SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);
    ClockUseReal();
    DeInitDSData();
    std::remove(configPath.c_str());
    std::remove(callLogPath.c_str());
}
