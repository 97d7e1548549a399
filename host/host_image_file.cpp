#include "host_image_file.h"

#include <string.h>

#include <vector>

namespace {

const int kHeaderBytes = 64;

uint32_t BytesPerSample(uint32_t depth) { return depth > 8 ? 2 : 1; }

// Padding blanks keep the header the same length whatever the numbers.
void FormatHeader(const HostImageFile* f, char* header)
{
    char text[kHeaderBytes + 1];
    if (f->raw)
        snprintf(text, sizeof text, "FILMHOST RAW\nwidth %u\nheight %u\ndepth %u\nlinebytes %u\n",
                 HostImageWidth(f), f->lines, f->depth, f->lineBytes);
    else
        snprintf(text, sizeof text, "P5\n%u %u", HostImageWidth(f), f->lines);
    const size_t used = strlen(text);
    memset(header, ' ', kHeaderBytes);
    memcpy(header, text, used);
    header[kHeaderBytes - 1] = '\n';
    if (!f->raw) {
        // PGM: the maxval ends the header, followed by exactly one blank.
        char tail[16];
        const int n = snprintf(tail, sizeof tail, "\n%u\n", f->maxValue);
        memcpy(header + kHeaderBytes - n, tail, n);
    }
}

bool WriteHeader(HostImageFile* f)
{
    char header[kHeaderBytes];
    FormatHeader(f, header);
    return fseek(f->file, 0, SEEK_SET) == 0 && fwrite(header, 1, kHeaderBytes, f->file) == kHeaderBytes;
}

} // namespace

uint32_t HostImageWidth(const HostImageFile* f)
{
    if (f->depth == 1)
        return f->lineBytes * 8;
    return f->lineBytes / BytesPerSample(f->depth);
}

bool OpenHostImageFile(HostImageFile* f, const char* path, uint32_t depth, bool twelveHigh, bool raw)
{
    memset(f, 0, sizeof *f);
    if (depth != 1 && depth != 8 && depth != 12 && depth != 16)
        return false;
    f->depth = depth;
    // A PGM has no bilevel form with 1 = bright, so 1-bit lines go raw.
    f->raw = raw || depth == 1;
    f->maxValue = depth == 8 ? 255 : (depth == 12 && !twelveHigh) ? 4095 : 65535;
    f->file = fopen(path, "wb");
    if (!f->file)
        return false;
    f->failed = !WriteHeader(f);
    return true;
}

bool WriteHostImageLines(HostImageFile* f, const uint8_t* data, uint32_t lineBytes, uint32_t count)
{
    if (!f->file || lineBytes == 0 || (f->lineBytes && lineBytes != f->lineBytes) ||
        (BytesPerSample(f->depth) == 2 && lineBytes % 2))
        return false;
    f->lineBytes = lineBytes;
    const size_t bytes = static_cast<size_t>(lineBytes) * count;
    if (!f->raw && BytesPerSample(f->depth) == 2) {
        // The digitizer delivers the low byte first; PGM wants the high one.
        std::vector<uint8_t> swapped(data, data + bytes);
        for (size_t i = 0; i + 1 < bytes; i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        f->failed |= fwrite(swapped.data(), 1, bytes, f->file) != bytes;
    } else {
        f->failed |= fwrite(data, 1, bytes, f->file) != bytes;
    }
    f->lines += count;
    return true;
}

bool CloseHostImageFile(HostImageFile* f)
{
    if (!f->file)
        return false;
    f->failed |= !WriteHeader(f);
    f->failed |= fclose(f->file) != 0;
    f->file = nullptr;
    return !f->failed;
}
