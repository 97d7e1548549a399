#include "host_png.h"

#include <stdio.h>
#include <string.h>

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size)
{
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size)
{
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

namespace {

void PutBigEndian(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value >> 24);
    out[1] = static_cast<uint8_t>(value >> 16);
    out[2] = static_cast<uint8_t>(value >> 8);
    out[3] = static_cast<uint8_t>(value);
}

// One chunk's bytes go out through this, which keeps the chunk's CRC.
struct ChunkWriter {
    FILE* file;
    uint32_t crc;
    bool ok;
};

void ChunkPut(ChunkWriter* w, const uint8_t* data, size_t size)
{
    w->crc = Crc32(w->crc, data, size);
    if (size && fwrite(data, 1, size, w->file) != size)
        w->ok = false;
}

void ChunkBegin(ChunkWriter* w, const char* type, uint32_t length)
{
    uint8_t head[4];
    PutBigEndian(head, length);
    if (fwrite(head, 1, 4, w->file) != 4)
        w->ok = false;
    w->crc = 0;
    ChunkPut(w, reinterpret_cast<const uint8_t*>(type), 4);
}

void ChunkEnd(ChunkWriter* w)
{
    uint8_t tail[4];
    PutBigEndian(tail, w->crc);
    if (fwrite(tail, 1, 4, w->file) != 4)
        w->ok = false;
}

// The zlib stream of the filtered rows (filter byte 0, then the row), cut
// into stored blocks of at most 65535 bytes.
void WriteImageData(ChunkWriter* w, uint32_t width, uint32_t height, const uint8_t* rgb, size_t stride,
                    uint64_t rawBytes)
{
    static const uint8_t zlibHeader[2] = {0x78, 0x01};
    ChunkPut(w, zlibHeader, 2);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    uint32_t adler = 1;
    uint64_t left = rawBytes;   // of the raw stream still to go
    uint32_t blockLeft = 0;     // of the current stored block
    uint32_t row = 0;
    size_t inRow = 0;           // 0 = the filter byte is next
    while (left > 0) {
        if (blockLeft == 0) {
            blockLeft = left > 65535 ? 65535 : static_cast<uint32_t>(left);
            const uint8_t head[5] = {static_cast<uint8_t>(left == blockLeft ? 1 : 0),
                                     static_cast<uint8_t>(blockLeft), static_cast<uint8_t>(blockLeft >> 8),
                                     static_cast<uint8_t>(~blockLeft), static_cast<uint8_t>(~blockLeft >> 8)};
            ChunkPut(w, head, 5);
        }
        const uint8_t* piece;
        size_t size;
        static const uint8_t filterNone = 0;
        if (inRow == 0) {
            piece = &filterNone;
            size = 1;
        } else {
            piece = rgb + row * stride + (inRow - 1);
            size = rowBytes - (inRow - 1);
            if (size > blockLeft)
                size = blockLeft;
        }
        ChunkPut(w, piece, size);
        adler = Adler32(adler, piece, size);
        blockLeft -= static_cast<uint32_t>(size);
        left -= size;
        inRow += size;
        if (inRow == rowBytes + 1) {
            inRow = 0;
            ++row;
        }
    }
    uint8_t tail[4];
    PutBigEndian(tail, adler);
    ChunkPut(w, tail, 4);
}

} // namespace

int WritePng(const char* path, uint32_t width, uint32_t height, const uint8_t* rgb, size_t stride)
{
    if (width == 0 || height == 0 || width > 0x4000 || height > 0x4000 || !rgb || stride < width * 3u)
        return 1;
    const uint64_t rawBytes = static_cast<uint64_t>(height) * (1 + static_cast<uint64_t>(width) * 3);
    const uint64_t blocks = (rawBytes + 65534) / 65535;
    const uint64_t idatBytes = 2 + rawBytes + 5 * blocks + 4;
    FILE* file = fopen(path, "wb");
    if (!file)
        return 2;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ChunkWriter w{file, 0, fwrite(signature, 1, 8, file) == 8};
    uint8_t header[13];
    PutBigEndian(header, width);
    PutBigEndian(header + 4, height);
    const uint8_t rest[5] = {8, 2, 0, 0, 0};  // 8 bits, RGB, deflate, no filter choice, no interlace
    memcpy(header + 8, rest, 5);
    ChunkBegin(&w, "IHDR", 13);
    ChunkPut(&w, header, 13);
    ChunkEnd(&w);
    ChunkBegin(&w, "IDAT", static_cast<uint32_t>(idatBytes));
    WriteImageData(&w, width, height, rgb, stride, rawBytes);
    ChunkEnd(&w);
    ChunkBegin(&w, "IEND", 0);
    ChunkEnd(&w);
    if (fclose(file) != 0)
        w.ok = false;
    return w.ok ? 0 : 2;
}
