#include "bitmap_turn.h"

#include <stdlib.h>
#include <string.h>

namespace {

uint32_t StoredBitsPerPixel(uint32_t depth)
{
    switch (depth) {
    case 1: return 1;
    case 8: return 8;
    case 12:
    case 16: return 16;
    default: return 0;
    }
}

uint64_t RowBytes(uint64_t pixels, uint32_t bitsPerPixel)
{
    return DibPaddedRowBytes((pixels * bitsPerPixel + 7) / 8);
}

void CopyPixel(const uint8_t* from, uint32_t x, uint8_t* to, uint32_t y, uint32_t bitsPerPixel)
{
    if (bitsPerPixel == 1) {
        if ((from[x >> 3] >> (7 - (x & 7))) & 1)
            to[y >> 3] |= static_cast<uint8_t>(0x80u >> (y & 7));
    } else if (bitsPerPixel == 8) {
        to[y] = from[x];
    } else {
        memcpy(to + 2 * static_cast<size_t>(y), from + 2 * static_cast<size_t>(x), 2);
    }
}

}  // namespace

int TurnBitmapQuarter(DibInfoHeader* header, uint8_t* bits)
{
    if (!header || !bits || header->width <= 0 || header->height <= 0)
        return 0;
    const uint32_t bitsPerPixel = StoredBitsPerPixel(header->bitCount);
    if (bitsPerPixel == 0)
        return 0;
    const uint32_t width = static_cast<uint32_t>(header->width);
    const uint32_t height = static_cast<uint32_t>(header->height);
    const uint64_t sourceRow = RowBytes(width, bitsPerPixel);
    const uint64_t turnedRow = RowBytes(height, bitsPerPixel);
    const uint64_t fit = sourceRow * height / turnedRow;
    const uint32_t turnedHeight = fit < width ? static_cast<uint32_t>(fit) : width;
    const uint64_t scratchBytes = (uint64_t(width) + 31) * turnedRow;
    if (turnedHeight == 0 || scratchBytes > SIZE_MAX)
        return 0;
    uint8_t* turned = static_cast<uint8_t*>(calloc(1, static_cast<size_t>(scratchBytes)));
    if (!turned)
        return 0;
    // Source column x (from the left) becomes turned row x counted from the
    // bottom; source row y (from the top) becomes turned column y.
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* from = bits + (height - 1 - y) * sourceRow;
        for (uint32_t x = 0; x < width; ++x)
            CopyPixel(from, x, turned + x * turnedRow, y, bitsPerPixel);
    }
    const uint64_t keptBytes = uint64_t(turnedHeight) * turnedRow;
    memcpy(bits, turned + (width - turnedHeight) * turnedRow, static_cast<size_t>(keptBytes));
    free(turned);
    header->width = static_cast<int32_t>(height);
    header->height = static_cast<int32_t>(turnedHeight);
    if (header->sizeImage)
        header->sizeImage = static_cast<uint32_t>(keptBytes);
    return 1;
}
