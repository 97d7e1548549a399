// Device-independent bitmap records with the exact Windows layout, declared
// here so that the portable code needs no <windows.h>.
#pragma once

#include <stdint.h>

#pragma pack(push, 1)

typedef struct DibFileHeader {
    uint16_t type;       // "BM"
    uint32_t fileSize;
    uint16_t reserved1;
    uint16_t reserved2;
    uint32_t pixelOffset;
} DibFileHeader;

typedef struct DibInfoHeader {  // BITMAPINFOHEADER
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
} DibInfoHeader;

typedef struct DibRgbQuad {  // RGBQUAD
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
} DibRgbQuad;

#pragma pack(pop)

static_assert(sizeof(DibFileHeader) == 14, "BITMAPFILEHEADER is 14 bytes");
static_assert(sizeof(DibInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(DibRgbQuad) == 4, "RGBQUAD is 4 bytes");

enum {
    kDibTypeBM = 0x4D42,  // "BM" read as a little-endian u16
    kDibInfoHeaderSize = 40,
    kDibGreyTableBytes = 256 * 4,
    kDibGreyHeaderBytes = kDibInfoHeaderSize + kDibGreyTableBytes,  // 1064
    kDibMonoHeaderBytes = kDibInfoHeaderSize + 2 * 4,               // 48
    kDibPixelsPerMeter = 2000,
};

// Colour entries behind the header of an 8-bit DIB: colours used, where 0
// means all 256; 0 for a count an 8-bit table cannot have.
static inline uint32_t DibGreyTableEntries(const DibInfoHeader* header)
{
    if (header->clrUsed == 0) return 256;
    return header->clrUsed <= 256 ? header->clrUsed : 0;
}

// Rows of a DIB are padded with zero bytes to a multiple of 4.
static inline uint64_t DibPaddedRowBytes(uint64_t rowBytes) { return (rowBytes + 3) & ~uint64_t(3); }
