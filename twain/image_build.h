// The images the source hands on whole, built from the lines of a memory
// transfer: a packed DIB for a native transfer, BMP and TIFF files for a
// file transfer. Portable, so they are checked natively.
#ifndef FILMTWAIN_IMAGE_BUILD_H
#define FILMTWAIN_IMAGE_BUILD_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

// Lines back to back, top first: 1 bit (most significant bit first, 1 =
// bright), 8 bits, or two bytes a sample low byte first for 12 and 16.
struct ImageLines {
    uint32_t width, height, depth, dpi, lineBytes;
    const uint8_t* data;
};

// BITMAPINFOHEADER, grey palette, rows bottom-up padded to 4 bytes; depth 1
// or 8 only (empty otherwise).
std::vector<uint8_t> PackedDib(const ImageLines& image);
// The DIB behind a BITMAPFILEHEADER.
std::vector<uint8_t> BmpFile(const ImageLines& image);
// An uncompressed single-strip little-endian TIFF; 12 bits are written as 16.
std::vector<uint8_t> TiffFile(const ImageLines& image);

// Inverts samples in place, for TWPF_VANILLA (0 the lightest): every bit of
// 1-, 8- and 16-bit data; 12-bit samples within their 12 bits, stored in the
// high bits of two bytes when `twelveHigh`.
void InvertSamples(uint8_t* data, size_t bytes, uint32_t depth, bool twelveHigh);

#endif
