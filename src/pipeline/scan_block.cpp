#include "pipeline/scan_block.h"

#include <string.h>

#include "digitizer/toolkit.h"
#include "frame/clock.h"
#include "frame/memgroups.h"
#include "frame/status_line.h"
#include "imagefile/output_writer.h"
#include "pipeline/rsz_bitlist.h"
#include "pipeline/scan_lines.h"

namespace {

// Between reads that delivered nothing: lets the library's clock (virtual
// in tests) see the time a stalled digitizer takes.
constexpr uint32_t kRetryPauseMs = 10;

// Held lines belong to one block; a new or freed block holds none.
struct HeldLines {
    const void* block;
    uint32_t bytes;
};
HeldLines g_held = {nullptr, 0};

uint32_t BlockHalfBytes(const ImageControl* c)
{
    return ScanBlockHalfBytes(c->averageCount, c->perPassLimit, c->bytesPerLine);
}

}  // namespace

// Releasing twice, or a record never opened, must touch nothing: the
// zeroed record names no format, so the dispatch leaves it alone.
void ReleaseScanWriter(DSData* ds)
{
    OutputWriter* writer = &ds->ImageControl->outputWriter;
    if (writer->format != 0)
        ReleaseOutputWriter(writer);
    memset(writer, 0, sizeof *writer);
}

// Leaves the preview record owning nothing, so that no later release can
// free a group that has passed to another owner.
void ReleasePreview(DSData* ds)
{
    RszData* preview = &ds->ImageControl->preview;
    if (preview->magic == RSZ_MAGIC)
        FreeRszData(preview);
    else if (preview->bitDepth == 1 && preview->group != FC_NO_GROUP)
        RszBitFree(ds);
    memset(preview, 0, sizeof *preview);
    preview->group = FC_NO_GROUP;
}

void ShowScanError(HWND owner, const char* text)
{
    MessageBoxA(owner, text, "ERROR", MB_OK | MB_ICONSTOP);
}

int PrepareScanFields(HWND dialog, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    ForgetScanStatus();
    c->readLimit = SCAN_READ_LIMIT;
    c->bytesDone = 0;
    c->linesDone = 0;
    // Only the block is checked by its owner (the allocator refuses a
    // foreign address); the writer and preview records may hold anything
    // the host left there, so they are cleared, never released.
    FreeScanBlock(ds);
    memset(&c->outputWriter, 0, sizeof c->outputWriter);
    s->scanCancelled = 0;
    SetScanWidth(ds->ScanArea, s, c);

    memset(&c->preview, 0, sizeof c->preview);
    c->preview.group = FC_NO_GROUP;
    uint16_t average = 0;
    Toolkit()->getAverageCount(&average);
    c->averageCount = average;
    if (average == 0) {
        ShowScanError(dialog, "Bad averageCount");
        return 0;
    }
    c->perPassLimit = SCAN_READ_LIMIT / average;

    if (s->bitDepth < 8 && s->bitDepth != 1) {
        ShowScanError(dialog, "Bad BitDepth");
        return 0;
    }
    const uint64_t bytesPerLine = s->bitDepth > 8 ? 2ull * s->scanPixels : s->scanPixels;
    // A region of no width would give lines of nothing as well.
    if (bytesPerLine == 0 || bytesPerLine > 0x7FFFFFFFu || s->scanWidth == 0) {
        ShowScanError(dialog, "Bad scanWidth");
        return 0;
    }
    c->bytesPerLine = uint32_t(bytesPerLine);
    s->imageBytes = s->scanLines * c->bytesPerLine;
    return 1;
}

int SetUpScanBlock(DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    const uint32_t half = BlockHalfBytes(c);
    const uint64_t bitLine = ds->ScanSettings->bitDepth == 1 ? BitLineBytes(ds->ScanSettings->scanWidth) : 0;
    const uint64_t total = 2ull * half + bitLine;
    void* block = nullptr;
    if (half == 0 || total > 0xFFFFFFF0u || MemAllocBlock(&block, uint32_t(total)) != FC_OK)
        return 0;
    c->blockMemory = block;
    c->rawArea = static_cast<uint8_t*>(block);
    c->lineArea = c->rawArea + half;
    g_held = {block, 0};
    c->bytesReceived = 0;
    c->linesReceived = 0;
    c->progressMark = 0;
    c->progressStep = SCAN_PROGRESS_STEP;
    c->alignedLineBytes = (c->bytesPerLine + 3) & ~3u;
    uint32_t lines = c->perPassLimit / c->bytesPerLine;
    if (lines > SCAN_MAX_LINES_PER_READ)
        lines = SCAN_MAX_LINES_PER_READ;
    // A line longer than a pass is still read, one at a time.
    c->linesPerRequest = lines ? lines : 1;
    return 1;
}

void FreeScanBlock(DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    if (c->blockMemory)
        MemFreeBlock(c->blockMemory);
    if (g_held.block == c->blockMemory)
        g_held = {nullptr, 0};
    c->blockMemory = nullptr;
    c->rawArea = nullptr;
    c->lineArea = nullptr;
}

uint8_t* ScanBitLine(const DSData* ds)
{
    const ImageControl* c = ds->ImageControl;
    return c->lineArea + BlockHalfBytes(c);
}

uint32_t HeldLineBytes(const DSData* ds)
{
    const void* block = ds->ImageControl->blockMemory;
    return block && g_held.block == block ? g_held.bytes : 0;
}

void SetHeldLineBytes(const DSData* ds, uint32_t bytes)
{
    g_held = {ds->ImageControl->blockMemory, bytes};
}

static uint32_t GetImage(uint8_t* at, uint32_t bytes, int32_t* status)
{
    int32_t got = 0;
    *status = Toolkit()->getImage(at, bytes, &got);
    // Never count more than was asked for, nor less than nothing.
    if (got < 0)
        return 0;
    return uint32_t(got) > bytes ? bytes : uint32_t(got);
}

int ReadScanData(HWND owner, DSData* ds, uint32_t request, uint32_t pauseMs, int32_t* status,
                 uint32_t* received)
{
    ImageControl* c = ds->ImageControl;
    const uint32_t lineBytes = c->bytesPerLine;
    *received = 0;
    // A request of nothing is the end of the lines wanted: no call.
    if (request == 0)
        return 1;
    uint32_t got = GetImage(c->rawArea, request, status);
    if (got % lineBytes != 0) {
        const uint32_t started = ClockTicks();
        while (got % lineBytes != 0) {
            const uint32_t missing = lineBytes - got % lineBytes;
            if (pauseMs)
                ClockSleep(pauseMs);
            const uint32_t more = GetImage(c->rawArea + got, missing, status);
            got += more;
            if (more < missing) {
                if (ClockTicks() - started > SCAN_LINE_TIMEOUT_MS) {
                    MessageBeep(MB_OK);
                    ShowScanError(owner, "Error in Scan process.");
                    return 0;
                }
                if (!pauseMs)
                    ClockSleep(kRetryPauseMs);
            }
        }
    }
    *received = got;
    return 1;
}

void UpdateScanProgress(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    ScanSettings* s = ds->ScanSettings;
    if (c->bytesDone - c->progressMark < c->progressStep)
        return;
    c->progressMark = c->bytesDone;
    s->progressBytes = c->bytesDone;
    s->progressPercent = s->progressTotal ? uint32_t(c->bytesDone * 100.0 / s->progressTotal) : 0;
    RepaintScanProgress(dialog);
}

void FinishScanProgress(HWND dialog, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    ScanSettings* s = ds->ScanSettings;
    s->progressBytes = c->bytesDone;
    s->progressTotal = c->bytesDone;
    s->progressPercent = c->bytesDone ? 100 : 0;
    RepaintScanProgress(dialog);
}

void FreeScanPreviewBitmap(DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    const bool prescan = ds->ScanArea->prescanMode != 0;
    int32_t* group = prescan ? &s->prescanGroup : &s->scanPreviewGroup;
    if (*group != FC_NO_GROUP)
        MemFreeGroup(*group);
    *group = FC_NO_GROUP;
    if (prescan) {
        s->prescanBits = nullptr;
        s->prescanInfo = nullptr;
    } else {
        s->scanPreviewBits = nullptr;
        s->scanPreviewInfo = nullptr;
    }
}
