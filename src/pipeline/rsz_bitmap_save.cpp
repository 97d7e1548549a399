// SaveBitmapToFile: writes an 8-bit grey DIB as a BMP file.
#include <stdio.h>
#include <string.h>

#include "pipeline/dib.h"
#include "pipeline/rsz_lines.h"

namespace {

// Larger pixel data is refused rather than judged by where it lies in memory.
constexpr uint32_t kMaxSavedPixelBytes = 65536;
constexpr uint32_t kPixelOffset = sizeof(DibFileHeader) + kDibGreyHeaderBytes;  // 1078

}  // namespace

uint16_t SaveBitmapToFile(const char* path, const void* info, const void* bits)
{
    if (path == nullptr || info == nullptr || bits == nullptr) return FC_BAD_ARGUMENT;
    DibInfoHeader header;
    memcpy(&header, info, sizeof(header));
    // The file always carries 256 colour entries; only those the header
    // counts are read from behind it, the rest are written as zeros.
    if (header.size != kDibInfoHeaderSize || header.bitCount != 8) return FC_BAD_ARGUMENT;
    const uint32_t entries = DibGreyTableEntries(&header);
    if (entries == 0) return FC_BAD_ARGUMENT;
    if (header.sizeImage == 0) return FC_BAD_ARGUMENT;
    if (header.sizeImage > kMaxSavedPixelBytes) return FC_BITMAP_TOO_LARGE;

    DibFileHeader fileHeader{};
    fileHeader.type = kDibTypeBM;
    fileHeader.fileSize = header.sizeImage + kPixelOffset;
    fileHeader.pixelOffset = kPixelOffset;

    FILE* file = fopen(path, "wb");
    if (file == nullptr) return FC_OPEN_FAILED;
    uint8_t table[kDibGreyTableBytes] = {};
    memcpy(table, static_cast<const uint8_t*>(info) + kDibInfoHeaderSize, entries * 4);
    bool written = fwrite(&fileHeader, sizeof(fileHeader), 1, file) == 1 &&
                   fwrite(info, kDibInfoHeaderSize, 1, file) == 1 &&
                   fwrite(table, sizeof(table), 1, file) == 1 &&
                   fwrite(bits, header.sizeImage, 1, file) == 1;
    if (fclose(file) != 0) written = false;
    return written ? FC_OK : FC_SHORT_WRITE;
}
