// TIFF writer: uncompressed, single strip, little-endian greyscale. Rows
// are spooled to a temporary file while the film moves; at finish the
// fixed-layout header with the final length goes out, then the rows are
// copied back in reverse order from offset 1024 (Orientation 4).
//
// The state is module-wide: one TIFF at a time per loaded library.
#include "output_writer.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "file_io.h"
#include "spool_file.h"
#include "frame/file_fault.h"
#include "frame/text_copy.h"

namespace {

enum { TIFF_ASCII = 2, TIFF_SHORT = 3, TIFF_LONG = 4, TIFF_RATIONAL = 5 };

const uint16_t kFirstTag = 255;
const uint16_t kLastTag = 301;
const size_t kTagCount = kLastTag - kFirstTag + 1;
const uint32_t kRationalOffset = 512;
const uint32_t kRowsOffset = 1024;
const size_t kHeaderBufferSize = 512 + 16;
const size_t kMaxIfdEntries = (kRationalOffset - 8 - 2 - 4) / 12;
// Rows go to the spool and back in blocks of about this many bytes.
const size_t kBlockBytes = 4u << 20;

struct TiffTag {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;
    uint16_t written;
};

struct TiffState {
    TiffTag tags[kTagCount];
    uint32_t tiffWidth;
    uint16_t tiffBits;
    uint16_t sourceBits;
    uint32_t rowsSpooled;
    uint32_t xResolution[2];
    uint32_t yResolution[2];
    uint32_t extraSize;
    uint8_t headerBuffer[kHeaderBufferSize];
    FILE* spoolFile;
    char spoolPath[512];
    char outputName[512];  // for the log
    uint8_t* block;       // rows not yet spooled, last row first
    size_t blockRows;
    size_t blockRowBytes;
    size_t rowsInBlock;
};

TiffState MakeInitialState()
{
    TiffState s;
    memset(&s, 0, sizeof s);
    for (size_t i = 0; i < kTagCount; ++i) {
        s.tags[i].tag = (uint16_t)(kFirstTag + i);
        s.tags[i].type = TIFF_SHORT;
        s.tags[i].count = 1;
    }
    struct Initial { uint16_t tag, type; uint32_t count, value; uint16_t written; };
    static const Initial initial[] = {
        {255, TIFF_SHORT, 1, 1, 1},    {256, TIFF_SHORT, 1, 0, 1},    {257, TIFF_SHORT, 1, 0, 1},
        {258, TIFF_SHORT, 1, 4, 1},    {259, TIFF_SHORT, 1, 1, 0},    {262, TIFF_SHORT, 1, 1, 1},
        {263, TIFF_SHORT, 1, 2, 0},    {266, TIFF_SHORT, 1, 1, 0},    {269, TIFF_ASCII, 0, 0, 0},
        {270, TIFF_ASCII, 0, 0, 0},    {271, TIFF_ASCII, 0, 0, 0},    {272, TIFF_ASCII, 0, 0, 0},
        {273, TIFF_SHORT, 1, kRowsOffset, 1}, {274, TIFF_SHORT, 1, 4, 1}, {277, TIFF_SHORT, 1, 1, 1},
        {278, TIFF_SHORT, 1, 0, 0},    {279, TIFF_LONG, 1, 0, 0},     {280, TIFF_SHORT, 1, 0, 1},
        {281, TIFF_SHORT, 1, 255, 1},  {282, TIFF_RATIONAL, 1, kRationalOffset, 1},
        {283, TIFF_RATIONAL, 1, kRationalOffset + 8, 1}, {284, TIFF_SHORT, 1, 1, 1},
        {285, TIFF_ASCII, 0, 0, 0},    {286, TIFF_RATIONAL, 1, 0, 0}, {287, TIFF_RATIONAL, 1, 0, 0},
        {288, TIFF_LONG, 1, 0, 0},     {289, TIFF_LONG, 1, 0, 0},     {292, TIFF_LONG, 1, 0, 0},
        {293, TIFF_LONG, 1, 0, 0},
    };
    for (const Initial& e : initial) {
        TiffTag& t = s.tags[e.tag - kFirstTag];
        t.type = e.type;
        t.count = e.count;
        t.value = e.value;
        t.written = e.written;
    }
    s.tiffBits = 8;
    s.sourceBits = 8;
    s.xResolution[0] = s.yResolution[0] = 300;
    s.xResolution[1] = s.yResolution[1] = 1;
    s.extraSize = 16;
    return s;
}

TiffState g_tiff = MakeInitialState();

uint64_t TiffRowBytes()
{
    return ((uint64_t)g_tiff.tiffBits * g_tiff.tiffWidth + 7) / 8;
}

void StoreTag(uint16_t tag, uint32_t value)
{
    TiffTag& entry = g_tiff.tags[tag - kFirstTag];
    entry.written = 1;
    switch (tag) {
    case 282:
        g_tiff.xResolution[0] = value;
        g_tiff.xResolution[1] = 1;
        return;
    case 283:
        g_tiff.yResolution[0] = value;
        g_tiff.yResolution[1] = 1;
        return;
    case 256:
        g_tiff.tiffWidth = value;
        break;
    case 258:
        if (value == 12) {
            g_tiff.sourceBits = 12;
            g_tiff.tiffBits = 16;
            value = 16;
        } else {
            g_tiff.sourceBits = 8;
            g_tiff.tiffBits = (uint16_t)value;
        }
        break;
    }
    entry.value = value;
}

// The one entry point for every tag: a 4-byte value is read as u32, a
// 2-byte one as u16, any other size passes the pointer value itself.
uint16_t SetTiffTag(uint16_t tag, const void* value, uint32_t size)
{
    if (tag < kFirstTag || tag > kLastTag)
        return FC_BAD_ARGUMENT;
    uint32_t v;
    if (!ReadParamValue(value, size, &v))
        v = (uint32_t)(uintptr_t)value;
    StoreTag(tag, v);
    return FC_OK;
}

void CloseSpool()
{
    if (g_tiff.spoolFile)
        fclose(g_tiff.spoolFile);  // the spool file vanishes with its last handle
    g_tiff.spoolFile = nullptr;
}

void FreeBlock()
{
    free(g_tiff.block);
    g_tiff.block = nullptr;
    g_tiff.blockRows = 0;
    g_tiff.blockRowBytes = 0;
    g_tiff.rowsInBlock = 0;
}

bool OpenImgFileForWrite()
{
    g_tiff.rowsSpooled = 0;
    CloseSpool();
    FreeBlock();
    g_tiff.spoolFile = OpenSpoolFile(g_tiff.spoolPath, sizeof g_tiff.spoolPath);
    if (!g_tiff.spoolFile) {
        LogFileError("OpenImgFileForWrite", "create", g_tiff.spoolPath[0] ? g_tiff.spoolPath : SpoolFolder(), errno);
        fprintf(stderr, "OpenImgFileForWrite: can't open file %s\n", g_tiff.spoolPath);
        return false;
    }
    return true;
}

// The spool stays open (it has no name to reopen by); reading starts over.
bool OpenImgFileForRead()
{
    if (!g_tiff.spoolFile || fflush(g_tiff.spoolFile) != 0 || !SeekTo(g_tiff.spoolFile, 0)) {
        LogFileError("OpenImgFileForRead", "read back", g_tiff.spoolPath, errno);
        fprintf(stderr, "OpenImgFileForRead: can't open file %s\n", g_tiff.spoolPath);
        return false;
    }
    return true;
}

bool EnsureBlock(size_t rowBytes)
{
    if (g_tiff.block)
        return g_tiff.blockRowBytes == rowBytes;  // the row length is fixed by the first row
    size_t rows = kBlockBytes / rowBytes;
    g_tiff.blockRows = rows > 0 ? rows : 1;
    g_tiff.block = (uint8_t*)malloc(g_tiff.blockRows * rowBytes);
    g_tiff.blockRowBytes = rowBytes;
    g_tiff.rowsInBlock = 0;
    return g_tiff.block != nullptr;
}

// Rows are gathered into a block from its end backwards, so each block
// goes to the spool (and later to the file) already in reverse order.
// 12-bit samples in the low bits become 16-bit samples on the way in; the
// caller's row is never changed.
void PlaceRow(const uint8_t* row, size_t rowBytes)
{
    uint8_t* slot = g_tiff.block + (g_tiff.blockRows - 1 - g_tiff.rowsInBlock) * rowBytes;
    if (g_tiff.sourceBits == 12) {
        for (size_t i = 0; i + 1 < rowBytes; i += 2)
            PutU16(slot + i, (uint16_t)(GetU16(row + i) << 4));
    } else {
        memcpy(slot, row, rowBytes);
    }
    g_tiff.rowsInBlock += 1;
}

bool WriteTIFOneRow(const uint8_t* row)
{
    uint64_t rowBytes = TiffRowBytes();
    // Offsets in the file are 32-bit.
    bool fits = rowBytes > 0 && kRowsOffset + ((uint64_t)g_tiff.rowsSpooled + 1) * rowBytes <= 0xFFFFFFFFu;
    if (!fits || !g_tiff.spoolFile || !EnsureBlock((size_t)rowBytes)) {
        fprintf(stderr, "WriteTIFOneRow: fwrite error.\n");
        return false;
    }
    PlaceRow(row, (size_t)rowBytes);
    if (g_tiff.rowsInBlock == g_tiff.blockRows) {
        if (!WriteBytes(g_tiff.spoolFile, g_tiff.block, g_tiff.blockRows * (size_t)rowBytes)) {
            LogFileError("WriteTIFOneRow", "write", g_tiff.spoolPath, errno);
            fprintf(stderr, "WriteTIFOneRow: fwrite error.\n");
            g_tiff.rowsInBlock -= 1;
            return false;
        }
        g_tiff.rowsInBlock = 0;
    }
    g_tiff.rowsSpooled += 1;
    return true;
}

// Puts the rows into the output from offset 1024, last row first: the
// block still in memory, then the spooled blocks from the last back to
// the first. The output is written front to back, without a seek per row.
bool AppendImageToTIF(FILE* out)
{
    if (!OpenImgFileForRead())
        return false;
    bool ok = true;
    if (g_tiff.rowsSpooled > 0) {
        size_t rowBytes = g_tiff.blockRowBytes;
        size_t blockBytes = g_tiff.blockRows * rowBytes;
        size_t waiting = g_tiff.rowsInBlock;
        ok = SeekTo(out, kRowsOffset) &&
             WriteBytes(out, g_tiff.block + (g_tiff.blockRows - waiting) * rowBytes, waiting * rowBytes);
        if (!ok) {
            LogFileError("AppendImageToTIF", "write", g_tiff.outputName, errno);
            fprintf(stderr, "AppendImageToTIF: fwrite error.\n");
        }
        size_t blocks = (g_tiff.rowsSpooled - waiting) / g_tiff.blockRows;
        while (ok && blocks > 0) {
            --blocks;
            if (!SeekTo(g_tiff.spoolFile, (uint64_t)blocks * blockBytes) ||
                !ReadBytes(g_tiff.spoolFile, g_tiff.block, blockBytes)) {
                LogFileError("AppendImageToTIF", "read back", g_tiff.spoolPath, errno);
                fprintf(stderr, "AppendImageToTIF: fread error.\n");
                ok = false;
            } else if (!WriteBytes(out, g_tiff.block, blockBytes)) {
                LogFileError("AppendImageToTIF", "write", g_tiff.outputName, errno);
                fprintf(stderr, "AppendImageToTIF: fwrite error.\n");
                ok = false;
            }
        }
    }
    if (ok && ferror(g_tiff.spoolFile)) {
        LogFileError("AppendImageToTIF", "read back", g_tiff.spoolPath, errno);
        fprintf(stderr, "AppendImageToTIF: fread error\n");
        ok = false;
    }
    CloseSpool();
    return ok;
}

void PackEntry(uint8_t* at, const TiffTag& entry)
{
    uint16_t type = entry.type;
    if (type == TIFF_SHORT && entry.value > 0xFFFF)
        type = TIFF_LONG;  // a length beyond 16 bits stays readable
    PutU16(at, entry.tag);
    PutU16(at + 2, type);
    PutU32(at + 4, entry.count);
    PutU32(at + 8, entry.value);
}

bool BuildTif(FILE* out)
{
    StoreTag(257, g_tiff.rowsSpooled);
    uint8_t* buffer = g_tiff.headerBuffer;
    memset(buffer, 0, kHeaderBufferSize);
    buffer[0] = 'I';
    buffer[1] = 'I';
    PutU16(buffer + 2, 42);
    PutU32(buffer + 4, 8);
    uint16_t entries = 0;
    uint8_t* at = buffer + 10;
    for (size_t i = 0; i < kTagCount && entries < kMaxIfdEntries; ++i) {
        if (!g_tiff.tags[i].written)
            continue;
        PackEntry(at, g_tiff.tags[i]);
        at += 12;
        ++entries;
    }
    PutU16(buffer + 8, entries);
    PutU32(at, 0);
    PutU32(buffer + kRationalOffset, g_tiff.xResolution[0]);
    PutU32(buffer + kRationalOffset + 4, g_tiff.xResolution[1]);
    PutU32(buffer + kRationalOffset + 8, g_tiff.yResolution[0]);
    PutU32(buffer + kRationalOffset + 12, g_tiff.yResolution[1]);

    if (!SeekTo(out, 0) || !WriteBytes(out, buffer, kRationalOffset + g_tiff.extraSize)) {
        LogFileError("BuildTif", "write", g_tiff.outputName, errno);
        fprintf(stderr, "BuildTif: fwrite error \n");
        CloseSpool();
        return false;
    }
    return AppendImageToTIF(out);
}

}  // namespace

uint16_t TiffOpen(TiffWriterState* tiff, const char* path)
{
    memset(tiff, 0, sizeof *tiff);
    CopyText(g_tiff.outputName, sizeof g_tiff.outputName, path);
    tiff->file = OpenImageStream(path, "wb", &tiff->streamBuffer);
    if (!tiff->file) {
        LogFileError("OpenOutputWriter", "create", path, errno);
        return FC_OPEN_FAILED;
    }
    if (!OpenImgFileForWrite())
        return FC_OPEN_FAILED;
    g_tiff.xResolution[0] = g_tiff.yResolution[0] = 300;
    g_tiff.xResolution[1] = g_tiff.yResolution[1] = 1;
    g_tiff.extraSize = 16;
    return FC_OK;
}

uint16_t TiffSetParam(uint32_t code, const void* value, uint32_t size)
{
    switch (code) {
    case ImageLength:
        return SetTiffTag(257, value, size);
    case ImageWidth:
        return SetTiffTag(256, value, size);
    case BitsPerSample: {
        SetTiffTag(258, value, size);
        uint32_t one = 1;
        SetTiffTag(277, &one, sizeof one);
        uint32_t bits = g_tiff.tags[258 - kFirstTag].value;
        uint32_t maxSample = bits == 16 ? 65535 : bits == 8 ? 255 : 1;
        return SetTiffTag(281, &maxSample, sizeof maxSample);
    }
    case Resolution:
        SetTiffTag(282, value, size);
        return SetTiffTag(283, value, size);
    default:
        return FC_BAD_ARGUMENT;
    }
}

uint16_t TiffWriteRow(const void* row)
{
    return WriteTIFOneRow((const uint8_t*)row) ? FC_OK : FC_SHORT_WRITE;
}

uint16_t TiffFinish(TiffWriterState* tiff)
{
    if (!tiff->file) {
        CloseSpool();
        FreeBlock();
        return FC_NOT_VALID;
    }
    bool built = BuildTif(tiff->file);
    FreeBlock();
    if (!built)
        return FC_SHORT_WRITE;
    // The stream stays open until release; its data must be on disk now,
    // while a failure can still be reported as one.
    if (fflush(tiff->file) != 0) {
        LogFileError("BuildTif", "write", g_tiff.outputName, errno);
        fprintf(stderr, "BuildTif: fwrite error \n");
        return FC_SHORT_WRITE;
    }
    return FC_OK;
}

uint16_t TiffRelease(TiffWriterState* tiff)
{
    CloseSpool();
    FreeBlock();
    return CloseWriterStream(&tiff->file, &tiff->streamBuffer);
}
