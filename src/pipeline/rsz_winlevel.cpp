// SetWinLevel: window/level of an 8-bit grey DIB by rewriting its colour
// table, the pixels stay as they are.
#include <string.h>

#include "pipeline/dib.h"
#include "pipeline/rsz_lines.h"

uint16_t SetWinLevel(void* info, int16_t level, int16_t width)
{
    if (info == nullptr) return FC_BAD_ARGUMENT;
    DibInfoHeader header;
    memcpy(&header, info, sizeof(header));
    // Only the entries the header says follow it are rewritten: a bitmap
    // from outside may carry a shorter table.
    if (header.bitCount != 8 || header.size != kDibInfoHeaderSize) return FC_BAD_ARGUMENT;
    const int32_t entries = int32_t(DibGreyTableEntries(&header));
    if (entries == 0) return FC_BAD_ARGUMENT;
    const int32_t span = width != 0 ? width : 1;
    const int32_t halfSpan = span >= 0 ? span / 2 : -((1 - span) / 2);  // rounded down
    const int16_t low = int16_t(level - halfSpan);
    uint8_t* table = static_cast<uint8_t*>(info) + kDibInfoHeaderSize;
    for (int32_t i = 0; i < entries; ++i) {
        uint8_t grey = 255;
        if (i <= low)
            grey = 0;
        else if (i < low + span)
            grey = uint8_t(((i - low) * 256) / span);
        table[4 * i + 0] = grey;
        table[4 * i + 1] = grey;
        table[4 * i + 2] = grey;
    }
    return FC_OK;
}
