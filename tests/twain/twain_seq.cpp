// Random call sequences through the source manager: an application that
// makes every call the source handles, in any order, with valid containers
// mostly and hostile ones sometimes, and afterwards checks that the source
// can still be closed, reopened and deliver an image.
//   twain_seq SEED STEPS OUTDIR [--skip I,J,...]
// Each step is drawn from its own seed (SEED and its index), so leaving
// steps out (--skip) keeps every other step as it was: a failing sequence
// can be shrunk. Prints one line a step and "healthy" or "UNHEALTHY ...";
// exits 0 only when healthy.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "twain_client.h"
#include "twain_types.h"

namespace {

bool g_open = false, g_enabled = false;
std::string g_outDir;
std::vector<TW_UINT16> g_caps;

// ---- Random numbers: one small generator per step ---------------------------

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return (uint32_t)((state * 0x2545F4914F6CDD1DULL) >> 32);
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
};

Random StepRandom(uint32_t seed, uint32_t step)
{
    uint64_t s = ((uint64_t)seed << 32 | step) * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL;
    Random r = {s ? s : 1};
    for (int i = 0; i < 4; ++i)
        r.Next();
    return r;
}

// ---- The source ----------------------------------------------------------------

TW_UINT16 OpenSource()
{
    const TW_UINT16 rc = TryOpenSource();
    if (rc == TWRC_SUCCESS)
        g_open = true;
    return rc;
}

TW_UINT16 CloseSource()
{
    const TW_UINT16 rc = TryCloseSource();
    if (rc == TWRC_SUCCESS)
        g_open = g_enabled = false;
    return rc;
}

// The capabilities the source lists, and two it cannot know.
void LearnCapabilities()
{
    g_caps = {0x8001, 0x1234};
    TW_CAPABILITY c = {CAP_SUPPORTEDCAPS, TWON_DONTCARE16, nullptr};
    if (Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &c) != TWRC_SUCCESS || !c.hContainer)
        Fatal("CAP_SUPPORTEDCAPS");
    const SIZE_T size = GlobalSize(c.hContainer);
    const TW_ARRAY* list = (const TW_ARRAY*)GlobalLock(c.hContainer);
    const TW_UINT16* items = (const TW_UINT16*)((const char*)list + 6);
    for (TW_UINT32 i = 0; list && c.ConType == TWON_ARRAY && 6 + 2 * (SIZE_T)(i + 1) <= size && i < list->NumItems; ++i)
        g_caps.push_back(items[i]);
    GlobalUnlock(c.hContainer);
    GlobalFree(c.hContainer);
}

// ---- Containers, valid and hostile ------------------------------------------

const TW_UINT32 kValues[] = {0, 1, 2, 3, 8, 12, 16, 75, 150, 300, 1000, 0xFFFF, 0xFFFFFFFF};
const TW_UINT16 kTypes[] = {TWTY_BOOL, TWTY_UINT16, TWTY_INT16, TWTY_UINT32, TWTY_FIX32, TWTY_FRAME, TWTY_STR255, 0x55};

// A container for MSG_SET: usually one value of a plausible type; sometimes
// a list that claims more items than it holds, a short block, or no block.
HGLOBAL BuildContainer(Random& r, TW_UINT16* conType, std::string* what)
{
    const uint32_t kind = r.Below(100);
    const TW_UINT16 type = r.Chance(70) ? TWTY_UINT16 : kTypes[r.Below(sizeof kTypes / sizeof kTypes[0])];
    const TW_UINT32 value = kValues[r.Below(sizeof kValues / sizeof kValues[0])];
    char text[96];
    if (kind < 70) {
        *conType = TWON_ONEVALUE;
        HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE) + 16);
        TW_ONEVALUE* one = (TW_ONEVALUE*)GlobalLock(h);
        one->ItemType = type;
        one->Item = type == TWTY_FIX32 ? (value & 0xFFFF) : value;
        GlobalUnlock(h);
        snprintf(text, sizeof text, "onevalue type %u item %lu", type, (unsigned long)value);
        *what = text;
        return h;
    }
    if (kind < 80) {
        *conType = r.Chance(50) ? TWON_ENUMERATION : TWON_ARRAY;
        HGLOBAL h = GlobalAlloc(GHND, 32);
        TW_UINT32* words = (TW_UINT32*)GlobalLock(h);
        memset(words, 0, 32);
        ((TW_UINT16*)words)[0] = type;
        // Claims many more items than the 32-byte block holds.
        memcpy((char*)words + 2, &value, 4);
        GlobalUnlock(h);
        snprintf(text, sizeof text, "%s claiming %lu items", *conType == TWON_ARRAY ? "array" : "enumeration",
                 (unsigned long)value);
        *what = text;
        return h;
    }
    if (kind < 90) {
        *conType = r.Chance(50) ? TWON_ONEVALUE : TWON_RANGE;
        snprintf(text, sizeof text, "%s in 2 bytes", *conType == TWON_RANGE ? "range" : "onevalue");
        *what = text;
        return GlobalAlloc(GHND, 2);
    }
    if (kind < 95) {
        *conType = TWON_ONEVALUE;
        *what = "no container";
        return nullptr;
    }
    *conType = 0x55;
    *what = "unknown container type";
    return GlobalAlloc(GHND, 64);
}

// ---- Steps --------------------------------------------------------------------

void Report(uint32_t step, const char* what, TW_UINT16 rc)
{
    printf("step %lu %s -> rc %u cc %u\n", (unsigned long)step, what, rc,
           rc == TWRC_FAILURE && g_open ? Condition() : 0);
}

TW_UINT16 CapabilityStep(Random& r, std::string* what)
{
    static const TW_UINT16 kMessages[] = {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_QUERYSUPPORT, MSG_RESET, MSG_SET,
                                          MSG_SET, MSG_SET, 0x0099};
    const TW_UINT16 cap = g_caps[r.Below((uint32_t)g_caps.size())];
    const TW_UINT16 msg = kMessages[r.Below(sizeof kMessages / sizeof kMessages[0])];
    TW_CAPABILITY c = {cap, TWON_DONTCARE16, nullptr};
    std::string container = "";
    if (msg == MSG_SET)
        c.hContainer = BuildContainer(r, &c.ConType, &container);
    const bool nullData = r.Chance(3);
    const TW_UINT16 rc = Source(DG_CONTROL, DAT_CAPABILITY, msg, nullData ? nullptr : &c);
    char text[160];
    snprintf(text, sizeof text, "capability 0x%04x msg 0x%04x %s%s", cap, msg, container.c_str(),
             nullData ? " null data" : "");
    *what = text;
    if (c.hContainer)
        GlobalFree(c.hContainer);   // ours for a set, the source's answer for the others
    return rc;
}

TW_UINT16 LayoutStep(Random& r, std::string* what)
{
    static const TW_UINT16 kMessages[] = {MSG_GET, MSG_GETDEFAULT, MSG_SET, MSG_RESET};
    const TW_UINT16 msg = kMessages[r.Below(4)];
    TW_IMAGELAYOUT layout = {};
    const int16_t edges[] = {-5, 0, 1, 2, 4, 11, 14, 17, 52, 30000};
    layout.Frame.Left.Whole = edges[r.Below(10)];
    layout.Frame.Top.Whole = edges[r.Below(10)];
    layout.Frame.Right.Whole = (int16_t)(layout.Frame.Left.Whole + 1 + r.Below(6));
    layout.Frame.Bottom.Whole = (int16_t)(layout.Frame.Top.Whole + 1 + r.Below(6));
    char text[96];
    snprintf(text, sizeof text, "layout msg 0x%04x frame %d,%d,%d,%d", msg, layout.Frame.Left.Whole,
             layout.Frame.Top.Whole, layout.Frame.Right.Whole, layout.Frame.Bottom.Whole);
    *what = text;
    return Source(DG_IMAGE, DAT_IMAGELAYOUT, msg, &layout);
}

TW_UINT16 EnableStep(Random& r, std::string* what)
{
    TW_USERINTERFACE ui = {(TW_BOOL)(r.Chance(10) ? 1 : 0), 0, g_window};
    const bool disable = g_enabled ? r.Chance(80) : r.Chance(10);
    *what = disable ? "disable" : ui.ShowUI ? "enable shown" : "enable hidden";
    const TW_UINT16 rc = Source(DG_CONTROL, DAT_USERINTERFACE, disable ? MSG_DISABLEDS : MSG_ENABLEDS, &ui);
    if (rc == TWRC_SUCCESS)
        g_enabled = !disable;
    return rc;
}

// Lets the source's messages run, as an application's loop would.
TW_UINT16 PumpStep(Random& r, std::string* what)
{
    const DWORD until = GetTickCount() + 20 + r.Below(100);
    int events = 0;
    TW_UINT16 last = TWRC_NOTDSEVENT;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TW_EVENT event = {&msg, MSG_NULL};
            last = g_open ? Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) : TWRC_NOTDSEVENT;
            if (event.TWMessage == MSG_XFERREADY || event.TWMessage == MSG_CLOSEDSREQ)
                ++events;
            if (last == TWRC_NOTDSEVENT) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        Sleep(5);
    } while (GetTickCount() < until);
    char text[64];
    snprintf(text, sizeof text, "pump (%d notices)", events);
    *what = text;
    return last;
}

TW_UINT16 MemoryStep(Random& r, std::string* what)
{
    TW_SETUPMEMXFER setup = {};
    Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    const TW_UINT32 sizes[] = {0, 1, setup.MinBufSize, setup.Preferred, setup.MaxBufSize, 1u << 20};
    TW_UINT32 length = sizes[r.Below(6)];
    if (length > (8u << 20))
        length = 8u << 20;
    const TW_UINT32 flagChoices[] = {TWMF_APPOWNS | TWMF_POINTER, TWMF_APPOWNS | TWMF_HANDLE, TWMF_APPOWNS, 0,
                                     TWMF_POINTER | TWMF_HANDLE};
    const TW_UINT32 flags = flagChoices[r.Chance(70) ? r.Below(2) : 2 + r.Below(3)];
    std::vector<uint8_t> block(length + 64, 0xA5);
    // Flags naming neither kind come with a pointer or, as a careless
    // application passes them, with a handle.
    const bool neither = (flags & (TWMF_POINTER | TWMF_HANDLE)) == 0;
    HGLOBAL handle = (flags & TWMF_HANDLE) || (neither && r.Chance(50)) ? GlobalAlloc(GHND, length ? length : 1) : nullptr;
    TW_IMAGEMEMXFER x = {};
    x.Memory.Flags = flags;
    x.Memory.Length = length;
    x.Memory.TheMem = handle ? (TW_MEMREF)handle : (TW_MEMREF)block.data();
    const TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
    // Nothing may be written past the buffer the application gave.
    for (size_t i = length; i < block.size(); ++i)
        if (block[i] != 0xA5)
            Fatal("a memory transfer wrote past the application's buffer");
    if (handle)
        GlobalFree(handle);
    char text[96];
    snprintf(text, sizeof text, "memory transfer flags 0x%02lx length %lu", (unsigned long)flags, (unsigned long)length);
    *what = text;
    return rc;
}

TW_UINT16 NativeStep(Random&, std::string* what)
{
    TW_HANDLE dib = nullptr;
    const TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib);
    if (rc == TWRC_XFERDONE && dib)
        GlobalFree(dib);
    *what = "native transfer";
    return rc;
}

TW_UINT16 FileStep(Random& r, std::string* what)
{
    TW_SETUPFILEXFER setup = {};
    const TW_UINT16 formats[] = {TWFF_TIFF, TWFF_BMP, 99};
    setup.Format = formats[r.Chance(85) ? r.Below(2) : 2];
    if (r.Chance(10)) {
        memset(setup.FileName, 'A', sizeof setup.FileName);   // no terminator
    } else {
        snprintf(setup.FileName, sizeof setup.FileName, "%s\\seq-%lu.img", g_outDir.c_str(), (unsigned long)r.Below(4));
    }
    TW_UINT16 rc = Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
    if (r.Chance(70))
        rc = Source(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    char text[64];
    snprintf(text, sizeof text, "file transfer format %u", setup.Format);
    *what = text;
    return rc;
}

TW_UINT16 TransferEndStep(Random& r, std::string* what)
{
    static const TW_UINT16 kMessages[] = {MSG_GET, MSG_ENDXFER, MSG_ENDXFER, MSG_RESET, MSG_STOPFEEDER};
    const TW_UINT16 msg = kMessages[r.Below(5)];
    TW_PENDINGXFERS pending = {};
    char text[64];
    snprintf(text, sizeof text, "pending transfers msg 0x%04x", msg);
    *what = text;
    return Source(DG_CONTROL, DAT_PENDINGXFERS, msg, &pending);
}

TW_UINT16 QueryStep(Random& r, std::string* what)
{
    union {
        TW_IMAGEINFO info;
        TW_SETUPMEMXFER setup;
        TW_UINT32 group;
        TW_STATUS status;
        TW_IDENTITY identity;
        uint8_t room[512];
    } data;
    memset(&data, 0, sizeof data);
    struct { TW_UINT32 dg; TW_UINT16 dat, msg; const char* name; } kQueries[] = {
        {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, "image info"},
        {DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, "memory setup"},
        {DG_CONTROL, DAT_XFERGROUP, MSG_GET, "transfer group"},
        {DG_CONTROL, DAT_STATUS, MSG_GET, "status"},
        {DG_CONTROL, DAT_IDENTITY, MSG_GET, "identity"},
        {DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, "file setup"},
        {DG_IMAGE, 0x0199, MSG_GET, "unknown triplet"},
        {DG_CONTROL, DAT_CAPABILITY, 0x0042, "unknown capability message"},
    };
    const auto& q = kQueries[r.Below(sizeof kQueries / sizeof kQueries[0])];
    *what = q.name;
    return Source(q.dg, q.dat, q.msg, r.Chance(5) ? nullptr : &data);
}

// Closing backs down the states first, as an application does: Wine's
// manager forgets a source whose MSG_CLOSEDS it passed on, even when the
// source refused it for its state, and the source would be lost to the
// process. Every other triplet goes in whatever state the source is in.
void BackDown()
{
    TW_PENDINGXFERS pending = {};
    Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);   // a transfer under way: state 7 to 6
    pending = {};
    Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);    // the films still pending: 6 to 5
    TW_USERINTERFACE ui = {0, 0, g_window};
    Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    g_enabled = false;
}

TW_UINT16 SessionStep(Random& r, std::string* what)
{
    if (g_open && r.Chance(70)) {
        *what = "close source";
        BackDown();
        return CloseSource();
    }
    *what = "open source";
    const TW_UINT16 rc = OpenSource();
    if (rc == TWRC_SUCCESS)
        LearnCapabilities();
    return rc;
}

TW_UINT16 RunStep(uint32_t seed, uint32_t step)
{
    Random r = StepRandom(seed, step);
    typedef TW_UINT16 (*Step)(Random&, std::string*);
    // Weighted: capabilities and pumping most often, closing rarely.
    static const Step kSteps[] = {CapabilityStep, CapabilityStep, CapabilityStep, CapabilityStep, LayoutStep,
                                  EnableStep, EnableStep, PumpStep, PumpStep, PumpStep, MemoryStep, MemoryStep,
                                  NativeStep, FileStep, TransferEndStep, TransferEndStep, QueryStep, QueryStep,
                                  SessionStep};
    const Step chosen = kSteps[r.Below(sizeof kSteps / sizeof kSteps[0])];
    if (!g_open && chosen != SessionStep && chosen != PumpStep) {
        std::string what = "open source";
        const TW_UINT16 rc = OpenSource();
        if (rc == TWRC_SUCCESS)
            LearnCapabilities();
        Report(step, what.c_str(), rc);
        return rc;
    }
    std::string what;
    const TW_UINT16 rc = chosen(r, &what);
    Report(step, what.c_str(), rc);
    return rc;
}

// ---- Afterwards: the source still works ------------------------------------------

void CheckHealth()
{
    // Back down the states as an application does: transfers ended, source
    // disabled, then closed.
    if (g_open) {
        BackDown();
        if (CloseSource() != TWRC_SUCCESS)
            Fatal("the source cannot be closed");
    }
    if (OpenSource() != TWRC_SUCCESS)
        Fatal("the source cannot be opened again");
    // A 2 x 1 inch frame at 75 dpi, 8 bits, by memory transfer.
    if (SetOne(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY) != TWRC_SUCCESS ||
        SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY) != TWRC_SUCCESS ||
        SetOne(ICAP_BITDEPTH, TWTY_UINT16, 8) != TWRC_SUCCESS ||
        SetOne(ICAP_XRESOLUTION, TWTY_FIX32, 75) != TWRC_SUCCESS ||
        SetOne(ICAP_YRESOLUTION, TWTY_FIX32, 75) != TWRC_SUCCESS)
        Fatal("the reopened source refuses plain values");
    TW_IMAGELAYOUT layout = {};
    layout.Frame.Left.Whole = 2;
    layout.Frame.Right.Whole = 4;
    layout.Frame.Bottom.Whole = 1;
    if (Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout) > TWRC_CHECKSTATUS)
        Fatal("the reopened source refuses a frame");
    TW_USERINTERFACE ui = {0, 0, g_window};
    if (Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS)
        Fatal("the reopened source cannot be enabled");
    bool ready = false;
    for (DWORD until = GetTickCount() + 60000; !ready && GetTickCount() < until;) {
        MSG msg;
        while (!ready && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TW_EVENT event = {&msg, MSG_NULL};
            const TW_UINT16 rc = Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
            if (event.TWMessage == MSG_XFERREADY)
                ready = true;
            else if (event.TWMessage == MSG_CLOSEDSREQ)
                Fatal("the reopened source asked to be closed instead of scanning");
            if (rc == TWRC_NOTDSEVENT) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        Sleep(5);
    }
    if (!ready)
        Fatal("no image from the reopened source");
    std::vector<uint8_t> strip(150 * 16);
    TW_UINT32 rows = 0;
    TW_UINT16 rc = TWRC_SUCCESS;
    for (int strips = 0; rc == TWRC_SUCCESS && strips < 1000; ++strips) {
        TW_IMAGEMEMXFER x = {};
        x.Memory = {TWMF_APPOWNS | TWMF_POINTER, (TW_UINT32)strip.size(), strip.data()};
        rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE)
            rows += x.Rows;
    }
    if (rc != TWRC_XFERDONE || rows != 75)
        Fatal("the reopened source's image is not the 2 x 1 inch frame");
    TW_PENDINGXFERS pending = {};
    Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    if (CloseSource() != TWRC_SUCCESS)
        Fatal("the source cannot be closed after its image");
    printf("healthy\n");
}

std::set<uint32_t> ParseSkips(const char* list)
{
    std::set<uint32_t> skips;
    for (const char* p = list; p && *p;) {
        char* end = nullptr;
        skips.insert((uint32_t)strtoul(p, &end, 10));
        p = end && *end == ',' ? end + 1 : nullptr;
    }
    return skips;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);   // what was printed survives a crash
    if (argc < 4) {
        printf("usage: twain_seq SEED STEPS OUTDIR [--skip I,J,...]\n");
        return 2;
    }
    const uint32_t seed = (uint32_t)strtoul(argv[1], nullptr, 10);
    const uint32_t steps = (uint32_t)strtoul(argv[2], nullptr, 10);
    g_outDir = argv[3];
    const std::set<uint32_t> skips = argc > 5 && strcmp(argv[4], "--skip") == 0 ? ParseSkips(argv[5]) : std::set<uint32_t>();
    g_fatalWord = "UNHEALTHY";
    OpenManager("twain_seq");
    FindSource();
    for (uint32_t step = 0; step < steps; ++step)
        if (!skips.count(step))
            RunStep(seed, step);
    CheckHealth();
    Manager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &g_window);
    return 0;
}
