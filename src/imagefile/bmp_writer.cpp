// Windows bitmap writer: a provisional header at begin, rows bottom-up in
// delivery order, and the sizes patched in at finish once the row count
// is known.
#include "output_writer.h"

#include <string.h>

#include "file_io.h"

namespace {

const uint32_t kFileHeaderSize = 14;
const uint32_t kInfoHeaderSize = 40;
const uint32_t kBilevelDataOffset = 62;
const uint32_t kGreyDataOffset = 1078;

uint64_t RowBytesFor(uint32_t bitsPerSample, uint32_t width)
{
    return ((uint64_t)bitsPerSample * width + 7) / 8;
}

uint64_t StrideFor(uint64_t rowBytes)
{
    return (rowBytes + 3) & ~(uint64_t)3;
}

}  // namespace

uint16_t BmpOpen(BmpWriterState* bmp, const char* path)
{
    memset(bmp, 0, sizeof *bmp);
    bmp->file = OpenImageStream(path, "wb", &bmp->streamBuffer);
    return bmp->file ? FC_OK : FC_OPEN_FAILED;
}

uint16_t BmpSetParam(BmpWriterState* bmp, uint32_t code, const void* value, uint32_t size)
{
    if (code < ImageLength || code > Resolution)
        return FC_BAD_ARGUMENT;
    uint32_t v;
    if (!ReadParamValue(value, size, &v))
        return FC_OK;
    switch (code) {
    case ImageLength: bmp->rowCount = v; break;
    case ImageWidth: bmp->width = v; break;
    case BitsPerSample: bmp->bitsPerSample = v >= 12 ? 16 : v; break;
    case Resolution: bmp->resolution = v; break;
    }
    return FC_OK;
}

uint16_t BmpBegin(BmpWriterState* bmp)
{
    if (!bmp->file)
        return FC_NOT_VALID;
    uint64_t rowBytes = RowBytesFor(bmp->bitsPerSample, bmp->width);
    uint64_t stride = StrideFor(rowBytes);
    if (stride > 0x7FFFFFFF)
        return FC_BAD_ARGUMENT;  // no bitmap can hold a row this long

    bool bilevel = bmp->bitsPerSample < 8;
    uint32_t paletteEntries = bilevel ? 2 : 256;
    uint8_t header[kGreyDataOffset] = {0};
    header[0] = 'B';
    header[1] = 'M';
    uint8_t* info = header + kFileHeaderSize;
    PutU32(info + 0, kInfoHeaderSize);
    PutU32(info + 4, bmp->width);
    PutU32(info + 8, bmp->rowCount);
    PutU16(info + 12, 1);
    PutU16(info + 14, (uint16_t)bmp->bitsPerSample);
    PutU32(info + 16, 0);
    PutU32(info + 20, (uint32_t)(bmp->rowCount * stride));
    PutU32(info + 24, bmp->resolution * 39);
    PutU32(info + 28, bmp->resolution * 39);
    PutU32(info + 32, paletteEntries);
    PutU32(info + 36, 0);
    uint8_t* palette = info + kInfoHeaderSize;
    for (uint32_t i = 0; i < paletteEntries; ++i) {
        uint8_t grey = bilevel ? (uint8_t)(i * 255) : (uint8_t)i;
        palette[4 * i + 0] = grey;
        palette[4 * i + 1] = grey;
        palette[4 * i + 2] = grey;
    }
    bmp->dataOffset = bilevel ? kBilevelDataOffset : kGreyDataOffset;
    if (!SeekTo(bmp->file, 0) || !WriteBytes(bmp->file, header, bmp->dataOffset))
        return FC_SHORT_WRITE;

    bmp->rowBytes = (uint32_t)rowBytes;
    bmp->padBytes = (uint32_t)(stride - rowBytes);
    bmp->padSource = 0;
    // From here on the count is of rows written: an expected length given
    // as parameter 1 must not be added to it.
    bmp->rowCount = 0;
    bmp->bytesWritten = 0;
    return FC_OK;
}

uint16_t BmpWriteRow(BmpWriterState* bmp, const void* row)
{
    if (!bmp->file)
        return FC_NOT_VALID;
    uint32_t stride = bmp->rowBytes + bmp->padBytes;
    // The file size and the height must still fit their header fields.
    if ((uint64_t)bmp->dataOffset + bmp->bytesWritten + stride > 0xFFFFFFFFu ||
        bmp->rowCount >= 0x7FFFFFFF)
        return FC_SHORT_WRITE;
    if (!WriteBytes(bmp->file, row, bmp->rowBytes) ||
        !WriteBytes(bmp->file, &bmp->padSource, bmp->padBytes))
        return FC_SHORT_WRITE;
    bmp->rowCount += 1;
    bmp->bytesWritten += stride;
    return FC_OK;
}

uint16_t BmpFinish(BmpWriterState* bmp)
{
    if (!bmp->file)
        return FC_NOT_VALID;
    bool patched = WriteU32At(bmp->file, 2, bmp->bytesWritten + bmp->dataOffset) &&
                   WriteU32At(bmp->file, 10, bmp->dataOffset) &&
                   WriteU32At(bmp->file, 22, bmp->rowCount) &&
                   WriteU32At(bmp->file, 34, bmp->bytesWritten);
    bool closed = CloseImageStream(&bmp->file, &bmp->streamBuffer);
    return patched && closed ? FC_OK : FC_SHORT_WRITE;
}
