#include "image_build.h"

#include <string.h>

namespace {

void Put16(std::vector<uint8_t>* b, uint32_t v)
{
    b->push_back((uint8_t)v);
    b->push_back((uint8_t)(v >> 8));
}

void Put32(std::vector<uint8_t>* b, uint32_t v)
{
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}

uint32_t DibRowBytes(const ImageLines& image)
{
    return ((image.width * image.depth + 31) / 32) * 4;
}

uint32_t PixelsPerMetre(uint32_t dpi)
{
    return (uint32_t)(dpi / 0.0254 + 0.5);
}

bool Complete(const ImageLines& image)
{
    return image.data && image.width && image.height && image.lineBytes;
}

void TiffEntry(std::vector<uint8_t>* b, uint16_t tag, uint16_t type, uint32_t value)
{
    Put16(b, tag);
    Put16(b, type);
    Put32(b, 1);
    if (type == 3) {
        Put16(b, value);
        Put16(b, 0);
    } else {
        Put32(b, value);
    }
}

}  // namespace

std::vector<uint8_t> PackedDib(const ImageLines& image)
{
    std::vector<uint8_t> dib;
    if (!Complete(image) || (image.depth != 1 && image.depth != 8))
        return dib;
    const uint32_t colours = 1u << image.depth;
    const uint32_t row = DibRowBytes(image);
    Put32(&dib, 40);
    Put32(&dib, image.width);
    Put32(&dib, image.height);   // positive: bottom-up
    Put16(&dib, 1);
    Put16(&dib, image.depth);
    Put32(&dib, 0);
    Put32(&dib, row * image.height);
    Put32(&dib, PixelsPerMetre(image.dpi));
    Put32(&dib, PixelsPerMetre(image.dpi));
    Put32(&dib, colours);
    Put32(&dib, colours);
    for (uint32_t i = 0; i < colours; ++i) {
        const uint8_t grey = (uint8_t)(i * 255 / (colours - 1));
        dib.insert(dib.end(), {grey, grey, grey, 0});
    }
    const size_t bits = dib.size();
    dib.resize(bits + (size_t)row * image.height, 0);
    const uint32_t copy = image.lineBytes < row ? image.lineBytes : row;
    for (uint32_t y = 0; y < image.height; ++y)
        memcpy(&dib[bits + (size_t)(image.height - 1 - y) * row], image.data + (size_t)y * image.lineBytes, copy);
    return dib;
}

std::vector<uint8_t> BmpFile(const ImageLines& image)
{
    const std::vector<uint8_t> dib = PackedDib(image);
    std::vector<uint8_t> file;
    if (dib.empty())
        return file;
    const uint32_t bitsAt = 14 + 40 + 4 * (1u << image.depth);
    file.push_back('B');
    file.push_back('M');
    Put32(&file, (uint32_t)(14 + dib.size()));
    Put32(&file, 0);
    Put32(&file, bitsAt);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

std::vector<uint8_t> TiffFile(const ImageLines& image)
{
    std::vector<uint8_t> tif;
    if (!Complete(image))
        return tif;
    const uint32_t bits = image.depth > 8 ? 16 : image.depth;
    const uint32_t stripBytes = image.lineBytes * image.height;
    const uint16_t kEntries = 12;
    const uint32_t ifdAt = 8;
    const uint32_t resolutionAt = ifdAt + 2 + kEntries * 12 + 4;
    const uint32_t stripAt = resolutionAt + 8;
    tif.insert(tif.end(), {'I', 'I', 42, 0});
    Put32(&tif, ifdAt);
    Put16(&tif, kEntries);
    TiffEntry(&tif, 254, 4, 0);                 // NewSubfileType
    TiffEntry(&tif, 256, 4, image.width);       // ImageWidth
    TiffEntry(&tif, 257, 4, image.height);      // ImageLength
    TiffEntry(&tif, 258, 3, bits);              // BitsPerSample
    TiffEntry(&tif, 259, 3, 1);                 // no compression
    TiffEntry(&tif, 262, 3, 1);                 // BlackIsZero
    TiffEntry(&tif, 273, 4, stripAt);           // StripOffsets
    TiffEntry(&tif, 277, 3, 1);                 // SamplesPerPixel
    TiffEntry(&tif, 278, 4, image.height);      // RowsPerStrip
    TiffEntry(&tif, 279, 4, stripBytes);        // StripByteCounts
    TiffEntry(&tif, 282, 5, resolutionAt);      // XResolution
    TiffEntry(&tif, 283, 5, resolutionAt);      // YResolution
    Put32(&tif, 0);
    Put32(&tif, image.dpi);
    Put32(&tif, 1);
    tif.insert(tif.end(), image.data, image.data + stripBytes);
    return tif;
}

void InvertSamples(uint8_t* data, size_t bytes, uint32_t depth, bool twelveHigh)
{
    if (depth != 12) {
        for (size_t i = 0; i < bytes; ++i)
            data[i] = (uint8_t)~data[i];
        return;
    }
    const uint16_t mask = twelveHigh ? 0xfff0 : 0x0fff;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const uint16_t v = (uint16_t)(~(data[i] | data[i + 1] << 8) & mask);
        data[i] = (uint8_t)v;
        data[i + 1] = (uint8_t)(v >> 8);
    }
}
