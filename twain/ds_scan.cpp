#include "ds_scan.h"

#include <string.h>

#include "ds_states.h"

namespace {

TW_ENTRYPOINT g_manager;

const int kScanButton = 1003;           // the main dialog's Scan
const UINT WM_SCAN_FIRST = WM_APP + 40; // posted to the owner: the hidden job starts

HHOOK g_quietHook;

bool IsDialogClass(const char* name)
{
    return IS_INTRESOURCE(name) ? LOWORD((ULONG_PTR)name) == 32770 : lstrcmpiA(name, "#32770") == 0;
}

// Refuses every dialog and message box FilmCore would open: the box's
// caller sees it fail, as if the operator had cancelled it.
LRESULT CALLBACK RefuseBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CBT_CREATEWNDA* create = (const CBT_CREATEWNDA*)lParam;
        if (create->lpcs && IsDialogClass(create->lpcs->lpszClass))
            return 1;
    }
    return CallNextHookEx(g_quietHook, code, wParam, lParam);
}

int JobFilms(const SourceSession* s)
{
    // Without the feeder one film lies in the digitizer.
    if (CapCurrent(&s->caps, CAP_FEEDERENABLED) == 0)
        return 1;
    const int count = (int)CapCurrent(&s->caps, CAP_XFERCOUNT);
    if (count > 0)
        return count;
    return s->scanner.feederCapacity > 0 ? s->scanner.feederCapacity : 1;
}

// The hidden scan takes the negotiated values only: the whole negotiated
// frame, nothing to disk, one film per Scan.
void PrepareHiddenScan(SourceSession* s)
{
    s->settings.autoSize = 0;
    s->settings.topCenter = 0;
    s->image.saveToDisk = 0;
    s->image.multiFilmMode = 0;
    PushFrame(s);
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCAN_FIRST) {
        SourceSession* s = reinterpret_cast<SourceSession*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (s && s->dialog && s->state == DS_ENABLED && !ScanNextFilm(s, true)) {
            // Nothing came of the job: the application hears why when it closes.
            s->condition = s->settings.stopBatch ? TWCC_SUCCESS : TWCC_OPERATIONERROR;
            PostNotice(s, MSG_CLOSEDSREQ);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

WNDPROC OwnerWindowProc()
{
    return OwnerProc;
}

void SetManagerEntry(const TW_ENTRYPOINT& entry)
{
    g_manager = entry;
}

const TW_ENTRYPOINT& ManagerEntry()
{
    return g_manager;
}

TW_UINT16 EnableSource(SourceSession* s, const TW_USERINTERFACE& ui)
{
    s->showUI = ui.ShowUI != 0;
    // The application's black and white stands for the operator's option,
    // or the dialog would take the depth back to 8 as it opens.
    if (CapCurrent(&s->caps, ICAP_BITDEPTH) == 1)
        s->image.bilevelScanning = 1;
    if (!s->dialog) {
        // A hidden dialog shows no note: the first-time note waits for the
        // first dialog an operator sees.
        const uint8_t firstTimeNote = s->image.flipWarningFirstTime;
        if (!s->showUI)
            s->image.flipWarningFirstTime = 0;
        s->dialog = (HWND)s->core.openFilmCoreDlg(&s->ds);
        if (!s->showUI)
            s->image.flipWarningFirstTime = firstTimeNote;
    }
    if (!s->dialog)
        return TWCC_OPERATIONERROR;
    // The source hands every image on as a memory transfer, whatever the
    // stored choice of the host's transfer path.
    s->image.memTransferEnabled = 1;
    s->filmsLeft = JobFilms(s);
    s->notice = 0;
    s->announce = true;
    s->state = DS_ENABLED;
    if (s->showUI) {
        ShowWindow(s->dialog, SW_SHOW);
        SetForegroundWindow(s->dialog);
    } else {
        PostMessageA(s->owner, WM_SCAN_FIRST, 0, 0);
    }
    return TWCC_SUCCESS;
}

void DisableSource(SourceSession* s)
{
    EndScannedImage(s);
    if (s->dialog)
        DestroyWindow(s->dialog);
    s->dialog = nullptr;
    s->notice = 0;
    s->state = DS_OPEN;
}

bool ScanNextFilm(SourceSession* s, bool announce)
{
    EndScannedImage(s);
    s->announce = announce;
    if (!s->showUI)
        PrepareHiddenScan(s);
    BeginQuiet(s);
    SendMessageA(s->dialog, WM_COMMAND, MAKEWPARAM(kScanButton, BN_CLICKED),
                 (LPARAM)GetDlgItem(s->dialog, kScanButton));
    EndQuiet();
    return s->scanned.ready;
}

void BeginQuiet(const SourceSession* s)
{
    const bool quiet = !s->showUI || CapCurrent(&s->caps, CAP_INDICATORS) == 0;
    if (quiet && !g_quietHook)
        g_quietHook = SetWindowsHookExA(WH_CBT, RefuseBoxes, nullptr, GetCurrentThreadId());
}

void EndQuiet()
{
    if (g_quietHook)
        UnhookWindowsHookEx(g_quietHook);
    g_quietHook = nullptr;
}

bool FeederInUse(const SourceSession* s)
{
    return CapCurrent(&s->caps, CAP_FEEDERENABLED) != 0 || (s->showUI && s->image.multiFilmMode);
}

void EndScannedImage(SourceSession* s)
{
    ScannedImage& image = s->scanned;
    if (image.ready && (!image.complete || image.finishPending))
        s->core.memStopScan(&s->ds);
    image = ScannedImage();
}

void OnFilmScanned(DSData* ds)
{
    SourceSession* s = SessionOfRecord(ds);
    if (!s)
        return;
    // A memory transfer is ready when FilmCore marks the scan complete and
    // calls us from inside its start; anything else is not ours to take.
    if (ds->ScanSettings->scanState != 2 || ds->OutputSettings->transferMode != 1)
        return;
    const ScanSettings& set = *ds->ScanSettings;
    ScannedImage& image = s->scanned;
    image = ScannedImage();
    image.ready = true;
    image.depth = set.bitDepth;
    image.dpi = set.resolution;
    const bool wholeFrame = (set.selectionFlags & 1) != 0;
    const uint32_t perLine = ds->ImageControl->bytesPerLine;
    image.width = wholeFrame ? (set.bitDepth > 8 ? perLine / 2 : perLine) : set.scanWidth;
    image.lineBytes = set.bitDepth == 1 ? (image.width + 7) / 8
                      : set.bitDepth == 8 ? image.width : 2 * image.width;
    s->state = DS_XFER_READY;
    if (s->filmsLeft <= 0)
        s->filmsLeft = 1;   // the operator scans on after the job
    if (s->announce)
        PostNotice(s, MSG_XFERREADY);
    s->announce = true;
}

void OnCloseRequested(DSData* ds)
{
    SourceSession* s = SessionOfRecord(ds);
    if (!s)
        return;
    PostNotice(s, MSG_CLOSEDSREQ);
}

void PostNotice(SourceSession* s, TW_UINT16 msg)
{
    s->notice = msg;
    if (g_manager.DSM_Entry &&
        g_manager.DSM_Entry(&s->self, &s->app, DG_CONTROL, DAT_NULL, msg, nullptr) == TWRC_SUCCESS) {
        s->notice = 0;
        return;
    }
    // Taken at the application's next MSG_PROCESSEVENT: make sure one comes.
    PostMessageA(s->owner, WM_NULL, 0, 0);
}

TW_UINT16 ProcessEvent(SourceSession* s, TW_EVENT* event)
{
    MSG* msg = (MSG*)event->pEvent;
    event->TWMessage = MSG_NULL;
    const bool dialogMessage = msg && s->dialog && s->showUI && IsDialogMessageA(s->dialog, msg);
    if (!s->notice)
        return dialogMessage ? TWRC_DSEVENT : TWRC_NOTDSEVENT;
    // The event now carries the notice, so the message it came with is
    // handled here rather than lost.
    if (msg && !dialogMessage) {
        TranslateMessage(msg);
        DispatchMessageA(msg);
    }
    event->TWMessage = s->notice;
    s->notice = 0;
    return TWRC_DSEVENT;
}
