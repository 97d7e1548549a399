// The file scan pipeline: initialisation, one block of lines into the
// writer (or the temporary file) and the preview, the release of it all,
// and the loop that drives them.
#include "frame/session.h"
#include "pipeline/scan_proc.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "digitizer/pump_messages.h"
#include "digitizer/toolkit.h"
#include "frame/log.h"
#include "frame/phase_timing.h"
#include "frame/status_line.h"
#include "frame/text_copy.h"
#include "imagefile/output_writer.h"
#include "pipeline/rsz_bitlist.h"
#include "pipeline/scan_block.h"
#include "pipeline/scan_lines.h"

namespace {

constexpr int32_t kEndOfImage = 10;
constexpr int kPumpPasses = 5;

bool IsPrescan(const DSData* ds) { return ds->ScanArea->prescanMode != 0; }

uint16_t SetUpPreview(DSData* ds)
{
    const ScanSettings* s = ds->ScanSettings;
    uint32_t factor = s->scanWidth / 300;
    if (factor == 0)
        factor = 1;
    if (factor > 0xFFFF)
        factor = 0xFFFF;
    if (s->bitDepth == 1)
        return RszBitInit(ds, uint16_t(factor));
    return RszInitData(&ds->ImageControl->preview, s->scanWidth, s->bitDepth > 8 ? 2 : 1,
                       uint16_t(s->bitDepth), uint16_t(factor));
}

uint16_t OpenScanOutput(DSData* ds)
{
    PHASE_SPAN("OpenScanOutput");
    OutputSettings* out = ds->OutputSettings;
    ImageControl* c = ds->ImageControl;
    const ScanSettings* s = ds->ScanSettings;
    if (out->outputPath[0] == '\0')
        CopyText(out->outputPath, sizeof out->outputPath, "c:\\nqt\\temp\\temp.bmp");
    if (uint16_t rc = OpenOutputWriter(&c->outputWriter, out->outputPath, out->outputFormat))
        return rc;
    if (uint16_t rc = ScanProcOpenTempFile(ds))
        return rc;
    const uint32_t width = s->scanWidth, bits = s->bitDepth == 1 ? 1 : s->sampleBits;
    const uint32_t resolution = s->resolution;
    SetWriterParam(&c->outputWriter, ImageWidth, &width, 4);
    SetWriterParam(&c->outputWriter, BitsPerSample, &bits, 4);
    SetWriterParam(&c->outputWriter, Resolution, &resolution, 4);
    if (out->outputFormat == OUTPUT_DICOM)
        if (uint16_t rc = PrepareDicomRecord(&c->outputWriter, ds))
            return rc;
    // In landscape the header waits for the rotated size.
    if (c->landscape == 0)
        return BeginOutputImage(&c->outputWriter);
    return FC_OK;
}

// One line to the output (in a final scan) and, at depth 1, to the bit
// preview; 0 when a write failed.
int PutLine(DSData* ds, const uint8_t* line)
{
    const ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    const uint8_t* out = line;
    if (s->bitDepth == 1) {
        uint8_t* bits = ScanBitLine(ds);
        PackBitLine(line, s->scanWidth, c->bitThreshold, bits);
        out = bits;
    }
    if (!IsPrescan(ds)) {
        const uint16_t rc = c->landscape == 1 ? ScanProcWriteTempLine(ds, out)
                                              : WriteOutputRow(&c->outputWriter, out);
        if (rc != FC_OK)
            return 0;
    }
    if (s->bitDepth == 1 && RszBitInputLine(ds, out) != FC_OK)
        return 0;
    return 1;
}

int PutCutLines(DSData* ds, uint32_t lines)
{
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    s->blockBytes = 0;
    c->alignedLineBytes = (s->lineBytes + 3) & ~3u;
    for (uint32_t i = 0; i < lines; ++i) {
        uint8_t* copy = c->lineArea + uint64_t(i) * s->lineBytes;
        memcpy(copy, c->rawArea + c->leftSkip + uint64_t(i) * c->bytesPerLine, s->lineBytes);
        if (!PutLine(ds, copy))
            return 0;
        c->bytesDone += c->alignedLineBytes;
        s->blockBytes += s->lineBytes;
    }
    return s->bitDepth == 1 || RszInputDataBlock(&c->preview, c->lineArea, s->blockBytes) == FC_OK;
}

int PutWholeLines(DSData* ds, uint32_t lines)
{
    const ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    for (uint32_t i = 0; i < lines; ++i) {
        if (!PutLine(ds, c->rawArea + uint64_t(i) * c->bytesPerLine))
            return 0;
        c->bytesDone += c->alignedLineBytes;
    }
    return s->bitDepth == 1 ||
           RszInputDataBlock(&c->preview, c->rawArea, lines * c->bytesPerLine) == FC_OK;
}

void WarnNoFilm(DSData* ds)
{
    MessageBoxA(static_cast<HWND>(ds->HostServices->mainDialog),
                "Please Load a Film in the Digitizer.", "WARNING", MB_OK | MB_ICONEXCLAMATION);
}

bool IsShortScan(const DSData* ds)
{
    const uint32_t lines = ds->ImageControl->linesDone;
    return lines < 2 * ds->ScanSettings->resolution || lines < 250;
}

// The file in progress is only ever the writer's own: releasing the writer
// discards it and leaves any earlier image under that name as it was.
int32_t EndFailed(HWND dialog, DSData* ds)
{
    Toolkit()->stopScan();
    ReleaseScanWriter(ds);
    ScanProcFreeMem(dialog, ds);
    return 0;
}

int32_t EndCancelled(HWND dialog, DSData* ds)
{
    Toolkit()->stopScan();
    ReleaseScanWriter(ds);
    ds->ScanSettings->scanCancelled = 1;
    SetScanStatus(dialog, "Scan Cancelled.");
    ScanProcFreeMem(dialog, ds);
    return 1;
}

int32_t EndComplete(HWND dialog, DSData* ds)
{
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const int32_t finished = PHASE_CALL("ScanProcFinish", ScanProcFinish(dialog, ds));
    SetCursor(previous);
    if (!finished) {
        ScanProcFreeMem(dialog, ds);
        return 0;
    }
    char line[64];
    snprintf(line, sizeof line, "Actual Height = %ld\n", long(ds->ScanSettings->imageHeight));
    WriteLog(line);
    SetScanStatus(dialog, "Scan Completed Successfully.");
    if (ds->ImageControl->autoEject == 0 && ds->ScanSettings->prescanBits)
        Toolkit()->loadMedium();
    ScanProcFreeMem(dialog, ds);
    return 1;
}

}  // namespace

extern "C" int32_t ScanProcInitialize(void* dialogHandle, DSData* ds)
{
    PHASE_SPAN("ScanProcInitialize");
    HWND dialog = static_cast<HWND>(dialogHandle);
    if (!ScanRecordsPresent(ds) || !PrepareScanFields(dialog, ds))
        return 0;
    if (!IsPrescan(ds) && OpenScanOutput(ds) != FC_OK)
        return 0;
    if (SetUpPreview(ds) != FC_OK) {
        ShowScanError(dialog, "Resize Initialization failed.");
        return 0;
    }
    return SetUpScanBlock(ds);
}

extern "C" int32_t ScanProcReadBlock(void* dialogHandle, DSData* ds, int32_t* status)
{
    HWND dialog = static_cast<HWND>(dialogHandle);
    if (status)
        *status = 0;
    if (!ScanRecordsPresent(ds) || !ds->ImageControl->blockMemory)
        return 0;
    ScanSettings* s = ds->ScanSettings;
    ImageControl* c = ds->ImageControl;
    int32_t last = 0;
    const uint32_t request = FileScanRequest(c->bytesPerLine, c->linesPerRequest, c->averageCount);
    PHASE_CALL("ReadBlock.status", SetScanStatus(dialog, "Scanning..."));
    uint32_t received = 0;
    const int read = PHASE_CALL("ReadBlock.read", ReadScanData(dialog, ds, request, 0, &last, &received));
    if (status) *status = last;
    if (!read)
        return 0;
    if (received == 0 && last == kEndOfImage)
        return 1;

    // Lines past the longest film are not taken, even when the digitizer
    // goes on delivering.
    const uint32_t lines = LinesWithinLengthLimit(s, c->linesDone, received / c->bytesPerLine);
    c->linesDone += lines;
    if (!PHASE_CALL("ReadBlock.lines", ScanCutsRegion(ds) ? PutCutLines(ds, lines) : PutWholeLines(ds, lines)))
        return 0;
    c->bytesReceived += received;
    ShrinkLinesPerRequest(s, c);

    PumpMessages(dialog, kPumpPasses, 0);
    PHASE_CALL("ReadBlock.progress", UpdateScanProgress(dialog, ds));
    if (received == 0 || LengthLimitReached(s, c->linesDone)) {
        Toolkit()->stopScan();
        // A Cancel clicked during this block stands.
        if (s->scanState != 0)
            s->scanState = 2;
    }
    return 1;
}

extern "C" int32_t ScanProcFreeMem(void* dialogHandle, DSData* ds)
{
    (void)dialogHandle;
    if (!ScanRecordsPresent(ds))
        return 1;
    FreeScanBlock(ds);
    ScanProcCloseTempFile(ds);
    ReleaseScanWriter(ds);
    ReleasePreview(ds);
    return 1;
}

int32_t ScanProcRun(void* dialogHandle, DSData* ds)
{
    PHASE_SPAN("ScanProcRun");
    HWND dialog = static_cast<HWND>(dialogHandle);
    if (!ScanRecordsPresent(ds))
        return 0;
    ScanSettings* s = ds->ScanSettings;
    int32_t status = 0;
    Toolkit()->stopScan();
    if (!ScanProcInitialize(dialog, ds)) {
        ScanProcFreeMem(dialog, ds);
        return 0;
    }
    while (s->scanState == 1) {
        if (!ScanProcReadBlock(dialog, ds, &status))
            return EndFailed(dialog, ds);
        if (status == kEndOfImage && IsShortScan(ds) && ScanProcDetectNoFilm(ds)) {
            Toolkit()->stopScan();
            ReleaseScanWriter(ds);
            WarnNoFilm(ds);
            ScanProcFreeMem(dialog, ds);
            return 0;
        }
        if (status != 0)
            break;
    }
    if (s->scanState == 0)
        return EndCancelled(dialog, ds);
    return EndComplete(dialog, ds);
}
