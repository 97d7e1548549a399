// Memory transfer: the host pulls the scan block by block into buffers of
// its own. Same reads as the file pipeline; no writer, no rotation, no
// preview. Lines that do not fit the caller's buffer (a read with
// averaging brings a fixed 32768 bytes) wait in the line area for the next
// call.
#include <windows.h>

#include <string.h>

#include "digitizer/pump_messages.h"
#include "digitizer/toolkit.h"
#include "frame/scan_controls.h"
#include "frame/session.h"
#include "frame/status_line.h"
#include "pipeline/scan_block.h"
#include "pipeline/scan_lines.h"

namespace {

constexpr int32_t kEndOfImage = 10;
constexpr uint32_t kCompletionPauseMs = 100;
constexpr int kPumpPasses = 5;

HWND MainDialog(const DSData* ds)
{
    return static_cast<HWND>(ds->HostServices->mainDialog);
}

uint32_t DeliveredLineBytes(const DSData* ds)
{
    const ScanSettings* s = ds->ScanSettings;
    if (s->selectionFlags & 1) {
        const uint32_t bytesPerLine = ds->ImageControl->bytesPerLine;
        return s->bitDepth == 1 ? BitLineBytes(bytesPerLine) : bytesPerLine;
    }
    return OutputLineBytes(s->bitDepth, s->scanWidth);
}

struct Delivery {
    uint8_t* buffer;
    uint32_t capacity;  // whole lines
    uint32_t wanted;
    uint32_t lineBytes;
    uint32_t filled;
    uint32_t lines;
    bool Full() const { return filled >= capacity || lines >= wanted; }
};

void Deliver(Delivery* d, const uint8_t* line)
{
    memcpy(d->buffer + d->filled, line, d->lineBytes);
    d->filled += d->lineBytes;
    ++d->lines;
}

void DeliverHeld(DSData* ds, Delivery* d)
{
    uint8_t* held = ds->ImageControl->lineArea;
    const uint32_t bytes = HeldLineBytes(ds);
    uint32_t taken = 0;
    while (taken < bytes && !d->Full()) {
        Deliver(d, held + taken);
        taken += d->lineBytes;
    }
    if (taken > 0) {
        memmove(held, held + taken, bytes - taken);
        SetHeldLineBytes(ds, bytes - taken);
    }
}

// The line as delivered: cut, packed or shifted, in the block.
const uint8_t* PrepareLine(DSData* ds, uint32_t i, bool cut)
{
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    uint8_t* line = c->rawArea + uint64_t(i) * c->bytesPerLine;
    if (cut) {
        uint8_t* copy = c->lineArea + uint64_t(i) * s->lineBytes;
        memmove(copy, c->rawArea + c->leftSkip + uint64_t(i) * c->bytesPerLine, s->lineBytes);
        s->blockBytes += s->lineBytes;
        line = copy;
    }
    if (s->bitDepth == 1) {
        uint8_t* bits = ScanBitLine(ds);
        PackBitLine(line, s->scanWidth, c->bitThreshold, bits);
        return bits;
    }
    // Only 12-bit samples have free high bits; 16-bit ones would lose theirs.
    if (s->bitDepth == 12 && c->twelveHigh)
        ShiftTwelveHigh(line, s->scanWidth);
    return line;
}

void TakeLines(DSData* ds, Delivery* d, uint32_t lines)
{
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    const bool cut = (s->selectionFlags & 1) == 0;
    if (cut) {
        s->blockBytes = 0;
        c->alignedLineBytes = (s->lineBytes + 3) & ~3u;
    }
    for (uint32_t i = 0; i < lines; ++i) {
        const uint8_t* line = PrepareLine(ds, i, cut);
        if (!d->Full()) {
            Deliver(d, line);
        } else {
            const uint32_t held = HeldLineBytes(ds);
            memmove(c->lineArea + held, line, d->lineBytes);
            SetHeldLineBytes(ds, held + d->lineBytes);
        }
        c->bytesDone += c->alignedLineBytes;
    }
}

}  // namespace

extern "C" int32_t MemScanInitialize(void* dialogHandle, DSData* ds)
{
    HWND dialog = static_cast<HWND>(dialogHandle);
    if (!ScanRecordsPresent(ds))
        return 0;
    ScanProcFreeMem(dialog, ds);
    if (!PrepareScanFields(dialog, ds) || !SetUpScanBlock(ds))
        return 0;
    if (ds->HostServices->imageReady) {
        ds->ScanSettings->scanState = 2;
        ds->HostServices->imageReady(ds);
        ds->ScanSettings->scanState = 1;
    }
    return 1;
}

extern "C" int32_t MemScanReadBlock(DSData* ds, void* buffer, uint32_t* byteCount, uint32_t* lineCount,
                                    int32_t* status)
{
    if (!byteCount || !lineCount || !status)
        return 0;
    *status = 0;
    if (!ScanRecordsPresent(ds)) {
        *byteCount = 0;
        *lineCount = 0;
        return 0;
    }
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    const uint32_t lineBytes = c->blockMemory ? DeliveredLineBytes(ds) : 0;
    if (lineBytes == 0 || (!buffer && *byteCount)) {
        *byteCount = 0;
        *lineCount = 0;
        return 0;
    }
    Delivery d{};
    d.buffer = static_cast<uint8_t*>(buffer);
    d.lineBytes = lineBytes;
    d.capacity = *byteCount / lineBytes * lineBytes;
    d.wanted = *lineCount < d.capacity / lineBytes ? *lineCount : d.capacity / lineBytes;
    *lineCount = 0;

    DeliverHeld(ds, &d);
    if (d.lines == 0 && c->linesPerRequest == 0) {
        Toolkit()->stopScan();
        s->scanState = 2;
        *byteCount = 0;
        return 1;
    }
    HWND main = MainDialog(ds);
    SetScanStatus(main, "Scanning...");
    int32_t last = 0;
    // Every line of scanLines received: the end is met on the next call.
    while (!d.Full() && last == 0 && c->linesPerRequest > 0) {
        const uint32_t request = MemScanRequest(c->bytesPerLine, d.wanted - d.lines, c->averageCount);
        uint32_t received = 0;
        const int read = ReadScanData(main, ds, request, kCompletionPauseMs, &last, &received);
        *status = last;
        if (!read) {
            *byteCount = d.filled;
            *lineCount = d.lines;
            return 0;
        }
        if (received == 0 && last == kEndOfImage)
            break;
        const uint32_t lines = LinesWithinLengthLimit(s, c->linesDone, received / c->bytesPerLine);
        c->linesDone += lines;
        TakeLines(ds, &d, lines);
        c->bytesReceived += received;
        ShrinkLinesPerRequest(s, c);

        const int pumped = PumpMessages(main, kPumpPasses, 0);
        if (pumped == 0 || s->scanState == 0) {
            Toolkit()->stopScan();
            s->scanState = 2;
            *byteCount = d.filled;
            *lineCount = d.lines;
            return 0;
        }
        UpdateScanProgress(main, ds);
        if (received == 0 || LengthLimitReached(s, c->linesDone)) {
            Toolkit()->stopScan();
            break;
        }
    }
    *byteCount = d.filled;
    *lineCount = d.lines;
    return 1;
}

extern "C" int32_t MemScanFinish(DSData* ds)
{
    if (!ScanRecordsPresent(ds))
        return 1;
    ScanSettings* s = ds->ScanSettings;
    s->scanState = 2;
    FinishScanProgress(MainDialog(ds), ds);
    s->imageWidth = s->scanWidth;
    s->imageHeight = ds->ImageControl->linesDone;
    // A memory transfer builds no preview: the old one of this kind is stale.
    FreeScanPreviewBitmap(ds);
    RestoreScanControls(MainDialog(ds));
    return 1;
}

extern "C" int32_t MemStopScan(DSData* ds)
{
    if (!ScanRecordsPresent(ds))
        return 1;
    ds->ScanSettings->scanState = 2;
    RestoreScanControls(MainDialog(ds));
    return 1;
}
