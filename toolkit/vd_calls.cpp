// Discovery, identity, programming and film handling of the virtual
// digitizer. Every buffer is written within the length the caller gives.
#include <stdio.h>
#include <string.h>

#include "vd_digitizer.h"
#include "vd_exports.h"

namespace {

#define VD_ENTER(name)                          \
    Digitizer* d = VdState();                   \
    const VdConfig* c = &d->config;             \
    (void)c;                                    \
    VdLogCall(d, #name);                        \
    if (VdCallFails(c, #name)) return TK_FAILED;

// Everything but discovery needs an open toolkit, so a host that skips
// openToolKit, or goes on after closeToolKit, fails as on the real device.
#define VD_ENTER_OPEN(name)                     \
    VD_ENTER(name)                              \
    if (!d->open) return TK_FAILED;

// Diagnostic replies: a five-byte header, then the text from byte 5.
bool DiagnosticReply(uint8_t* response, uint16_t length, uint8_t command, const char* text)
{
    if (!response || length < 6) return false;
    memset(response, 0, length);
    response[0] = command;
    size_t room = (size_t)length - 6;
    size_t n = strlen(text);
    if (n > room) n = room;
    response[4] = (uint8_t)n;
    memcpy(response + 5, text, n);
    return true;
}

uint16_t NextIndex(uint16_t index, uint16_t count)
{
    return (uint16_t)(index + 1 < count ? index + 1 : index);
}

bool OnDigitizer(const Digitizer* d)
{
    return d->open && d->adapter == d->config.adapter && d->target == d->config.target;
}

bool Listed(const uint16_t* list, uint16_t count, uint32_t value)
{
    for (uint16_t i = 0; i < count; ++i)
        if (list[i] == value) return true;
    return false;
}

void WriteList(uint16_t* words, uint16_t wordCount, const uint16_t* list, uint16_t count)
{
    uint16_t room = wordCount > 4 ? (uint16_t)(wordCount - 4) : 0;
    if (count > room) count = room;
    words[0] = 4;   // a list
    words[1] = count;
    memcpy(words + 4, list, count * sizeof *list);
}

void TakeFilmFromStack(Digitizer* d)
{
    if (d->filmInside || d->stackLeft <= 0) return;
    --d->stackLeft;
    d->filmInside = d->nextFilm++;
}

}  // namespace

extern "C" {

TkStatus findSCSIAdaptors(uint16_t* count)
{
    // Discovery starts a session: the digitizer comes up with its configuration.
    VdPowerOn(VdConfigPath());
    VD_ENTER(findSCSIAdaptors)
    if (!count) return TK_FAILED;
    *count = c->adapters;
    return 0;
}

TkStatus setSCSIAdaptorId(uint16_t index)
{
    VD_ENTER(setSCSIAdaptorId)
    if (index >= c->adapters) return TK_FAILED;
    d->adapter = index;
    return 0;
}

TkStatus openToolKit(uint16_t target, uint32_t* value)
{
    VD_ENTER(openToolKit)
    if (value) *value = 0;
    if (c->openResult != 0) return c->openResult;
    if (target > 7) return TK_FAILED;
    d->open = 1;
    d->target = target;
    if (value) *value = 1;
    return 0;
}

TkStatus closeToolKit(void)
{
    VD_ENTER(closeToolKit)
    d->open = 0;
    return 0;
}

TkStatus doInquiry(uint8_t* buffer, uint16_t length)
{
    VD_ENTER(doInquiry)
    if (!buffer || !OnDigitizer(d)) return TK_FAILED;   // nothing answers on that target
    uint8_t inquiry[36];
    memset(inquiry, ' ', sizeof inquiry);
    inquiry[0] = 6;   // scanner device
    inquiry[1] = 0;
    inquiry[2] = 2;
    inquiry[3] = 2;
    inquiry[4] = sizeof inquiry - 5;
    inquiry[5] = inquiry[6] = inquiry[7] = 0;
    memcpy(inquiry + 8, "VIRTUAL ", 8);
    memcpy(inquiry + 16, c->product, strnlen(c->product, 16));
    memcpy(inquiry + 32, c->firmware, strnlen(c->firmware, 4));
    memset(buffer, 0, length);
    memcpy(buffer, inquiry, length < sizeof inquiry ? length : sizeof inquiry);
    return 0;
}

TkStatus findScanner(ScannerInfo* info)
{
    VD_ENTER(findScanner)
    if (!info || !OnDigitizer(d)) return TK_FAILED;
    info->modelCode = c->modelCode;
    return 0;
}

uint16_t scannerStatus(void)
{
    Digitizer* d = VdState();
    VdLogCall(d, "scannerStatus");
    if (VdCallFails(&d->config, "scannerStatus") || !d->open) return TK_NO_COMMUNICATION;
    if (d->config.statusCount == 0) return TK_READY;
    uint16_t status = d->config.status[d->statusIndex];
    d->statusIndex = NextIndex(d->statusIndex, d->config.statusCount);
    return status;
}

TkStatus getSerialNo(char* text)
{
    VD_ENTER_OPEN(getSerialNo)
    if (!text) return TK_FAILED;
    memcpy(text, c->serialNumber, sizeof c->serialNumber);   // 6 characters and the end
    text[sizeof c->serialNumber - 1] = '\0';
    return 0;
}

TkStatus getScannerInfo(uint16_t* ramSize, char* firmware, uint8_t* hardwareVersion)
{
    VD_ENTER_OPEN(getScannerInfo)
    if (!ramSize || !firmware || !hardwareVersion) return TK_FAILED;
    *ramSize = c->ramSize;
    memcpy(firmware, c->firmware, sizeof c->firmware);       // 4 characters and the end
    firmware[sizeof c->firmware - 1] = '\0';
    *hardwareVersion = c->hardwareVersion;
    return 0;
}

TkStatus getScsiInfo(uint8_t* id, uint8_t* version)
{
    VD_ENTER_OPEN(getScsiInfo)
    if (!id || !version) return TK_FAILED;
    *id = c->scsiId;
    *version = c->scsiVersion;
    return 0;
}

TkStatus Diagnostics(const uint8_t* command, uint16_t commandLength, uint8_t* response,
                     uint16_t responseLength)
{
    VD_ENTER_OPEN(Diagnostics)
    if (!command || commandLength < 5) return 2;   // nothing sent
    char text[64];
    if (command[0] == 0xB6 && command[4] == 2) {
        if (!c->modelVariant[0]) return 1;
        snprintf(text, sizeof text, "%s", c->modelVariant);
    } else if (command[0] == 0xB6 && command[4] == 0x0E) {
        snprintf(text, sizeof text, "%s", c->optionString);
    } else if (command[0] == 0x8E) {
        // Feeder position: 0x0F while a film sits in the transport.
        snprintf(text, sizeof text, "%02X", d->filmInside ? 0x0F : 0x00);
    } else {
        return 1;
    }
    return DiagnosticReply(response, responseLength, command[0], text) ? 6 : 3;
}

TkStatus stopDiagnostic(void)
{
    VD_ENTER_OPEN(stopDiagnostic)
    return 0;
}

uint16_t IsFDSupported(void)
{
    Digitizer* d = VdState();
    VdLogCall(d, "IsFDSupported");
    return d->open && d->config.feederPresent ? d->config.feederSupport : 0;
}

uint16_t getFDStatus(void)
{
    Digitizer* d = VdState();
    VdLogCall(d, "getFDStatus");
    return d->open && d->config.feederPresent ? 16 : 0;
}

TkStatus getCapability(uint16_t id, uint16_t* buffer, uint16_t length)
{
    VD_ENTER_OPEN(getCapability)
    uint16_t words = length / 2;
    if (!buffer || words < 2) return TK_FAILED;
    memset(buffer, 0, (size_t)words * 2);
    auto single = [buffer](uint16_t value) {
        buffer[0] = 3;
        buffer[1] = value;
        return (TkStatus)0;
    };
    switch (id) {
    case 0:
        WriteList(buffer, words, c->resolutions, c->resolutionCount);
        return 0;
    case 1:
        if (c->exposureKind != 2) return single(c->exposureDefault);
        if (words < 6) return TK_FAILED;
        buffer[0] = 2;
        buffer[1] = c->exposureMin;
        buffer[2] = c->exposureMax;
        buffer[3] = 1;   // step
        buffer[4] = d->pending.lineTime;
        buffer[5] = c->exposureDefault;
        return 0;
    case 2:
        WriteList(buffer, words, c->depths, c->depthCount);
        return 0;
    case 4: return single(c->lineAveraging);
    case 5: return single(c->bedWidth);
    case 24: return single(c->feederCapacity);
    case 25: return single(c->prescan);
    default: return TK_FAILED;
    }
}

TkStatus setAverageCount(uint16_t count)
{
    VD_ENTER_OPEN(setAverageCount)
    uint16_t most = c->lineAveraging ? c->lineAveraging : 1;
    if (count < 1 || count > most) return TK_FAILED;
    d->pending.averageCount = count;
    return 0;
}

TkStatus getAverageCount(uint16_t* count)
{
    VD_ENTER_OPEN(getAverageCount)
    if (!count) return TK_FAILED;
    *count = d->pending.averageCount;
    return 0;
}

TkStatus setResolution(uint16_t dpi)
{
    VD_ENTER_OPEN(setResolution)
    if (c->resolutionCount == 0 || dpi < c->resolutions[0] || dpi > c->resolutions[c->resolutionCount - 1])
        return TK_FAILED;
    d->pending.resolution = dpi;
    return 0;
}

TkStatus initScanner(void)
{
    VD_ENTER_OPEN(initScanner)
    if (!Listed(c->depths, c->depthCount, d->pending.bits) && d->pending.bits != 16) return TK_FAILED;
    d->applied = d->pending;
    d->armed = 1;
    return 0;
}

TkStatus setBitOrder(uint16_t order)
{
    VD_ENTER_OPEN(setBitOrder)
    if (order > 1) return TK_FAILED;
    d->pending.bitOrder = order;
    return 0;
}

TkStatus setOutputMode(uint16_t mode)
{
    VD_ENTER_OPEN(setOutputMode)
    if (mode != 4 && mode != 6) return TK_FAILED;
    d->pending.outputMode = mode;
    return 0;
}

TkStatus setScanMode(uint16_t mode)
{
    VD_ENTER_OPEN(setScanMode)
    if (mode > 1) return TK_FAILED;
    d->pending.scanMode = mode;
    return 0;
}

TkStatus setPixelSize(uint32_t pixelsPerLine, uint32_t lines)
{
    VD_ENTER_OPEN(setPixelSize)
    uint32_t most = c->resolutionCount ? c->resolutions[c->resolutionCount - 1] : 800;
    // Wider than the bed by an inch, or longer than 60 inches, is refused.
    if (pixelsPerLine > (uint32_t)(c->bedWidth + 1) * most || lines > 60u * most) return TK_FAILED;
    d->pending.pixels = pixelsPerLine;
    d->pending.lines = lines;
    return 0;
}

TkStatus setBitsPerPixel(uint8_t bits)
{
    VD_ENTER_OPEN(setBitsPerPixel)
    // 16 bits carry 12-bit samples on older digitizers.
    if (!Listed(c->depths, c->depthCount, bits) && bits != 16) return TK_FAILED;
    d->pending.bits = bits;
    return 0;
}

TkStatus setOffset(uint32_t x, uint32_t y)
{
    VD_ENTER_OPEN(setOffset)
    if (x > 1000000u || y > 1000000u) return TK_FAILED;
    d->pending.offsetX = x;
    d->pending.offsetY = y;
    return 0;
}

TkStatus setDarkEnhance(uint16_t on)
{
    VD_ENTER_OPEN(setDarkEnhance)
    d->pending.darkEnhance = on ? 1 : 0;
    return 0;
}

TkStatus setLineTime(uint16_t exposure)
{
    VD_ENTER_OPEN(setLineTime)
    if (exposure < c->exposureMin || exposure > c->exposureMax) return TK_FAILED;
    d->pending.lineTime = exposure;
    return 0;
}

TkStatus setTranslationTable(int16_t number)
{
    VD_ENTER_OPEN(setTranslationTable)
    if (number < 0 || number > 7) return TK_FAILED;
    d->pending.table = number;
    return 0;
}

TkStatus diagReportStatus(uint16_t page, uint8_t* buffer, uint16_t length)
{
    VD_ENTER_OPEN(diagReportStatus)
    if (page != 0) return TK_FAILED;
    char text[16];
    snprintf(text, sizeof text, "%u", (unsigned)VdLineWidth(d));
    return DiagnosticReply(buffer, length, 0x1C, text) ? 0 : TK_FAILED;
}

TkStatus doGetWindow(uint8_t* buffer, uint16_t length)
{
    VD_ENTER_OPEN(doGetWindow)
    if (!buffer || length < 30) return TK_FAILED;
    const VdProgram* p = &d->applied;
    uint8_t window[56];
    memset(window, 0, sizeof window);
    auto put16 = [&window](int at, uint32_t v) {
        window[at] = (uint8_t)(v >> 8);
        window[at + 1] = (uint8_t)v;
    };
    auto put32 = [&window](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) window[at + i] = (uint8_t)(v >> (24 - 8 * i));
    };
    put16(6, 48);   // descriptor length
    put16(10, p->resolution);
    put16(12, p->resolution);
    put32(14, p->offsetX);
    put32(18, p->offsetY);
    put32(22, p->pixels ? p->pixels : VdLineWidth(d));
    put32(26, p->lines ? p->lines : (uint32_t)(c->filmLength * p->resolution));
    window[33] = p->bits == 1 ? 0 : 2;   // bilevel or grey
    window[34] = p->bits;
    memset(buffer, 0, length);
    memcpy(buffer, window, length < sizeof window ? length : sizeof window);
    return 0;
}

TkStatus stopScan(void)
{
    VD_ENTER_OPEN(stopScan)
    VdScanStop(d);
    return 0;
}

TkStatus loadMedium(void)
{
    VD_ENTER_OPEN(loadMedium)
    if (c->feederPresent) TakeFilmFromStack(d);
    return d->filmInside ? 0 : 1;   // nothing to load: a warning
}

TkStatus unloadMedium(void)
{
    VD_ENTER_OPEN(unloadMedium)
    VdScanStop(d);
    d->filmInside = 0;
    return 0;
}

TkStatus getPaperStatus(uint8_t* buffer)
{
    VD_ENTER_OPEN(getPaperStatus)
    if (!buffer) return TK_FAILED;
    buffer[0] = d->filmInside ? 1 : 0;
    return 0;
}

TkStatus setFDStageMode(uint16_t mode)
{
    VD_ENTER_OPEN(setFDStageMode)
    if (mode != 1 && mode != 2) return TK_FAILED;
    d->stageMode = mode;
    return 0;
}

TkStatus stageFilmInFD(void)
{
    VD_ENTER_OPEN(stageFilmInFD)
    if (c->stageCount) {
        int16_t code = c->stage[d->stageIndex];
        d->stageIndex = NextIndex(d->stageIndex, c->stageCount);
        if (code == 0) TakeFilmFromStack(d);
        return code;
    }
    if (!c->feederPresent) return TK_FAILED;
    TakeFilmFromStack(d);
    return d->filmInside ? 0 : 18;   // an empty feeder times out
}

TkStatus doTestUnitReady(void)
{
    VD_ENTER_OPEN(doTestUnitReady)
    uint8_t answer = c->unitReadyCount ? c->unitReady[d->unitIndex] : (uint8_t)VD_UNIT_READY;
    d->unitIndex = NextIndex(d->unitIndex, c->unitReadyCount);
    d->senseStuck = answer == VD_UNIT_STUCK;
    switch (answer) {
    case VD_UNIT_TRACKING:
        d->senseKey = 2, d->senseCode = 4, d->senseQualifier = 1;
        return TK_FAILED;
    case VD_UNIT_BUSY:
    case VD_UNIT_STUCK:
        d->senseKey = 2, d->senseCode = 4, d->senseQualifier = 0;
        return TK_FAILED;
    case VD_UNIT_LOST:
        return (TkStatus)-18;
    default:
        return 0;
    }
}

TkStatus doRequestSense(uint8_t* buffer, uint16_t length, uint16_t flag)
{
    VD_ENTER_OPEN(doRequestSense)
    if (!buffer) return TK_FAILED;
    uint8_t sense[18];
    memset(sense, 0, sizeof sense);
    sense[0] = 0x70;
    sense[2] = d->senseKey;
    sense[7] = sizeof sense - 8;
    sense[12] = d->senseCode;
    sense[13] = d->senseQualifier;
    if (!d->senseStuck) d->senseKey = d->senseCode = d->senseQualifier = 0;   // read once
    memset(buffer, 0, length);
    memcpy(buffer, sense, length < sizeof sense ? length : sizeof sense);
    return 0;
}

TkStatus resetScanner(uint16_t mode, uint16_t flag)
{
    VD_ENTER_OPEN(resetScanner)
    VdScanStop(d);
    return 0;
}

TkStatus diagFullTest(uint8_t* buffer, uint16_t length)
{
    VD_ENTER_OPEN(diagFullTest)
    if (c->fullTestCount == 0) return 6;
    const VdStep* step = &c->fullTest[d->fullTestIndex];
    // A finished test starts from its first step next time.
    d->fullTestIndex = step->code == 6 ? 0 : NextIndex(d->fullTestIndex, c->fullTestCount);
    if (buffer && length) DiagnosticReply(buffer, length, 0x1D, step->text);
    return step->code;
}

TkStatus diagCalibrate(uint16_t mode, uint8_t* buffer, uint16_t length)
{
    VD_ENTER_OPEN(diagCalibrate)
    if (c->calibrateCount == 0) return 6;
    const VdStep* step = &c->calibrate[d->calibrateIndex];
    d->calibrateIndex = step->code == 6 ? 0 : NextIndex(d->calibrateIndex, c->calibrateCount);
    if (buffer && length) {
        memset(buffer, 0, length);
        size_t n = strlen(step->text);
        if (n > (size_t)length - 1) n = (size_t)length - 1;
        memcpy(buffer, step->text, n);
    }
    return step->code;
}

}  // extern "C"
