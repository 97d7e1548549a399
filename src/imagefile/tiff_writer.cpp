// TIFF writer: uncompressed, single strip, little-endian greyscale. Rows
// are spooled while the film moves into the output file itself (the part
// file that is put in place at the end), in arrival order from offset
// 1024; at finish they are turned round in place, last row first
// (Orientation 4), and the fixed-layout header with the final length goes
// out. A separate spool file would double the bytes the scan dirties, and
// past a few tens of megabytes the system then writes at disk speed.
//
// The state is module-wide: one TIFF at a time per loaded library.
#include "output_writer.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "file_io.h"
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
// Rows are turned round in two chunks of at most this many bytes together.
const size_t kTurnBytes = 4u << 20;

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
    FILE* out;             // the output stream, which also spools the rows
    char outputName[512];  // for the log
    size_t spoolRowBytes;  // fixed by the first row
    uint8_t* widened;      // a 12-bit row as 16-bit samples
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

void FreeWidened()
{
    free(g_tiff.widened);
    g_tiff.widened = nullptr;
}

void OpenImgFileForWrite(FILE* out)
{
    g_tiff.out = out;
    g_tiff.rowsSpooled = 0;
    g_tiff.spoolRowBytes = 0;
    FreeWidened();
}

// The spooled rows are flushed so that they can be read back. A write
// that failed in a flush of every stream (anybody's fflush(NULL)) has left
// only the stream's error indicator behind.
bool OpenImgFileForRead()
{
    if (!g_tiff.out || fflush(g_tiff.out) != 0 || ferror(g_tiff.out)) {
        LogFileError("AppendImageToTIF", "write", g_tiff.outputName, errno);
        fprintf(stderr, "AppendImageToTIF: fwrite error.\n");
        return false;
    }
    return true;
}

// 12-bit samples in the low bits become 16-bit samples on the way in; the
// caller's row is never changed. Null when no memory is left for that.
const uint8_t* SampleRow(const uint8_t* row, size_t rowBytes)
{
    if (g_tiff.sourceBits != 12)
        return row;
    if (!g_tiff.widened && !(g_tiff.widened = (uint8_t*)malloc(rowBytes)))
        return nullptr;
    for (size_t i = 0; i + 1 < rowBytes; i += 2)
        PutU16(g_tiff.widened + i, (uint16_t)(GetU16(row + i) << 4));
    return g_tiff.widened;
}

bool WriteTIFOneRow(const uint8_t* row)
{
    uint64_t rowBytes = TiffRowBytes();
    // Offsets in the file are 32-bit; rows are turned round at finish, so
    // all of them are as long as the first.
    bool fits = rowBytes > 0 && kRowsOffset + ((uint64_t)g_tiff.rowsSpooled + 1) * rowBytes <= 0xFFFFFFFFu &&
                (g_tiff.rowsSpooled == 0 || rowBytes == g_tiff.spoolRowBytes);
    const uint8_t* data = fits && g_tiff.out ? SampleRow(row, (size_t)rowBytes) : nullptr;
    if (!data) {
        fprintf(stderr, "WriteTIFOneRow: fwrite error.\n");
        return false;
    }
    if ((g_tiff.rowsSpooled == 0 && !SeekTo(g_tiff.out, kRowsOffset)) ||
        !WriteBytes(g_tiff.out, data, (size_t)rowBytes)) {
        LogFileError("WriteTIFOneRow", "write", g_tiff.outputName, errno);
        fprintf(stderr, "WriteTIFOneRow: fwrite error.\n");
        return false;
    }
    g_tiff.spoolRowBytes = (size_t)rowBytes;
    g_tiff.rowsSpooled += 1;
    return true;
}

// `spare` holds one row while two trade places.
void TurnRowsInMemory(uint8_t* rows, size_t count, size_t rowBytes, uint8_t* spare)
{
    for (size_t i = 0; i < count / 2; ++i) {
        uint8_t* a = rows + i * rowBytes;
        uint8_t* b = rows + (count - 1 - i) * rowBytes;
        memcpy(spare, a, rowBytes);
        memcpy(a, b, rowBytes);
        memcpy(b, spare, rowBytes);
    }
}

bool ReadRows(FILE* out, uint64_t first, size_t count, size_t rowBytes, uint8_t* to)
{
    if (SeekTo(out, kRowsOffset + first * rowBytes) && ReadBytes(out, to, count * rowBytes))
        return true;
    LogFileError("AppendImageToTIF", "read back", g_tiff.outputName, errno);
    fprintf(stderr, "AppendImageToTIF: fread error.\n");
    return false;
}

bool WriteRows(FILE* out, uint64_t first, size_t count, size_t rowBytes, const uint8_t* from)
{
    if (SeekTo(out, kRowsOffset + first * rowBytes) && WriteBytes(out, from, count * rowBytes))
        return true;
    LogFileError("AppendImageToTIF", "write", g_tiff.outputName, errno);
    fprintf(stderr, "AppendImageToTIF: fwrite error.\n");
    return false;
}

// Turns the spooled rows round where they lie, so that the first row
// spooled ends last and the last at offset 1024: a chunk from the front
// and one from the back trade places, each turned, until fewer rows than
// two chunks are left in the middle, which are turned as one.
bool AppendImageToTIF(FILE* out)
{
    if (!OpenImgFileForRead())
        return false;
    const size_t rowBytes = g_tiff.spoolRowBytes;
    uint64_t low = 0, high = g_tiff.rowsSpooled;
    if (high < 2)
        return true;
    size_t chunk = kTurnBytes / 2 / rowBytes;
    if (chunk == 0)
        chunk = 1;
    if (chunk > high / 2)
        chunk = (size_t)(high / 2);
    // Rows of megabytes (a width no scan has) must not wrap the size.
    const uint64_t bufferBytes = (2 * (uint64_t)chunk + 1) * rowBytes;
    uint8_t* front = bufferBytes <= SIZE_MAX ? (uint8_t*)malloc((size_t)bufferBytes) : nullptr;
    if (!front) {
        fprintf(stderr, "AppendImageToTIF: fread error.\n");
        return false;
    }
    uint8_t* back = front + chunk * rowBytes;
    uint8_t* spare = back + chunk * rowBytes;
    bool ok = true;
    while (ok && high - low >= 2 * (uint64_t)chunk) {
        ok = ReadRows(out, low, chunk, rowBytes, front) && ReadRows(out, high - chunk, chunk, rowBytes, back);
        if (ok) {
            TurnRowsInMemory(front, chunk, rowBytes, spare);
            TurnRowsInMemory(back, chunk, rowBytes, spare);
            ok = WriteRows(out, low, chunk, rowBytes, back) && WriteRows(out, high - chunk, chunk, rowBytes, front);
        }
        low += chunk;
        high -= chunk;
    }
    const size_t middle = (size_t)(high - low);
    if (ok && middle > 1) {
        ok = ReadRows(out, low, middle, rowBytes, front);
        if (ok) {
            TurnRowsInMemory(front, middle, rowBytes, spare);
            ok = WriteRows(out, low, middle, rowBytes, front);
        }
    }
    free(front);
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

// The rows are turned first: a failure to write the spooled rows is then
// told as the rows' own.
bool BuildTif(FILE* out)
{
    if (!AppendImageToTIF(out))
        return false;
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
        return false;
    }
    return true;
}

}  // namespace

uint16_t TiffOpen(TiffWriterState* tiff, const char* path)
{
    memset(tiff, 0, sizeof *tiff);
    CopyText(g_tiff.outputName, sizeof g_tiff.outputName, path);
    // Read as well as written: the rows are turned round in the file.
    tiff->file = OpenImageStream(path, "w+b", &tiff->streamBuffer);
    if (!tiff->file) {
        LogFileError("OpenOutputWriter", "create", path, errno);
        return FC_OPEN_FAILED;
    }
    OpenImgFileForWrite(tiff->file);
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
    // The spooled rows are those of the TIFF opened last.
    if (!tiff->file || tiff->file != g_tiff.out)
        return FC_NOT_VALID;
    bool built = BuildTif(tiff->file);
    FreeWidened();
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
    if (tiff->file && tiff->file == g_tiff.out) {
        g_tiff.out = nullptr;
        FreeWidened();
    }
    return CloseWriterStream(&tiff->file, &tiff->streamBuffer);
}
