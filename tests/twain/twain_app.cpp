// An imaging application of our own: it reaches the source only through the
// source manager (twain_32.dll), with its own message loop, and prints what
// it was told; the images it receives go to files that twain_e2e.py reads.
//   twain_app open
//   twain_app acquire MECH DEPTH OUTDIR [tiff|bmp|LINES]   MECH memory, native or file;
//                                                    memory strips of LINES lines (else the preferred size)
//   twain_app batch OUTDIR                           three films through the feeder
//   twain_app shownbatch OUTDIR                      the same in multi-film mode, the dialog shown
//   twain_app ui OUTDIR                              Scan pressed in the shown dialog
//   twain_app quiet                                  a hidden scan that fails
//   twain_app negotiate                              what the source refuses
//   twain_app notes OUTDIR                           hidden, shown, and shown again in a new session;
//                                                    message boxes answered OK and printed
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "twain_types.h"

namespace {

DSMENTRYPROC g_dsm;
TW_IDENTITY g_app;
TW_IDENTITY g_source;
HWND g_window;

TW_UINT16 Manager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return g_dsm(&g_app, nullptr, dg, dat, msg, data);
}

TW_UINT16 Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return g_dsm(&g_app, &g_source, dg, dat, msg, data);
}

TW_UINT16 Condition()
{
    TW_STATUS status = {};
    Source(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return status.ConditionCode;
}

[[noreturn]] void Fatal(const char* what)
{
    printf("FATAL %s\n", what);
    fflush(stdout);
    ExitProcess(2);
}

void OpenManager()
{
    HMODULE dsm = LoadLibraryA("twain_32.dll");
    g_dsm = dsm ? (DSMENTRYPROC)(void*)GetProcAddress(dsm, "DSM_Entry") : nullptr;
    if (!g_dsm)
        Fatal("no twain_32.dll");
    g_app.Version.MajorNum = 1;
    g_app.Version.Language = TWLG_ENGLISH;
    g_app.Version.Country = TWCY_USA;
    lstrcpynA(g_app.Version.Info, "test", sizeof g_app.Version.Info);
    g_app.ProtocolMajor = TWON_PROTOCOLMAJOR;
    g_app.ProtocolMinor = TWON_PROTOCOLMINOR;
    g_app.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    lstrcpynA(g_app.Manufacturer, "FilmCore tests", sizeof g_app.Manufacturer);
    lstrcpynA(g_app.ProductFamily, "Tests", sizeof g_app.ProductFamily);
    lstrcpynA(g_app.ProductName, "twain_app", sizeof g_app.ProductName);
    g_window = CreateWindowA("STATIC", "twain_app", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (Manager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &g_window) != TWRC_SUCCESS)
        Fatal("MSG_OPENDSM");
}

// The manager's list, searched for our source.
void FindSource()
{
    TW_IDENTITY id = {};
    for (TW_UINT16 rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id); rc == TWRC_SUCCESS;
         rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &id)) {
        printf("listed %s\n", id.ProductName);
        if (strcmp(id.ProductName, "FilmTwain") == 0) {
            g_source = id;
            return;
        }
        memset(&id, 0, sizeof id);
    }
    Fatal("FilmTwain not listed");
}

void OpenSource()
{
    TW_IDENTITY id = g_source;
    if (Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &id) != TWRC_SUCCESS)
        Fatal("MSG_OPENDS");
    g_source = id;
}

void CloseSource()
{
    TW_IDENTITY id = g_source;
    printf("closeds %u\n", Manager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &id));
}

TW_UINT16 SetOne(TW_UINT16 cap, TW_UINT16 type, TW_UINT32 item)
{
    TW_CAPABILITY c = {cap, TWON_ONEVALUE, GlobalAlloc(GHND, sizeof(TW_ONEVALUE))};
    TW_ONEVALUE* one = (TW_ONEVALUE*)GlobalLock(c.hContainer);
    one->ItemType = type;
    one->Item = item;
    GlobalUnlock(c.hContainer);
    const TW_UINT16 rc = Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    GlobalFree(c.hContainer);
    return rc;
}

TW_UINT32 Current(TW_UINT16 cap)
{
    TW_CAPABILITY c = {cap, TWON_DONTCARE16, nullptr};
    if (Source(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &c) != TWRC_SUCCESS || !c.hContainer)
        return 0xffffffffu;
    TW_ONEVALUE* one = (TW_ONEVALUE*)GlobalLock(c.hContainer);
    const TW_UINT32 item = one->Item;
    GlobalUnlock(c.hContainer);
    GlobalFree(c.hContainer);
    return item;
}

// A TW_FIX32 as a container's item carries it: Whole in the low half.
TW_UINT32 Fix(TW_UINT16 whole)
{
    return whole;
}

void Negotiate(const char* mech, TW_UINT16 depth)
{
    const TW_UINT16 mechanism = strcmp(mech, "memory") == 0 ? TWSX_MEMORY
                                : strcmp(mech, "file") == 0 ? TWSX_FILE : TWSX_NATIVE;
    const struct { TW_UINT16 cap, type; TW_UINT32 item; } settings[] = {
        {ICAP_XFERMECH, TWTY_UINT16, mechanism},
        {ICAP_PIXELTYPE, TWTY_UINT16, (TW_UINT32)(depth == 1 ? TWPT_BW : TWPT_GRAY)},
        {ICAP_BITDEPTH, TWTY_UINT16, depth},
        {ICAP_XRESOLUTION, TWTY_FIX32, Fix(75)},
        {CAP_INDICATORS, TWTY_BOOL, 0},
    };
    for (const auto& c : settings)
        if (SetOne(c.cap, c.type, c.item) != TWRC_SUCCESS) {
            printf("cap %04x cc %u\n", c.cap, Condition());
            Fatal("negotiation");
        }
    // A region of the bed, so the image is small and its edges are ours: the
    // film's left edge (centred on the bed) and leading edge, bar code included.
    TW_IMAGELAYOUT layout = {};
    layout.Frame = {{1, 0}, {0, 0}, {11, 0}, {12, 0}};
    if (Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout) == TWRC_FAILURE)
        Fatal("layout");
}

// ---- One transfer -------------------------------------------------------------

std::string g_outDir;
int g_images;

std::string OutPath(const char* kind, const char* extension)
{
    char name[64];
    snprintf(name, sizeof name, "\\%s-%d.%s", kind, ++g_images, extension);
    return g_outDir + name;
}

void WriteBytes(const std::string& path, const void* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size)
        Fatal("write");
    fclose(f);
}

void PrintInfo(const char* when)
{
    TW_IMAGEINFO info = {};
    const TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    printf("info %s rc %u width %d length %d bits %d pixel %d xres %d\n", when, rc, info.ImageWidth,
           info.ImageLength, info.BitsPerPixel, info.PixelType, info.XResolution.Whole);
}

// The digitizer starts its record afresh when it is next programmed, so
// each image's record is kept beside the image (TWAIN_TRUTH names it).
void KeepTruth()
{
    const char* truth = getenv("TWAIN_TRUTH");
    char name[64];
    snprintf(name, sizeof name, "\\truth-%d.raw", g_images);
    if (truth && !CopyFileA(truth, (g_outDir + name).c_str(), FALSE))
        Fatal("copy the digitizer's record");
}

TW_UINT16 MemoryXfer(TW_UINT32 bufferLines)
{
    TW_SETUPMEMXFER setup = {};
    Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    const TW_UINT32 size = bufferLines ? setup.MinBufSize * bufferLines : setup.Preferred;
    std::vector<uint8_t> buffer(size), image;
    TW_UINT32 rows = 0, columns = 0, perRow = 0, strips = 0;
    std::string stripRows;
    TW_UINT16 rc;
    do {
        TW_IMAGEMEMXFER x = {};
        x.Memory = {TWMF_APPOWNS | TWMF_POINTER, size, buffer.data()};
        rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE)
            break;
        if (x.YOffset != rows || x.BytesWritten != x.Rows * x.BytesPerRow)
            Fatal("strip out of place");
        image.insert(image.end(), buffer.begin(), buffer.begin() + x.BytesWritten);
        rows += x.Rows;
        columns = x.Columns;
        perRow = x.BytesPerRow;
        ++strips;
        stripRows += " " + std::to_string(x.Rows);
    } while (rc == TWRC_SUCCESS);
    printf("memory rc %u cc %u strips %u columns %u rows %u perrow %u\n", rc,
           rc == TWRC_FAILURE ? Condition() : 0, strips, columns, rows, perRow);
    printf("buffer %u strip rows%s\n", size, stripRows.c_str());
    if (rc == TWRC_XFERDONE)
        WriteBytes(OutPath("memory", "raw"), image.data(), image.size());
    return rc;
}

TW_UINT16 NativeXfer()
{
    TW_HANDLE dib = nullptr;
    const TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib);
    printf("native rc %u\n", rc);
    if (rc != TWRC_XFERDONE || !dib)
        return rc;
    const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)GlobalLock(dib);
    const size_t size = GlobalSize(dib);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4d42;
    file.bfSize = (DWORD)(sizeof file + size);
    file.bfOffBits = (DWORD)(sizeof file + h->biSize + 4 * h->biClrUsed);
    std::vector<uint8_t> bytes((const uint8_t*)&file, (const uint8_t*)&file + sizeof file);
    bytes.insert(bytes.end(), (const uint8_t*)h, (const uint8_t*)h + size);
    GlobalUnlock(dib);
    GlobalFree(dib);
    WriteBytes(OutPath("native", "bmp"), bytes.data(), bytes.size());
    return rc;
}

TW_UINT16 FileXfer(const char* format)
{
    TW_SETUPFILEXFER setup = {};
    const bool tiff = strcmp(format, "tiff") == 0;
    lstrcpynA(setup.FileName, OutPath("file", tiff ? "tif" : "bmp").c_str(), sizeof setup.FileName);
    setup.Format = tiff ? TWFF_TIFF : TWFF_BMP;
    if (Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS)
        Fatal("setup file transfer");
    const TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    printf("file rc %u\n", rc);
    return rc;
}

// ---- The loop ---------------------------------------------------------------

struct Job {
    const char* mech;
    const char* format;
    TW_UINT32 bufferLines;   // memory strips of this many lines; 0 the preferred size
    bool pressScan, closeDialog, cancelMidway;
    bool multiFilm = false;   // the operator ticks Multi-Film Mode, and Save To Disk off again, before Scan
};

HWND FindMainDialog()
{
    struct Search {
        static BOOL CALLBACK Each(HWND w, LPARAM p)
        {
            if (IsWindowVisible(w) && GetDlgItem(w, 1003)) {
                *(HWND*)p = w;
                return FALSE;
            }
            return TRUE;
        }
    };
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), Search::Each, (LPARAM)&found);
    return found;
}

void Press(HWND dialog, int id, bool post)
{
    const WPARAM w = MAKEWPARAM(id, BN_CLICKED);
    const LPARAM l = (LPARAM)GetDlgItem(dialog, id);
    if (post)
        PostMessageA(dialog, WM_COMMAND, w, l);
    else
        SendMessageA(dialog, WM_COMMAND, w, l);
}

TW_UINT16 TransferOne(const Job& job)
{
    PrintInfo("before");
    if (job.cancelMidway) {
        // One strip, then the operator's Cancel in the dialog.
        TW_SETUPMEMXFER setup = {};
        Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
        std::vector<uint8_t> buffer(setup.MinBufSize);
        TW_IMAGEMEMXFER x = {};
        x.Memory = {TWMF_APPOWNS | TWMF_POINTER, setup.MinBufSize, buffer.data()};
        TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        Press(FindMainDialog(), IDCANCEL, false);
        rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        printf("cancelled rc %u\n", rc);
        return rc;
    }
    TW_UINT16 rc;
    if (strcmp(job.mech, "memory") == 0)
        rc = MemoryXfer(job.bufferLines);
    else if (strcmp(job.mech, "file") == 0)
        rc = FileXfer(job.format);
    else
        rc = NativeXfer();
    if (rc == TWRC_XFERDONE) {
        PrintInfo("after");
        KeepTruth();
    }
    return rc;
}

// Enables the source and runs the loop until the job is over; true when the
// source asked to be closed.
bool RunJob(const Job& job)
{
    TW_USERINTERFACE ui = {(TW_BOOL)(job.pressScan ? 1 : 0), 0, g_window};
    if (Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS) {
        printf("enable failed cc %u\n", Condition());
        return false;
    }
    if (job.pressScan) {
        HWND dialog = FindMainDialog();
        printf("dialog %s\n", dialog ? "shown" : "missing");
        if (!dialog)
            return false;
        if (job.multiFilm) {
            Press(dialog, 6038, false);
            Press(dialog, 6034, false);   // the images go to the application, not to files
        }
        Press(dialog, 1003, true);
    }
    SetTimer(g_window, 1, 200000, nullptr);   // a loop that never ends fails the test
    bool closeAsked = false, done = false;
    MSG msg;
    while (!done && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == g_window && msg.message == WM_TIMER)
            Fatal("no end to the job");
        TW_EVENT event = {&msg, MSG_NULL};
        const TW_UINT16 rc = Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
        if (event.TWMessage == MSG_XFERREADY) {
            printf("xferready\n");
            TW_PENDINGXFERS pending = {};
            do {
                TW_UINT16 xrc = TransferOne(job);
                pending = {};
                Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
                printf("pending %u after rc %u\n", pending.Count, xrc);
            } while (pending.Count > 0);
            if (job.closeDialog)
                PostMessageA(FindMainDialog(), WM_CLOSE, 0, 0);
            else if (!job.pressScan)
                done = true;
        } else if (event.TWMessage == MSG_CLOSEDSREQ) {
            printf("closedsreq cc %u\n", Condition());
            closeAsked = done = true;
        }
        if (rc == TWRC_NOTDSEVENT) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    KillTimer(g_window, 1);
    printf("disable %u\n", Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui));
    return closeAsked;
}

// ---- Cases ------------------------------------------------------------------

void CaseOpen()
{
    for (int round = 0; round < 3; ++round) {
        OpenSource();
        TW_IDENTITY id = {};
        const TW_UINT16 rc = Source(DG_CONTROL, DAT_IDENTITY, MSG_GET, &id);
        printf("identity %u %s/%s/%s protocol %u.%u groups %08lx\n", rc, id.Manufacturer, id.ProductFamily,
               id.ProductName, id.ProtocolMajor, id.ProtocolMinor, (unsigned long)id.SupportedGroups);
        CloseSource();
    }
}

void CaseAcquire(const char* mech, int depth, const char* format)
{
    OpenSource();
    Negotiate(mech, (TW_UINT16)depth);
    const bool memory = strcmp(mech, "memory") == 0;
    RunJob({mech, format, memory ? (TW_UINT32)atoi(format) : 0, false, false, false});
    CloseSource();
}

void CaseBatch()
{
    OpenSource();
    Negotiate("native", 8);
    if (SetOne(CAP_FEEDERENABLED, TWTY_BOOL, 1) != TWRC_SUCCESS || SetOne(CAP_XFERCOUNT, TWTY_INT16, 3) != TWRC_SUCCESS)
        Fatal("feeder");
    RunJob({"native", "", 0, false, false, false});
    CloseSource();
}

// The same films with the dialog shown, the operator scanning in
// multi-film mode.
void CaseShownBatch()
{
    OpenSource();
    Negotiate("native", 8);
    if (SetOne(CAP_FEEDERENABLED, TWTY_BOOL, 1) != TWRC_SUCCESS || SetOne(CAP_XFERCOUNT, TWTY_INT16, 3) != TWRC_SUCCESS)
        Fatal("feeder");
    Job job = {"native", "", 0, true, true, false};
    job.multiFilm = true;
    RunJob(job);
    CloseSource();
}

// The feeder cannot stage the film: the source asks to be closed and says
// why, and no box waits for an operator who is not there.
void CaseQuiet()
{
    OpenSource();
    Negotiate("memory", 8);
    if (SetOne(CAP_FEEDERENABLED, TWTY_BOOL, 1) != TWRC_SUCCESS)
        Fatal("feeder");
    printf("job closed %d\n", RunJob({"memory", "", 0, false, false, false}));
    CloseSource();
}

void CaseUi()
{
    OpenSource();
    Negotiate("memory", 8);
    printf("job closed %d\n", RunJob({"memory", "", 0, true, true, false}));
    printf("job cancelled %d\n", RunJob({"memory", "", 0, true, true, true}));
    CloseSource();
}

// An operator who reads every message box and presses OK.
HHOOK g_boxHook;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = (HWND)wParam;
    char className[16] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA(window, className, sizeof className) &&
        strcmp(className, "#32770") == 0 && GetDlgItem(window, 0xFFFF)) {
        char caption[64] = "", text[1024] = "";
        GetWindowTextA(window, caption, sizeof caption);
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        std::string written;
        for (const char* c = text; *c; ++c)
            written += *c == '\r' ? "\\r" : *c == '\n' ? "\\n" : std::string(1, *c);
        printf("box %s: %s\n", caption, written.c_str());
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(window, IDOK));
    }
    return CallNextHookEx(g_boxHook, code, wParam, lParam);
}

// The staging note of a fresh installation waits for the first dialog an
// operator sees, and comes once.
void CaseNotes()
{
    g_boxHook = SetWindowsHookExA(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
    OpenSource();
    Negotiate("memory", 8);
    printf("-- hidden session\n");
    RunJob({"memory", "", 0, false, false, false});
    printf("-- shown\n");
    RunJob({"memory", "", 0, true, true, false});
    CloseSource();
    OpenSource();
    Negotiate("memory", 8);
    printf("-- new session shown\n");
    RunJob({"memory", "", 0, true, true, false});
    CloseSource();
    UnhookWindowsHookEx(g_boxHook);
}

void Report(const char* what, TW_UINT16 rc)
{
    printf("%s rc %u cc %u\n", what, rc, rc == TWRC_SUCCESS ? 0 : Condition());
}

void CaseNegotiate()
{
    TW_USERINTERFACE ui = {0, 0, g_window};
    OpenSource();
    Report("resolution 1234", SetOne(ICAP_XRESOLUTION, TWTY_FIX32, Fix(1234)));
    printf("resolution now %u\n", Current(ICAP_XRESOLUTION) & 0xffff);
    // The one image of a flatbed is document 1, page 1, frame 1, whatever
    // the application's record held.
    for (TW_UINT16 msg : {MSG_GET, MSG_GETDEFAULT}) {
        TW_IMAGELAYOUT layout;
        memset(&layout, 0xff, sizeof layout);
        Source(DG_IMAGE, DAT_IMAGELAYOUT, msg, &layout);
        printf("layout %u numbers %u %u %u\n", msg, (unsigned)layout.DocumentNumber, (unsigned)layout.PageNumber,
               (unsigned)layout.FrameNumber);
    }
    Report("depth 4", SetOne(ICAP_BITDEPTH, TWTY_UINT16, 4));
    Report("unsupported cap", SetOne(0x1030, TWTY_UINT16, 1));
    Report("wrong item type", SetOne(ICAP_BITDEPTH, TWTY_FIX32, 8));
    TW_CAPABILITY empty = {ICAP_BITDEPTH, TWON_ONEVALUE, nullptr};
    Report("null container", Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &empty));
    TW_CAPABILITY shortOne = {ICAP_BITDEPTH, TWON_ONEVALUE, GlobalAlloc(GHND, 3)};
    Report("short container", Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &shortOne));
    GlobalFree(shortOne.hContainer);
    Report("null data", Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, nullptr));
    TW_SETUPFILEXFER unterminated;
    memset(&unterminated, 'x', sizeof unterminated);
    unterminated.Format = TWFF_TIFF;
    Report("unterminated name", Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &unterminated));
    TW_IMAGEINFO info = {};
    Report("info in state 4", Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info));
    TW_PENDINGXFERS pending = {};
    Report("endxfer in state 4", Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending));
    Report("disable in state 4", Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui));
    Report("unknown triplet", Source(DG_CONTROL, DAT_XFERGROUP, MSG_SET, &pending));
    SetOne(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY);
    SetOne(CAP_INDICATORS, TWTY_BOOL, 0);
    // Enabled and ready: settings are closed, short buffers are refused.
    Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    Report("set in state 5", SetOne(ICAP_BITDEPTH, TWTY_UINT16, 8));
    MSG msg;
    bool ready = false;
    SetTimer(g_window, 1, 200000, nullptr);
    while (!ready && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == g_window && msg.message == WM_TIMER)
            Fatal("no transfer ready");
        TW_EVENT event = {&msg, MSG_NULL};
        if (Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_NOTDSEVENT)
            DispatchMessageA(&msg);
        ready = event.TWMessage == MSG_XFERREADY;
    }
    TW_SETUPMEMXFER setup = {};
    Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    std::vector<uint8_t> buffer(setup.MinBufSize);
    TW_IMAGEMEMXFER x = {};
    x.Memory = {TWMF_APPOWNS | TWMF_POINTER, setup.MinBufSize - 1, buffer.data()};
    Report("buffer short of a line", Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x));
    x.Memory = {TWMF_APPOWNS | TWMF_POINTER, setup.MinBufSize, nullptr};
    Report("no buffer", Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x));
    Report("native without a handle", Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, nullptr));
    Report("enable in state 6", Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui));
    Report("reset", Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending));
    printf("pending after reset %u\n", pending.Count);
    Report("disable", Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui));
    CloseSource();
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);   // what was printed survives a hang
    if (argc < 2)
        Fatal("usage");
    OpenManager();
    FindSource();
    const std::string which = argv[1];
    g_outDir = argc > 2 ? argv[argc > 4 ? 4 : 2] : ".";
    if (which == "open")
        CaseOpen();
    else if (which == "acquire" && argc >= 5)
        CaseAcquire(argv[2], atoi(argv[3]), argc > 5 ? argv[5] : "bmp");
    else if (which == "batch")
        CaseBatch();
    else if (which == "shownbatch")
        CaseShownBatch();
    else if (which == "ui")
        CaseUi();
    else if (which == "quiet")
        CaseQuiet();
    else if (which == "negotiate")
        CaseNegotiate();
    else if (which == "notes")
        CaseNotes();
    else
        Fatal("unknown case");
    printf("closedsm %u\n", Manager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &g_window));
    fflush(stdout);
    return 0;
}
