// An imaging application of our own: it reaches the source only through the
// source manager (twain_32.dll), with its own message loop, and prints what
// it was told; the images it receives go to files that twain_e2e.py reads.
//   twain_app open
//   twain_app acquire MECH DEPTH OUTDIR [tiff|bmp|LINES] [vanilla] [undefined]
//                                                    MECH memory, native or file; memory strips of LINES
//                                                    lines (else the preferred size); 0 white; length -1 allowed
//   twain_app conformance SCRIPT                     the capabilities and triplets SCRIPT names, answers printed
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

#include "twain_client.h"
#include "twain_types.h"

namespace {

void OpenSource()
{
    if (TryOpenSource() != TWRC_SUCCESS)
        Fatal("MSG_OPENDS");
}

void CloseSource()
{
    printf("closeds %u\n", TryCloseSource());
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

bool g_vanilla, g_undefinedSize;

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
    if ((g_vanilla && SetOne(ICAP_PIXELFLAVOR, TWTY_UINT16, TWPF_VANILLA) != TWRC_SUCCESS) ||
        (g_undefinedSize && SetOne(ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, 1) != TWRC_SUCCESS))
        Fatal("flavour or undefined size");
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

// Runs the loop until the source says a transfer is ready (state 6).
void WaitForTransferReady()
{
    SetTimer(g_window, 1, 200000, nullptr);   // a loop that never ends fails the test
    MSG msg;
    bool ready = false;
    while (!ready && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == g_window && msg.message == WM_TIMER)
            Fatal("no transfer ready");
        TW_EVENT event = {&msg, MSG_NULL};
        if (Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_NOTDSEVENT)
            DispatchMessageA(&msg);
        ready = event.TWMessage == MSG_XFERREADY;
    }
    KillTimer(g_window, 1);
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
    SetOne(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY);
    SetOne(CAP_INDICATORS, TWTY_BOOL, 0);
    // Ready to transfer: short buffers are refused.
    Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    WaitForTransferReady();
    TW_SETUPMEMXFER setup = {};
    Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    std::vector<uint8_t> buffer(setup.MinBufSize);
    TW_IMAGEMEMXFER x = {};
    x.Memory = {TWMF_APPOWNS | TWMF_POINTER, setup.MinBufSize - 1, buffer.data()};
    Report("buffer short of a line", Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x));
    x.Memory = {TWMF_APPOWNS | TWMF_POINTER, setup.MinBufSize, nullptr};
    Report("no buffer", Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x));
    Report("native without a handle", Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, nullptr));
    TW_PENDINGXFERS pending = {};
    Report("reset", Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending));
    printf("pending after reset %u\n", pending.Count);
    Report("disable", Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui));
    CloseSource();
}

// ---- Conformance: what the script asks, answered line by line -------------------

// One item of a container as text: FIX32 as a number, a frame as its four edges.
std::string ItemText(TW_UINT16 type, const uint8_t* p)
{
    char text[96];
    TW_FIX32 f[4];
    switch (type) {
    case TWTY_FIX32:
        memcpy(f, p, 4);
        snprintf(text, sizeof text, "%g", f[0].Whole + f[0].Frac / 65536.0);
        break;
    case TWTY_FRAME:
        memcpy(f, p, 16);
        snprintf(text, sizeof text, "%g:%g:%g:%g", f[0].Whole + f[0].Frac / 65536.0, f[1].Whole + f[1].Frac / 65536.0,
                 f[2].Whole + f[2].Frac / 65536.0, f[3].Whole + f[3].Frac / 65536.0);
        break;
    case TWTY_INT16:
        snprintf(text, sizeof text, "%d", *(const TW_INT16*)p);
        break;
    case TWTY_INT32:
        snprintf(text, sizeof text, "%ld", (long)*(const TW_INT32*)p);
        break;
    case TWTY_UINT32:
        snprintf(text, sizeof text, "%lu", (unsigned long)*(const TW_UINT32*)p);
        break;
    default:
        snprintf(text, sizeof text, "%u", *(const TW_UINT16*)p);
        break;
    }
    return text;
}

size_t ItemBytes(TW_UINT16 type)
{
    return type == TWTY_FRAME ? 16 : type == TWTY_FIX32 || type == TWTY_INT32 || type == TWTY_UINT32 ? 4 : 2;
}

// "one TYPE VALUE", "enum TYPE CURRENT DEFAULT V,V", "array TYPE V,V", "range TYPE ...".
std::string ContainerText(const TW_CAPABILITY& c)
{
    if (!c.hContainer)
        return "none";
    const uint8_t* p = (const uint8_t*)GlobalLock(c.hContainer);
    const TW_UINT16 type = *(const TW_UINT16*)p;
    std::string text = std::to_string(type);
    if (c.ConType == TWON_ONEVALUE) {
        text = "one " + text + " " + ItemText(type, p + 2);
    } else if (c.ConType == TWON_ENUMERATION || c.ConType == TWON_ARRAY) {
        const TW_ENUMERATION* e = (const TW_ENUMERATION*)p;
        const bool list = c.ConType == TWON_ARRAY;
        const uint8_t* items = list ? ((const TW_ARRAY*)p)->ItemList : e->ItemList;
        text = (list ? "array " : "enum ") + text;
        if (!list)
            text += " " + std::to_string(e->CurrentIndex) + " " + std::to_string(e->DefaultIndex);
        text += " ";
        for (TW_UINT32 i = 0; i < e->NumItems; ++i)
            text += (i ? "," : "") + ItemText(type, items + i * ItemBytes(type));
        if (!e->NumItems)
            text += "-";
    } else {
        text = "con " + std::to_string(c.ConType);
    }
    GlobalUnlock(c.hContainer);
    return text;
}

void AskCap(TW_UINT16 cap, TW_UINT16 msg, const char* name)
{
    TW_CAPABILITY c = {cap, TWON_DONTCARE16, nullptr};
    const TW_UINT16 rc = Source(DG_CONTROL, DAT_CAPABILITY, msg, &c);
    const TW_UINT16 cc = rc == TWRC_FAILURE ? Condition() : 0;
    printf("cap %04x %s rc %u cc %u %s\n", cap, name, rc, cc, rc == TWRC_FAILURE ? "none" : ContainerText(c).c_str());
    if (c.hContainer)
        GlobalFree(c.hContainer);
}

// A TW_ONEVALUE of `type` from the script's words: an integer, a FIX32's
// number, or a frame's four edges.
void SetCap(TW_UINT16 cap, TW_UINT16 type, const std::vector<double>& values)
{
    TW_CAPABILITY c = {cap, TWON_ONEVALUE, GlobalAlloc(GHND, 2 + 16)};
    uint8_t* p = (uint8_t*)GlobalLock(c.hContainer);
    *(TW_UINT16*)p = type;
    for (size_t i = 0; i < values.size() && i < 4; ++i) {
        if (type == TWTY_FIX32 || type == TWTY_FRAME) {
            const TW_FIX32 f = {(TW_INT16)values[i], (TW_UINT16)((values[i] - (TW_INT16)values[i]) * 65536)};
            memcpy(p + 2 + 4 * i, &f, 4);
        } else {
            const TW_UINT32 item = (TW_UINT32)(TW_INT32)values[i];
            memcpy(p + 2, &item, 4);
        }
    }
    GlobalUnlock(c.hContainer);
    const TW_UINT16 rc = Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    printf("cap %04x set rc %u cc %u\n", cap, rc, rc == TWRC_FAILURE ? Condition() : 0);
    GlobalFree(c.hContainer);
}

// Every message on one capability, the set with the script's value.
void ProbeCap(TW_UINT16 cap, TW_UINT16 type, const std::vector<double>& values)
{
    AskCap(cap, MSG_QUERYSUPPORT, "querysupport");
    AskCap(cap, MSG_GET, "get");
    AskCap(cap, MSG_GETCURRENT, "getcurrent");
    AskCap(cap, MSG_GETDEFAULT, "getdefault");
    SetCap(cap, type, values);
    AskCap(cap, MSG_GETCURRENT, "afterset");
    AskCap(cap, MSG_RESET, "reset");
    AskCap(cap, MSG_GETCURRENT, "afterreset");
}

// A triplet with zeroed data, as a careless application sends it.
void ProbeTriplet(int state, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg)
{
    TW_UINT32 data[128] = {};
    // The manager itself reads an event's message: that one is real.
    MSG message = {};
    if (dat == DAT_EVENT)
        *(TW_EVENT*)data = {&message, MSG_NULL};
    const TW_UINT16 rc = Source(dg, dat, msg, data);
    printf("triplet %d %lx %04x %04x rc %u cc %u data %08lx\n", state, (unsigned long)dg, dat, msg, rc,
           rc == TWRC_FAILURE ? Condition() : 0, (unsigned long)data[0]);
}

TW_UINT16 g_probeState = 4;
std::vector<uint8_t> g_strip;

// From the state the source is in to `state`: enabled without the user
// interface, a film ready, one strip of it taken.
void ReachState(TW_UINT16 state)
{
    TW_USERINTERFACE ui = {0, 0, g_window};
    if (g_probeState == 4 && state >= 5) {
        if (SetOne(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY) != TWRC_SUCCESS ||
            SetOne(CAP_INDICATORS, TWTY_BOOL, 0) != TWRC_SUCCESS ||
            Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS)
            Fatal("enable");
        g_probeState = 5;
    }
    if (g_probeState == 5 && state >= 6) {
        WaitForTransferReady();
        g_probeState = 6;
    }
    if (g_probeState == 6 && state >= 7) {
        TW_SETUPMEMXFER setup = {};
        Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
        g_strip.assign(setup.MinBufSize, 0);
        TW_IMAGEMEMXFER x = {};
        x.Memory = {TWMF_APPOWNS | TWMF_POINTER, setup.MinBufSize, g_strip.data()};
        if (Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x) != TWRC_SUCCESS)
            Fatal("first strip");
        g_probeState = 7;
    }
}

// Back to state 4, the transfer ended, the source disabled.
void LeaveTransfer()
{
    TW_USERINTERFACE ui = {0, 0, g_window};
    TW_PENDINGXFERS pending = {};
    if (g_probeState == 7)
        Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    if (g_probeState == 6)
        Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    if (g_probeState >= 5)
        Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    g_probeState = 4;
}

// A memory buffer flagged as neither pointer nor handle, then one flagged
// right: the first refused, the second taken.
void ProbeBufferFlags()
{
    // One line, as the source asked for in state 6 (the first strip's size).
    const TW_UINT32 line = (TW_UINT32)g_strip.size();
    HGLOBAL handle = GlobalAlloc(GHND, line);
    TW_IMAGEMEMXFER x = {};
    x.Memory = {TWMF_APPOWNS, line, handle};
    TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
    printf("buffer unflagged rc %u cc %u\n", rc, rc == TWRC_FAILURE ? Condition() : 0);
    x = {};
    x.Memory = {TWMF_APPOWNS | TWMF_HANDLE, line, handle};
    rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
    printf("buffer handle rc %u cc %u rows %lu\n", rc, rc == TWRC_FAILURE ? Condition() : 0, (unsigned long)x.Rows);
    GlobalFree(handle);
}

void CaseConformance(const char* script)
{
    FILE* f = fopen(script, "r");
    if (!f)
        Fatal("script");
    OpenSource();
    char line[256];
    while (fgets(line, sizeof line, f)) {
        char word[16] = "";
        unsigned a = 0, b = 0, c = 0;
        double v[4] = {};
        if (sscanf(line, "%15s", word) != 1)
            continue;
        if (strcmp(word, "supported") == 0) {
            AskCap(CAP_SUPPORTEDCAPS, MSG_GET, "get");
        } else if (strcmp(word, "probe") == 0) {
            const int n = sscanf(line, "%*s %x %u %lf %lf %lf %lf", &a, &b, &v[0], &v[1], &v[2], &v[3]);
            ProbeCap((TW_UINT16)a, (TW_UINT16)b, std::vector<double>(v, v + (n > 2 ? n - 2 : 0)));
        } else if (strcmp(word, "set") == 0) {
            const int n = sscanf(line, "%*s %x %u %lf %lf %lf %lf", &a, &b, &v[0], &v[1], &v[2], &v[3]);
            SetCap((TW_UINT16)a, (TW_UINT16)b, std::vector<double>(v, v + (n > 2 ? n - 2 : 0)));
        } else if (strcmp(word, "get") == 0 && sscanf(line, "%*s %x %x", &a, &b) == 2) {
            AskCap((TW_UINT16)a, (TW_UINT16)b, ("msg" + std::to_string(b)).c_str());
        } else if (strcmp(word, "state") == 0 && sscanf(line, "%*s %u", &a) == 1) {
            ReachState((TW_UINT16)a);
            printf("-- state %u\n", a);
        } else if (strcmp(word, "triplet") == 0 && sscanf(line, "%*s %x %x %x", &a, &b, &c) == 3) {
            ProbeTriplet(g_probeState, a, (TW_UINT16)b, (TW_UINT16)c);
        } else if (strcmp(word, "buffers") == 0) {
            ProbeBufferFlags();
        } else if (strcmp(word, "leave") == 0) {
            LeaveTransfer();
            printf("-- state 4\n");
        } else if (strcmp(word, "openagain") == 0) {
            TW_IDENTITY id = g_source;
            const TW_UINT16 rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &id);
            TW_STATUS status = {};
            Manager(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
            printf("openagain rc %u cc %u\n", rc, rc == TWRC_FAILURE ? status.ConditionCode : 0);
        }
    }
    fclose(f);
    LeaveTransfer();
    CloseSource();
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);   // what was printed survives a hang
    if (argc < 2)
        Fatal("usage");
    OpenManager("twain_app");
    FindSource();
    const std::string which = argv[1];
    g_outDir = argc > 2 ? argv[argc > 4 ? 4 : 2] : ".";
    if (which == "open")
        CaseOpen();
    else if (which == "acquire" && argc >= 5) {
        for (int i = 6; i < argc; ++i) {
            g_vanilla = g_vanilla || strcmp(argv[i], "vanilla") == 0;
            g_undefinedSize = g_undefinedSize || strcmp(argv[i], "undefined") == 0;
        }
        CaseAcquire(argv[2], atoi(argv[3]), argc > 5 ? argv[5] : "bmp");
    } else if (which == "conformance" && argc >= 3)
        CaseConformance(argv[2]);
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
