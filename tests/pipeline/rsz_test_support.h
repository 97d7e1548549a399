// Helpers shared by the resampler tests.
#pragma once

#include <stdint.h>
#include <string.h>

#include <vector>

#include "FilmCore.h"
#include "pipeline/dib.h"

// A 16-bit little-endian image as the digitizer delivers it.
inline std::vector<uint8_t> MakeImage16(uint32_t width, uint32_t lines, uint32_t (*sample)(uint32_t, uint32_t))
{
    std::vector<uint8_t> bytes(size_t(width) * lines * 2);
    for (uint32_t y = 0; y < lines; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t value = sample(x, y);
            bytes[(size_t(y) * width + x) * 2] = uint8_t(value);
            bytes[(size_t(y) * width + x) * 2 + 1] = uint8_t(value >> 8);
        }
    return bytes;
}

// The completed preview lines in list order, flattened.
inline std::vector<uint8_t> PreviewBytes(const RszData& record)
{
    std::vector<uint8_t> out;
    const RszLine* node = record.firstLine;
    const uint32_t lineBytes = record.previewWidth * record.bytesPerSample;
    for (uint32_t line = 0; line < record.previewLines && node != nullptr; ++line, node = node->next)
        out.insert(out.end(), node->data, node->data + lineBytes);
    return out;
}

inline DibInfoHeader HeaderOf(const void* info)
{
    DibInfoHeader header;
    memcpy(&header, info, sizeof(header));
    return header;
}
