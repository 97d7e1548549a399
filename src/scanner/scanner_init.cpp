#include "scanner_init.h"

#include <windows.h>

#include <string.h>

#include "digitizer/digitizer_picture.h"
#include "digitizer/file_version.h"
#include "digitizer/pump_messages.h"
#include "digitizer/reply_word.h"
#include "digitizer/toolkit.h"
#include "frame/clock.h"
#include "frame/instance.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "res/resource.h"
#include "scanner/warmup_dialog.h"

namespace {

ToolkitLoader g_loader = nullptr;

const int kMaxAdapters = 7;
const int kTargets = 8;
const int kNotReadyLimit = 20;
const uint16_t kInquiryBytes = 52;
const uint16_t kDiagnosticReplyBytes = 80;
const uint16_t kCapabilityBytes = 30;
const uint32_t kResolutionCapacity = 9;
const uint32_t kDepthCapacity = 5;

HINSTANCE ResourceInstance(DSData* ds)
{
    HINSTANCE instance = static_cast<HINSTANCE>(ds->HostServices->instance);
    return instance ? instance : FilmCoreInstance();
}

void PostClose(HWND window)
{
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

void ShowError(HWND owner, const char* text)
{
    MessageBoxA(owner, text, "ERROR", MB_OK | MB_ICONERROR);
}

void LoadToolkit(ScannerInfo* info)
{
    int loaded = g_loader ? g_loader() : ToolkitBind();
    if (!loaded)
        MessageBoxA(nullptr, "Failed to load scankit32.dll in \\twain_32\\nqt\\ folder",
                    "Load Library", MB_OK);
    ReadFileVersionText(ToolkitPath(), info->toolkitVersion, sizeof info->toolkitVersion);
}

void ShowOpenFailure(HWND main, TkStatus status)
{
    if (status == -7)
        ShowError(main, "Unable to find SCSI adapter.");
    else if (status == -6)
        ShowError(main, "Unable to allocate SCSI SRB buffer.");
    else
        ShowError(main, "Unable to open toolkit.");
}

void CloseToolkit(ScannerInfo* info)
{
    Toolkit()->closeToolKit();
    info->toolkitOpen = 0;
}

// Both models answer the inquiry with "NQT-8" or "NQT-1..." from byte 16.
bool AnswersAsDigitizer(void)
{
    uint8_t inquiry[kInquiryBytes + 1];
    memset(inquiry, 0, sizeof inquiry);
    if (Toolkit()->doInquiry(inquiry, kInquiryBytes) != 0)
        return false;
    const char* product = reinterpret_cast<const char*>(inquiry + 16);
    return strncmp(product, "NQT-8", 5) == 0 || strncmp(product, "NQT-12", 5) == 0;
}

int SearchAdapters(HWND main, ScannerInfo* info)
{
    const ScanKit* kit = Toolkit();
    uint16_t adapters = 0;
    if (kit->findSCSIAdaptors(&adapters) != 0)
        adapters = 0;
    if (adapters == 0)
        return SCANNER_NO_ADAPTER;
    if (adapters > kMaxAdapters)
        adapters = kMaxAdapters;
    for (uint16_t adapter = 0; adapter < adapters; ++adapter) {
        if (kit->setSCSIAdaptorId(adapter) != 0)
            continue;
        for (uint16_t target = 0; target < kTargets; ++target) {
            uint32_t value = 0;
            TkStatus status = kit->openToolKit(target, &value);
            info->toolkitOpen = status == 0 ? 1 : 0;
            if (status != 0) {
                ShowOpenFailure(main, status);
                CloseToolkit(info);
                PostClose(main);
                return SCANNER_CANCELLED;
            }
            if (AnswersAsDigitizer() && kit->findScanner(info) == 0)
                return SCANNER_READY;
            CloseToolkit(info);
        }
    }
    CloseToolkit(info);
    PostClose(main);
    return SCANNER_NOT_FOUND;
}

void CloseWarmupNow(void)
{
    if (WarmupDialog())
        DestroyWindow(WarmupDialog());
}

// A failure while waiting: the caller's dialog closes.
int AbandonWait(HWND main, ScannerInfo* info)
{
    CloseWarmupNow();
    info->toolkitOpen = 0;
    PostClose(main);
    return SCANNER_CANCELLED;
}

int ShowWarmupNotice(HWND main, DSData* ds)
{
    HWND notice = OpenWarmupDialog(ResourceInstance(ds), main);
    if (!notice)
        return AbandonWait(main, ds->ScannerInfo);
    SetForegroundWindow(notice);
    ShowWindow(notice, SW_SHOW);
    if (!PumpMessages(main, 50, 1))
        return AbandonWait(main, ds->ScannerInfo);
    return SCANNER_READY;
}

// Polls until the digitizer is ready, the operator answers the warm-up
// notice, or it stays not ready too long. Every status but warming up and
// lost communication counts as not ready, so no code can poll for ever.
int WaitUntilReady(HWND main, DSData* ds)
{
    const ScanKit* kit = Toolkit();
    SetWarmupOutcome(WARMUP_WAITING);
    int notReady = 0;
    do {
        uint16_t status = kit->scannerStatus();
        if (status == TK_READY)
            break;
        ClockSleep(500);
        bool warming = false;
        if (status == TK_NO_COMMUNICATION) {
            ShowError(main, "Unable to communicate with the logical unit");
            SetWarmupOutcome(WARMUP_ABORT);
        } else if (status == TK_WARMING_UP) {
            int result = ShowWarmupNotice(main, ds);
            if (result != SCANNER_READY)
                return result;
            notReady = 0;
            warming = true;
        } else {
            ++notReady;
        }
        if (!warming && notReady > kNotReadyLimit) {
            SetWarmupOutcome(WARMUP_IGNORE);
            PostClose(main);
            break;
        }
        if (!PumpMessages(main, 10, 1))
            return AbandonWait(main, ds->ScannerInfo);
    } while (WarmupOutcomeNow() == WARMUP_WAITING);

    if (WarmupDialog())
        PostMessageA(WarmupDialog(), WM_CLOSE, 0, 0);
    if (!PumpMessages(main, 50, 1))
        return AbandonWait(main, ds->ScannerInfo);
    if (WarmupOutcomeNow() == WARMUP_ABORT) {
        ds->ScannerInfo->toolkitOpen = 0;
        PostClose(main);
        return SCANNER_NOT_FOUND;
    }
    return SCANNER_READY;
}

int RecogniseModel(HWND main, ScannerInfo* info)
{
    char serial[256];
    memset(serial, 0, sizeof serial);
    Toolkit()->getSerialNo(serial);
    serial[sizeof serial - 1] = '\0';
    CopyText(info->serialNumber, sizeof info->serialNumber, serial);
    if (info->modelCode == 8 || info->modelCode == 9) {
        CopyText(info->modelName, sizeof info->modelName, info->modelCode == 8 ? "NQT-12" : "NQT-8");
        info->windowDescriptorLength = 56;
        return SCANNER_READY;
    }
    CopyText(info->modelName, sizeof info->modelName, "None");
    ShowError(main, "Unrecognizable scanner.");
    PostClose(main);
    info->toolkitOpen = 0;
    return SCANNER_NO_ADAPTER;
}

int ReadIdentity(ScannerInfo* info)
{
    const ScanKit* kit = Toolkit();
    uint16_t ramSize = 0;
    uint8_t hardwareVersion = 0;
    char firmware[256];
    memset(firmware, 0, sizeof firmware);
    if (kit->getScannerInfo(&ramSize, firmware, &hardwareVersion) != 0)
        return SCANNER_NO_IDENTITY;
    firmware[sizeof firmware - 1] = '\0';
    info->ramSize = ramSize;
    CopyText(info->firmwareVersion, sizeof info->firmwareVersion, firmware);
    info->hardwareVersion = hardwareVersion;
    kit->getScsiInfo(&info->scsiId, &info->scsiVersion);
    return SCANNER_READY;
}

void SetAveraging(DSData* ds)
{
    ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;
    if (strcmp(info->modelName, "NQT-12") == 0 && info->hardwareVersion >= 5) {
        ds->ImageControl->averageCountSupported = 1;
        return;
    }
    ds->ImageControl->averageCountSupported = 0;
    ds->ImageControl->averageCount = 1;
    s->exposureMax = 20;
    if (s->exposure > 20)
        s->exposure = 20;
}

// Diagnostic page `page`: the first word of its text into `word`, or false
// when the page was not delivered.
bool ReadDiagnosticWord(uint8_t page, char* word, size_t size)
{
    const uint8_t command[5] = {0xB6, 0, 0, 1, page};
    char reply[kDiagnosticReplyBytes + 1];
    memset(reply, 0, sizeof reply);
    if (Toolkit()->Diagnostics(command, 5, reinterpret_cast<uint8_t*>(reply),
                               kDiagnosticReplyBytes) != 6)
        return false;
    CopyFirstWord(reply + 5, kDiagnosticReplyBytes - 5, word, size);
    return true;
}

void ShowDigitizerPicture(HWND main, DSData* ds)
{
    HWND picture = main ? GetDlgItem(main, IDC_DIGITIZER_PICTURE) : nullptr;
    if (!picture)
        return;
    // "NA" stands for any variant we have no picture of.
    int id = DigitizerPictureFor(ds->ScannerInfo->modelVariant, IDB_DIGITIZER_NA);
    HBITMAP bitmap = LoadBitmapA(ResourceInstance(ds), MAKEINTRESOURCEA(id));
    if (!bitmap)
        return;
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (previous && previous != bitmap)
        DeleteObject(previous);
}

void ReadModelVariantAndOptions(HWND main, DSData* ds)
{
    ScannerInfo* info = ds->ScannerInfo;
    if (!ReadDiagnosticWord(2, info->modelVariant, sizeof info->modelVariant))
        CopyText(info->modelVariant, sizeof info->modelVariant, "NA");
    ShowDigitizerPicture(main, ds);
    if (!ReadDiagnosticWord(0x0E, info->optionString, sizeof info->optionString))
        info->optionString[0] = '\0';
    Toolkit()->stopDiagnostic();
}

struct Capability {
    uint16_t words[64];
};

Capability ReadCapability(uint16_t id)
{
    Capability c;
    memset(&c, 0, sizeof c);
    Toolkit()->getCapability(id, c.words, kCapabilityBytes);
    return c;
}

// A list capability into a fixed array; counts beyond it are cut.
uint16_t ReadList(uint16_t id, uint16_t* entries, uint32_t capacity, uint16_t* first,
                  uint16_t* last)
{
    Capability c = ReadCapability(id);
    uint32_t count = c.words[1];
    if (count > capacity)
        count = capacity;
    for (uint32_t i = 0; i < count; ++i)
        entries[i] = c.words[4 + i];
    *first = count ? entries[0] : 0;
    *last = count ? entries[count - 1] : 0;
    return static_cast<uint16_t>(count);
}

void ReadExposureRange(ScanSettings* s)
{
    Capability c = ReadCapability(1);
    if (c.words[0] == 2) {
        s->exposureMin = c.words[1];
        s->exposureMax = c.words[2] > 41 ? c.words[2] / 10 : c.words[2];
        s->exposureDefault = c.words[5];
        s->exposure = c.words[5];
    } else if (c.words[0] == 3) {
        s->exposureMin = c.words[1];
        s->exposureMax = c.words[1];
        s->exposureDefault = c.words[1];
    }
}

void ReadCapabilities(DSData* ds)
{
    ScannerInfo* info = ds->ScannerInfo;
    info->resolutionCount = ReadList(0, info->resolutions, kResolutionCapacity,
                                     &info->minResolution, &info->maxResolution);
    ReadExposureRange(ds->ScanSettings);
    info->depthCount = ReadList(2, info->depths, kDepthCapacity, &info->minDepth, &info->maxDepth);
    info->lineAveragingCapability = ReadCapability(4).words[1];
    info->maxWidth = ReadCapability(5).words[1];
    info->feederCapacity = ReadCapability(24).words[1];
    info->prescanCapability = ReadCapability(25).words[1];
}

}  // namespace

void SetToolkitLoader(ToolkitLoader loader)
{
    g_loader = loader;
}

int32_t InitializeScanner(void* mainDialog, DSData* ds, int32_t retry)
{
    (void)retry;
    if (!SessionComplete(ds))
        return SCANNER_CANCELLED;
    HWND main = static_cast<HWND>(mainDialog);
    ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;

    LoadToolkit(info);
    int result = SearchAdapters(main, info);
    if (result == SCANNER_READY)
        result = WaitUntilReady(main, ds);
    if (result == SCANNER_READY)
        result = RecogniseModel(main, info);
    if (result == SCANNER_READY)
        result = ReadIdentity(info);
    if (result != SCANNER_READY)
        return result;

    SetAveraging(ds);
    ReadModelVariantAndOptions(main, ds);
    info->feederSupport = Toolkit()->IsFDSupported();
    info->feederStatus = Toolkit()->getFDStatus();
    ReadCapabilities(ds);
    if (s->resolution && s->scanPixels / s->resolution > info->maxWidth)
        s->scanPixels = info->maxWidth * s->resolution;
    return SCANNER_READY;
}

void DeinitializeScanner(void)
{
}
