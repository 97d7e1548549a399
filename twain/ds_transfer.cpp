#include "ds_transfer.h"

#include <stdio.h>
#include <string.h>

#include "arg_checks.h"
#include "ds_scan.h"
#include "ds_states.h"
#include "image_build.h"

namespace {

const uint32_t kReadBytes = 65536;

TW_UINT16 Failure(TW_UINT16* cc, TW_UINT16 code)
{
    *cc = code;
    return TWRC_FAILURE;
}

bool Cancelled(const SourceSession* s)
{
    // The main dialog's Cancel during a scan ends the batch as well.
    return s->settings.stopBatch != 0;
}

// Reads from FilmCore until `lines` lines wait or the image has ended.
// With `holdOpen` an image read to its end stays a running scan until its
// last line is handed on, so the dialog's Cancel still reaches it.
// TWRC_SUCCESS, TWRC_CANCEL, or TWRC_FAILURE when the scan broke off.
TW_UINT16 ReadLines(SourceSession* s, uint32_t lines, bool holdOpen = false)
{
    ScannedImage& image = s->scanned;
    // Cancel in the dialog ends the transfer even while read lines wait.
    if (Cancelled(s)) {
        if (!image.complete || image.finishPending)
            s->core.memStopScan(&s->ds);
        image.finishPending = false;
        image.complete = true;
        image.lines.clear();
        return TWRC_CANCEL;
    }
    if (image.lineBytes == 0)
        return TWRC_FAILURE;   // no lines to read an image of
    std::vector<uint8_t> block(kReadBytes > image.lineBytes ? kReadBytes : image.lineBytes);
    while (!image.complete && image.lines.size() < (size_t)lines * image.lineBytes) {
        uint32_t bytes = (uint32_t)block.size(), got = bytes / image.lineBytes;
        int32_t status = 0;
        BeginQuiet(s);
        const int32_t read = s->core.memScanReadBlock(&s->ds, block.data(), &bytes, &got, &status);
        EndQuiet();
        if (!read) {
            image.complete = true;   // FilmCore has ended the scan itself
            return Cancelled(s) ? TWRC_CANCEL : TWRC_FAILURE;
        }
        image.started = true;
        if (got == 0 || bytes != got * image.lineBytes) {
            image.complete = true;
            if (holdOpen) {
                image.finishPending = true;
                s->settings.scanState = 1;   // still scanning, as far as the dialog's Cancel knows
            } else {
                s->core.memScanFinish(&s->ds);
            }
            if (got == 0)
                break;
        }
        image.lines.insert(image.lines.end(), block.begin(), block.begin() + bytes);
        if (status != 0 && status != 10) {
            image.complete = true;
            s->core.memStopScan(&s->ds);
            return TWRC_FAILURE;
        }
    }
    return TWRC_SUCCESS;
}

// Lines already handed on plus those waiting, once the image has ended.
uint32_t KnownLength(const ScannedImage& image)
{
    if (image.lineBytes == 0)
        return image.linesHanded;
    return image.linesHanded + (uint32_t)(image.lines.size() / image.lineBytes);
}

// Reads the rest of the image, for the mechanisms that hand it on whole.
TW_UINT16 ReadWholeImage(SourceSession* s, TW_UINT16* cc)
{
    if (!s->scanned.ready || s->scanned.linesHanded)
        return Failure(cc, TWCC_SEQERROR);
    const TW_UINT16 rc = ReadLines(s, 0xffffffffu / (s->scanned.lineBytes ? s->scanned.lineBytes : 1));
    if (rc == TWRC_FAILURE)
        return Failure(cc, TWCC_OPERATIONERROR);
    if (rc == TWRC_SUCCESS && KnownLength(s->scanned) == 0)
        return Failure(cc, TWCC_NOMEDIA);
    return rc;
}

ImageLines WholeImage(const SourceSession* s)
{
    const ScannedImage& image = s->scanned;
    return {image.width, KnownLength(image), image.depth, image.dpi, image.lineBytes, image.lines.data()};
}

// The transfer is over: the films still to come decide the next state.
TW_UINT16 TransferDone(SourceSession* s, TW_UINT16 rc)
{
    s->state = DS_TRANSFERRING;
    return rc;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

}  // namespace

void DefaultFileTransfer(TW_SETUPFILEXFER* setup)
{
    memset(setup, 0, sizeof *setup);
    lstrcpynA(setup->FileName, "c:\\nqt\\temp\\twain.bmp", sizeof setup->FileName);
    setup->Format = TWFF_BMP;
}

TW_UINT16 ImageInfo(SourceSession* s, TW_IMAGEINFO* info, TW_UINT16* cc)
{
    const ScannedImage& image = s->scanned;
    if (!image.ready)
        return Failure(cc, TWCC_SEQERROR);
    // The length may stay unknown (-1) only for a memory transfer whose
    // application said it copes; otherwise the film is read to its end now.
    // A memory scan read ahead stays open for the operator's Cancel until the
    // application has taken it.
    const bool memory = CapCurrent(&s->caps, ICAP_XFERMECH) == TWSX_MEMORY;
    const bool lengthMayWait = memory && CapCurrent(&s->caps, ICAP_UNDEFINEDIMAGESIZE) != 0;
    if (!image.complete && !lengthMayWait) {
        const TW_UINT16 rc = ReadLines(s, 0xffffffffu / (image.lineBytes ? image.lineBytes : 1), memory);
        if (rc != TWRC_SUCCESS)
            return Failure(cc, TWCC_OPERATIONERROR);
    }
    memset(info, 0, sizeof *info);
    info->XResolution = info->YResolution = FloatToFix32(image.dpi);
    info->ImageWidth = (TW_INT32)image.width;
    info->ImageLength = image.complete ? (TW_INT32)KnownLength(image) : -1;
    info->SamplesPerPixel = 1;
    const bool twelveHigh = image.depth == 12 && s->image.twelveHigh;
    info->BitsPerSample[0] = (TW_INT16)(twelveHigh ? 16 : image.depth);
    info->BitsPerPixel = (TW_INT16)(image.depth > 8 ? 16 : image.depth);
    info->Planar = 0;
    info->PixelType = image.depth == 1 ? TWPT_BW : TWPT_GRAY;
    info->Compression = TWCP_NONE;
    return TWRC_SUCCESS;
}

TW_UINT16 MemoryTransfer(SourceSession* s, TW_IMAGEMEMXFER* xfer, TW_UINT16* cc)
{
    ScannedImage& image = s->scanned;
    if (!image.ready)
        return Failure(cc, TWCC_SEQERROR);
    const TW_MEMORY& memory = xfer->Memory;
    const bool handle = (memory.Flags & TWMF_HANDLE) != 0;
    const size_t handleSize = handle && memory.TheMem ? GlobalSize((HGLOBAL)memory.TheMem) : 0;
    const TW_UINT16 bad = CheckMemoryBuffer(memory, image.lineBytes, handleSize);
    if (bad != TWCC_SUCCESS)
        return Failure(cc, bad);
    const uint32_t capacity = memory.Length / image.lineBytes;
    // One line more than fits: then the strip that empties the image is known.
    const TW_UINT16 rc = ReadLines(s, capacity + 1);
    if (rc == TWRC_CANCEL)
        return TransferDone(s, TWRC_CANCEL);
    if (rc == TWRC_FAILURE) {
        s->state = DS_TRANSFERRING;
        return Failure(cc, TWCC_OPERATIONERROR);
    }
    const uint32_t waiting = (uint32_t)(image.lines.size() / image.lineBytes);
    const uint32_t rows = waiting < capacity ? waiting : capacity;
    uint8_t* out = (uint8_t*)(handle ? GlobalLock((HGLOBAL)memory.TheMem) : memory.TheMem);
    if (!out)
        return Failure(cc, TWCC_BADVALUE);
    memcpy(out, image.lines.data(), (size_t)rows * image.lineBytes);
    // The strips carry raw samples: vanilla turns them round. Bitmaps and
    // files keep chocolate, their palette or photometric tag says so.
    if (CapCurrent(&s->caps, ICAP_PIXELFLAVOR) == TWPF_VANILLA)
        InvertSamples(out, (size_t)rows * image.lineBytes, image.depth, s->image.twelveHigh != 0);
    if (handle)
        GlobalUnlock((HGLOBAL)memory.TheMem);
    image.lines.erase(image.lines.begin(), image.lines.begin() + (size_t)rows * image.lineBytes);
    xfer->Compression = TWCP_NONE;
    xfer->BytesPerRow = image.lineBytes;
    xfer->Columns = image.width;
    xfer->Rows = rows;
    xfer->XOffset = 0;
    xfer->YOffset = image.linesHanded;
    xfer->BytesWritten = rows * image.lineBytes;
    image.linesHanded += rows;
    s->state = DS_TRANSFERRING;
    if (!image.complete || !image.lines.empty())
        return TWRC_SUCCESS;
    if (image.finishPending)
        s->core.memScanFinish(&s->ds);
    image.finishPending = false;
    return TWRC_XFERDONE;
}

TW_UINT16 NativeTransfer(SourceSession* s, TW_HANDLE* dib, TW_UINT16* cc)
{
    if (s->scanned.depth > 8)
        return Failure(cc, TWCC_BADVALUE);   // a DIB holds no 12- or 16-bit grey
    const TW_UINT16 rc = ReadWholeImage(s, cc);
    if (rc != TWRC_SUCCESS)
        return rc == TWRC_CANCEL ? TransferDone(s, rc) : rc;
    const std::vector<uint8_t> bytes = PackedDib(WholeImage(s));
    HGLOBAL h = GlobalAlloc(GHND, bytes.size());
    void* p = h ? GlobalLock(h) : nullptr;
    if (!p) {
        if (h)
            GlobalFree(h);
        return Failure(cc, TWCC_LOWMEMORY);
    }
    memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(h);
    *dib = h;
    return TransferDone(s, TWRC_XFERDONE);
}

TW_UINT16 FileTransfer(SourceSession* s, TW_UINT16* cc)
{
    const bool tiff = s->file.Format == TWFF_TIFF;
    if (!tiff && s->scanned.depth > 8)
        return Failure(cc, TWCC_BADVALUE);   // a bitmap file holds at most 8 bits
    const TW_UINT16 rc = ReadWholeImage(s, cc);
    if (rc != TWRC_SUCCESS)
        return rc == TWRC_CANCEL ? TransferDone(s, rc) : rc;
    const ImageLines image = WholeImage(s);
    if (!WriteFile(s->file.FileName, tiff ? TiffFile(image) : BmpFile(image)))
        return Failure(cc, TWCC_FILEWRITEERROR);
    return TransferDone(s, TWRC_XFERDONE);
}

TW_UINT16 SetupFileTransfer(SourceSession* s, TW_UINT16 msg, TW_SETUPFILEXFER* setup, TW_UINT16* cc)
{
    if (msg == MSG_SET) {
        const TW_UINT16 bad = CheckFileSetup(*setup);
        if (bad != TWCC_SUCCESS)
            return Failure(cc, bad);
        s->file = *setup;
        return TWRC_SUCCESS;
    }
    if (msg == MSG_RESET)
        DefaultFileTransfer(&s->file);
    if (msg == MSG_GETDEFAULT)
        DefaultFileTransfer(setup);
    else
        *setup = s->file;
    return TWRC_SUCCESS;
}

TW_UINT16 PendingTransfers(SourceSession* s, TW_UINT16 msg, TW_PENDINGXFERS* pending, TW_UINT16* cc)
{
    (void)cc;
    pending->EOJ = 0;
    if (msg == MSG_GET) {
        pending->Count = (TW_UINT16)(s->state >= DS_XFER_READY ? s->filmsLeft : 0);
        return TWRC_SUCCESS;
    }
    const bool filmTaken = s->state >= DS_XFER_READY;
    EndScannedImage(s);
    // A film fed for this transfer leaves the digitizer, or the next Scan
    // would find it at the sensor and scan it again instead of the next one.
    if (filmTaken && FeederInUse(s))
        s->core.ejectFilm(s->owner);
    s->filmsLeft = msg == MSG_RESET ? 0 : s->filmsLeft - 1;
    s->state = DS_ENABLED;
    // The application stays in state 6 for the next film: no new notice.
    if (s->filmsLeft > 0 && ScanNextFilm(s, false))
        s->state = DS_XFER_READY;
    else
        s->filmsLeft = 0;
    pending->Count = (TW_UINT16)s->filmsLeft;
    return TWRC_SUCCESS;
}
