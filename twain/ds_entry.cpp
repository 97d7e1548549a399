// DS_Entry: every triplet an application sends through the source manager,
// checked against the source's state and its data, then handled.
#include <windows.h>

#include <string.h>

#include "arg_checks.h"
#include "ds_scan.h"
#include "ds_session.h"
#include "ds_states.h"
#include "ds_transfer.h"

namespace {

HINSTANCE g_instance;
SourceSession* g_source;       // null while closed
TW_UINT16 g_condition = TWCC_SUCCESS;
TW_CALLBACK g_callback;

TW_UINT16 Fail(TW_UINT16 cc)
{
    g_condition = cc;
    return TWRC_FAILURE;
}

void FillIdentity(TW_IDENTITY* id)
{
    const TW_UINT32 keep = id->Id;
    memset(id, 0, sizeof *id);
    id->Id = keep;
    id->Version.MajorNum = 1;
    id->Version.MinorNum = 0;
    id->Version.Language = TWLG_ENGLISH;
    id->Version.Country = TWCY_USA;
    lstrcpynA(id->Version.Info, "1.0", sizeof id->Version.Info);
    id->ProtocolMajor = TWON_PROTOCOLMAJOR;
    id->ProtocolMinor = TWON_PROTOCOLMINOR;
    id->SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
    lstrcpynA(id->Manufacturer, "FilmCore", sizeof id->Manufacturer);
    lstrcpynA(id->ProductFamily, "Film Digitizer", sizeof id->ProductFamily);
    lstrcpynA(id->ProductName, "FilmTwain", sizeof id->ProductName);
}

// ---- Containers in global memory --------------------------------------------

TW_HANDLE NewContainer(const CapContainer& c)
{
    const TW_ENTRYPOINT& manager = ManagerEntry();
    HGLOBAL h = manager.DSM_MemAllocate ? (HGLOBAL)manager.DSM_MemAllocate((TW_UINT32)c.bytes.size())
                                        : GlobalAlloc(GHND, c.bytes.size());
    if (!h)
        return nullptr;
    void* p = manager.DSM_MemLock ? manager.DSM_MemLock(h) : GlobalLock(h);
    if (p)
        memcpy(p, c.bytes.data(), c.bytes.size());
    if (manager.DSM_MemUnlock)
        manager.DSM_MemUnlock(h);
    else
        GlobalUnlock(h);
    return h;
}

TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY* cap)
{
    const uint8_t* in = nullptr;
    size_t inSize = 0;
    HGLOBAL container = (HGLOBAL)cap->hContainer;
    if (msg == MSG_SET) {
        inSize = container ? GlobalSize(container) : 0;
        in = inSize ? (const uint8_t*)GlobalLock(container) : nullptr;
        if (!in)
            return Fail(TWCC_BADVALUE);
    }
    CapContainer out;
    const CapReply reply = NegotiateCap(&g_source->caps, msg, cap->Cap, cap->ConType, in, inSize, &out);
    if (in)
        GlobalUnlock(container);
    if (reply.rc == TWRC_FAILURE)
        return Fail(reply.cc);
    if (msg == MSG_SET || msg == MSG_RESET) {
        if (cap->Cap == ICAP_FRAMES)
            PushFrame(g_source);
        else
            PushCapability(g_source, cap->Cap);
    }
    if (!out.bytes.empty()) {
        cap->ConType = out.conType;
        cap->hContainer = NewContainer(out);
        if (!cap->hContainer)
            return Fail(TWCC_LOWMEMORY);
    }
    return reply.rc;
}

// ---- The scan region ------------------------------------------------------------

uint16_t Units()
{
    return (uint16_t)CapCurrent(&g_source->caps, ICAP_UNITS);
}

uint32_t Dpi()
{
    return (uint32_t)CapCurrent(&g_source->caps, ICAP_XRESOLUTION);
}

TW_UINT16 ImageLayout(TW_UINT16 msg, TW_IMAGELAYOUT* layout)
{
    TW_UINT16 rc = TWRC_SUCCESS;
    if (msg == MSG_SET) {
        FrameInches f;
        const FrameInches bed = WholeBed(&g_source->caps);
        rc = FrameOntoBed(layout->Frame, Units(), Dpi(), bed.right, bed.bottom, &f);
        if (rc == TWRC_FAILURE)
            return Fail(TWCC_BADVALUE);
        g_source->caps.frame = f;
        PushFrame(g_source);
    } else if (msg == MSG_RESET) {
        g_source->caps.frame = WholeBed(&g_source->caps);
        PushFrame(g_source);
    }
    layout->Frame = FrameInUnits(msg == MSG_GETDEFAULT ? WholeBed(&g_source->caps) : g_source->caps.frame, Units(), Dpi());
    layout->DocumentNumber = 1;
    layout->PageNumber = 1;
    layout->FrameNumber = 1;
    return rc;
}

// One line of the negotiated region as the memory transfer delivers it.
TW_UINT32 LineBytes()
{
    if (g_source->scanned.ready)
        return g_source->scanned.lineBytes;
    // Before the scan: the frame's pixels, with room for the digitizer's rounding.
    const FrameInches& f = g_source->caps.frame;
    const TW_UINT32 pixels = (TW_UINT32)((f.right - f.left) * Dpi()) + 2;
    const TW_UINT32 depth = (TW_UINT32)CapCurrent(&g_source->caps, ICAP_BITDEPTH);
    return depth == 1 ? (pixels + 7) / 8 : depth == 8 ? pixels : 2 * pixels;
}

TW_UINT16 SetupMemXfer(TW_SETUPMEMXFER* setup)
{
    const TW_UINT32 line = LineBytes() ? LineBytes() : 1;
    // Whole lines of at most one digitizer block; a single line may be larger.
    const TW_UINT32 lines = line < 32768 ? 32768 / line : 1;
    setup->MinBufSize = line;
    setup->Preferred = line * lines;
    setup->MaxBufSize = setup->Preferred;
    return TWRC_SUCCESS;
}

// ---- Control --------------------------------------------------------------------

TW_UINT16 Identity(TW_IDENTITY* origin, TW_UINT16 msg, TW_IDENTITY* id)
{
    if (msg == MSG_GET) {
        FillIdentity(id);
        return TWRC_SUCCESS;
    }
    if (msg == MSG_OPENDS) {
        if (g_source)
            return Fail(TWCC_MAXCONNECTIONS);   // one application at a time; the open session stays
        TW_UINT16 cc = TWCC_SUCCESS;
        g_source = OpenSession(g_instance, origin, &cc);
        if (!g_source)
            return Fail(cc);
        FillIdentity(id);
        g_source->self = *id;
        DefaultFileTransfer(&g_source->file);
        return TWRC_SUCCESS;
    }
    CloseSession(g_source);
    g_source = nullptr;
    return TWRC_SUCCESS;
}

TW_UINT16 UserInterface(TW_UINT16 msg, TW_USERINTERFACE* ui)
{
    if (msg == MSG_DISABLEDS) {
        DisableSource(g_source);
        return TWRC_SUCCESS;
    }
    const TW_UINT16 cc = EnableSource(g_source, *ui);
    return cc == TWCC_SUCCESS ? (TW_UINT16)TWRC_SUCCESS : Fail(cc);
}

TW_UINT16 Event(TW_EVENT* event)
{
    return ProcessEvent(g_source, event);
}

TW_UINT16 RunTransfer(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data, TW_UINT16* cc)
{
    switch (dat) {
    case DAT_IMAGEINFO:
        return ImageInfo(g_source, (TW_IMAGEINFO*)data, cc);
    case DAT_IMAGEMEMXFER:
        return MemoryTransfer(g_source, (TW_IMAGEMEMXFER*)data, cc);
    case DAT_IMAGENATIVEXFER:
        return NativeTransfer(g_source, (TW_HANDLE*)data, cc);
    case DAT_IMAGEFILEXFER:
        return FileTransfer(g_source, cc);
    case DAT_SETUPFILEXFER:
        return SetupFileTransfer(g_source, msg, (TW_SETUPFILEXFER*)data, cc);
    default:
        return PendingTransfers(g_source, msg, (TW_PENDINGXFERS*)data, cc);
    }
}

TW_UINT16 Transfer(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    TW_UINT16 cc = TWCC_SUCCESS;
    const TW_UINT16 rc = RunTransfer(dat, msg, data, &cc);
    return rc == TWRC_FAILURE ? Fail(cc) : rc;
}

TW_UINT16 Status(TW_STATUS* status)
{
    // A failure the source met on its own (a hidden scan) is told once.
    if (g_condition == TWCC_SUCCESS && g_source && g_source->condition) {
        g_condition = g_source->condition;
        g_source->condition = TWCC_SUCCESS;
    }
    status->ConditionCode = g_condition;
    status->Data = 0;
    g_condition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 EntryPoint(TW_ENTRYPOINT* entry)
{
    const TW_UINT16 cc = CheckEntryPoint(*entry);
    if (cc != TWCC_SUCCESS)
        return Fail(cc);
    SetManagerEntry(*entry);
    return TWRC_SUCCESS;
}

TW_UINT16 Callback(TW_CALLBACK* callback)
{
    g_callback = *callback;
    return TWRC_SUCCESS;
}

TW_UINT16 Dispatch(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    const TW_UINT16 missing = CheckDataGiven(dat, data);
    if (missing != TWCC_SUCCESS)
        return Fail(missing);
    switch (dat) {
    case DAT_IDENTITY:
        return Identity(origin, msg, (TW_IDENTITY*)data);
    case DAT_STATUS:
        return Status((TW_STATUS*)data);
    case DAT_ENTRYPOINT:
        return EntryPoint((TW_ENTRYPOINT*)data);
    case DAT_CALLBACK:
        return Callback((TW_CALLBACK*)data);
    case DAT_CAPABILITY:
        return Capability(msg, (TW_CAPABILITY*)data);
    case DAT_IMAGELAYOUT:
        return ImageLayout(msg, (TW_IMAGELAYOUT*)data);
    case DAT_SETUPMEMXFER:
        return SetupMemXfer((TW_SETUPMEMXFER*)data);
    case DAT_USERINTERFACE:
        return UserInterface(msg, (TW_USERINTERFACE*)data);
    case DAT_PENDINGXFERS:
    case DAT_IMAGEINFO:
    case DAT_IMAGEMEMXFER:
    case DAT_IMAGENATIVEXFER:
    case DAT_IMAGEFILEXFER:
    case DAT_SETUPFILEXFER:
        return Transfer(dat, msg, data);
    case DAT_EVENT:
        return Event((TW_EVENT*)data);
    case DAT_XFERGROUP:
        *(TW_UINT32*)data = DG_IMAGE;   // the only group this source transfers
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

}  // namespace

extern "C" TW_UINT16 TW_CALLINGSTYLE DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat,
                                                                    TW_UINT16 msg, TW_MEMREF data)
{
    dg &= DG_CONTROL | DG_IMAGE;
    if (!TripletKnown(dg, dat, msg))
        return Fail(TWCC_BADPROTOCOL);
    // The status of a closed source is still asked for, about its failed open.
    const int state = g_source ? g_source->state : DS_CLOSED;
    const bool statusWhileClosed = dat == DAT_STATUS && state == DS_CLOSED;
    if (!statusWhileClosed && !TripletAllowed(state, dg, dat, msg))
        return Fail(TWCC_SEQERROR);
    return Dispatch(origin, dg, dat, msg, data);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_instance = instance;
    return TRUE;
}
