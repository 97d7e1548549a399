// Landscape: the lines kept in the temporary file are turned by 90 degrees
// into the output, column strip by column strip, so that about 2 MB are
// held whatever the size of the film. The last scanned line becomes the
// left edge of the image.
#include <errno.h>
#include <string.h>

#include "frame/file_fault.h"
#include "imagefile/file_io.h"
#include "imagefile/output_writer.h"
#include "pipeline/scan_lines.h"
#include "pipeline/scan_proc.h"

namespace {

constexpr uint32_t kSegmentBudget = 2048000;

struct Strip {
    uint32_t lines;        // source lines = output pixels per row
    uint32_t sourceBytes;  // S
    uint32_t rowBytes;     // R
    uint32_t chunk;        // bytes of every source line per strip
    uint8_t* row;
    uint8_t** segments;
};

bool ReadStrip(FILE* file, const Strip& s, uint32_t position, uint32_t take)
{
    for (uint32_t line = 0; line < s.lines; ++line) {
        if (!SeekTo(file, uint64_t(line) * s.sourceBytes + position) ||
            !ReadBytes(file, s.segments[line], take))
            return false;
    }
    return true;
}

uint16_t WriteStripRows(OutputWriter* writer, const Strip& s, uint32_t depth, uint32_t position,
                        uint32_t take, uint32_t scanWidth)
{
    const uint32_t last = s.lines - 1;
    if (depth == 1) {
        for (uint32_t r = 0; r < 8 * take && 8 * position + r < scanWidth; ++r) {
            memset(s.row, 0, s.rowBytes);
            const uint8_t bit = uint8_t(0x80u >> (r % 8));
            for (uint32_t x = 0; x < s.lines; ++x)
                if (s.segments[last - x][r / 8] & bit)
                    s.row[x / 8] |= uint8_t(0x80u >> (x % 8));
            if (uint16_t rc = WriteOutputRow(writer, s.row)) return rc;
        }
        return FC_OK;
    }
    const uint32_t sampleBytes = depth > 8 ? 2 : 1;
    for (uint32_t r = 0; r < take / sampleBytes; ++r) {
        uint8_t* out = s.row;
        const uint32_t at = r * sampleBytes;
        for (uint32_t x = 0; x < s.lines; ++x, out += sampleBytes)
            memcpy(out, s.segments[last - x] + at, sampleBytes);
        if (uint16_t rc = WriteOutputRow(writer, s.row)) return rc;
    }
    return FC_OK;
}

}  // namespace

uint16_t ScanProcRotateFromTemp(DSData* ds)
{
    ScanSettings* settings = ds->ScanSettings;
    ImageControl* control = ds->ImageControl;
    const uint32_t lines = control->linesDone, width = settings->scanWidth, depth = settings->bitDepth;
    if (width == 0 || lines == 0 || !control->tempFile)
        return FC_BAD_ARGUMENT;

    Strip s{};
    s.lines = lines;
    s.sourceBytes = OutputLineBytes(depth, width);
    s.rowBytes = OutputLineBytes(depth, lines);
    settings->imageWidth = lines;
    settings->imageHeight = width;
    const uint32_t noLength = 0;
    SetWriterParam(&control->outputWriter, ImageWidth, &lines, 4);
    SetWriterParam(&control->outputWriter, ImageLength, &noLength, 4);
    if (uint16_t rc = BeginOutputImage(&control->outputWriter)) return rc;

    s.chunk = kSegmentBudget / lines;
    if (depth > 8)
        s.chunk &= ~1u;
    if (s.chunk == 0)  // more lines than the budget has bytes: one sample each
        s.chunk = depth > 8 ? 2 : 1;
    if (s.chunk > s.sourceBytes)
        s.chunk = s.sourceBytes;
    const uint64_t total = uint64_t(s.rowBytes) + uint64_t(lines) * sizeof(uint8_t*) +
                           uint64_t(lines) * s.chunk + 4;
    void* buffer = nullptr;
    if (total > 0xFFFFFFF0u || MemAllocBlock(&buffer, uint32_t(total)) != FC_OK)
        return FC_OUT_OF_MEMORY;
    s.segments = static_cast<uint8_t**>(buffer);
    s.row = reinterpret_cast<uint8_t*>(s.segments + lines);
    uint8_t* segmentArea = s.row + s.rowBytes;
    for (uint32_t line = 0; line < lines; ++line)
        s.segments[line] = segmentArea + uint64_t(line) * s.chunk;

    uint16_t result = FC_OK;
    if (fflush(control->tempFile) != 0) {
        LogFileError("ScanProcRotateFromTemp", "write", control->tempPath, errno);
        result = FC_SHORT_WRITE;
    }
    // Each segment is a short read after a seek: a buffered stream would
    // fill its whole buffer for every one of them.
    FILE* reader = fopen(control->tempPath, "rb");
    if (reader)
        setvbuf(reader, nullptr, _IONBF, 0);
    FILE* source = reader ? reader : control->tempFile;
    for (uint32_t position = 0; result == FC_OK && position < s.sourceBytes; position += s.chunk) {
        const uint32_t take = s.sourceBytes - position < s.chunk ? s.sourceBytes - position : s.chunk;
        if (!ReadStrip(source, s, position, take)) {
            LogFileError("ScanProcRotateFromTemp", "read back", control->tempPath, errno);
            result = FC_FILE_TOO_SHORT;
        } else
            result = WriteStripRows(&control->outputWriter, s, depth, position, take, width);
    }
    if (reader)
        fclose(reader);
    MemFreeBlock(buffer);
    return result;
}
