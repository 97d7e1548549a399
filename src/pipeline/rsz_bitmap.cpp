// Turns the resampler's line list into a packed 8-bit grey DIB, reduced to
// fit a bound by index tables; 2-byte samples go through a display window.
#include <string.h>

#include "frame/memgroups.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_lines.h"

namespace {

constexpr uint32_t kNoBound = 0xFF00;
constexpr uint32_t kHistogramBins = 32000;
constexpr uint32_t kMaxBlockBytes = 0x7FFF0000u;

struct OutputSize {
    uint32_t width;
    uint32_t height;
    bool reduced;
};

// Both bounds below 0xFF00 fit the preview into them keeping its aspect;
// the width is rounded up to a multiple of 4, so the height may pass its
// bound by a few rows. A preview is never enlarged.
OutputSize FitPreview(uint32_t previewWidth, uint32_t previewHeight, uint32_t boundWidth, uint32_t boundHeight)
{
    const uint64_t sourceWidth = previewWidth;
    const uint64_t sourceHeight = previewHeight;
    if (boundWidth >= kNoBound || boundHeight >= kNoBound) return {previewWidth, previewHeight, false};
    uint64_t width = boundWidth;
    if (uint64_t(boundHeight) * sourceWidth < uint64_t(boundWidth) * sourceHeight)
        width = uint64_t(boundHeight) * sourceWidth / sourceHeight;
    width = (width + 3) & ~uint64_t(3);
    const uint64_t height = width * sourceHeight / sourceWidth;
    if (width < sourceWidth && height < sourceHeight) return {uint32_t(width), uint32_t(height), true};
    return {previewWidth, previewHeight, false};
}

uint32_t DepthMask(uint16_t bitDepth, uint16_t bytesPerSample)
{
    uint32_t bits = bitDepth;
    if (bits > 8u * bytesPerSample) bits = 8u * bytesPerSample;
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
}

uint32_t ReadSample16(const uint8_t* line, uint32_t column)
{
    return uint32_t(line[2 * column]) | (uint32_t(line[2 * column + 1]) << 8);
}

// Lowest and highest non-empty bins of a histogram of the preview; larger
// previews are sampled on every second sample of every second line.
uint16_t ChooseWindow(RszData* record)
{
    int32_t group = FC_NO_GROUP;
    const uint16_t groupResult = MemGetGroupID(&group);
    if (groupResult != 0) return groupResult;
    uint16_t* counts = static_cast<uint16_t*>(MemGetBuffer(group, int32_t(kHistogramBins * sizeof(uint16_t))));
    if (counts == nullptr) {
        MemFreeGroup(group);
        return FC_OUT_OF_MEMORY;
    }
    memset(counts, 0, kHistogramBins * sizeof(uint16_t));

    const uint32_t mask = DepthMask(record->bitDepth, 2);
    const uint32_t step = uint64_t(record->previewWidth) + record->previewLines >= 1024 ? 2 : 1;
    const RszLine* node = record->firstLine;
    for (uint32_t line = 0; line < record->previewLines; ++line, node = node->next) {
        if (node == nullptr) {
            MemFreeGroup(group);
            return FC_NOT_VALID;
        }
        if (line % step != 0) continue;
        for (uint32_t column = 0; column < record->previewWidth; column += step) {
            uint32_t bin = (ReadSample16(node->data, column) & mask) / 2;
            if (bin >= kHistogramBins) bin = kHistogramBins - 1;
            if (counts[bin] != 0xFFFF) counts[bin]++;
        }
    }
    uint32_t low = 0;
    while (low < kHistogramBins && counts[low] == 0) ++low;
    uint32_t high = kHistogramBins - 1;
    while (high > low && counts[high] == 0) --high;
    MemFreeGroup(group);
    if (low == kHistogramBins) return FC_BAD_ARGUMENT;
    record->windowLow = uint16_t(2 * low);
    record->windowHigh = uint16_t(2 * high);
    return FC_OK;
}

// 256 grey levels for one source sample.
struct GreyMapping {
    uint32_t mask;
    uint32_t low;
    uint32_t high;
    uint32_t span;
};

inline uint8_t MapSample(const RszData* record, const GreyMapping& map, const uint8_t* line, uint32_t column)
{
    if (record->bytesPerSample == 1) return uint8_t(line[column] & map.mask);
    uint32_t sample = ReadSample16(line, column) & map.mask;
    if (sample > map.high) sample = map.high;
    if (sample <= map.low) return 0;
    return uint8_t(((sample - map.low) * 256) / map.span);
}

void WriteGreyHeader(uint8_t* block, uint32_t width, uint32_t height, uint32_t imageBytes)
{
    DibInfoHeader header{};
    header.size = kDibInfoHeaderSize;
    header.width = int32_t(width);
    header.height = int32_t(height);
    header.planes = 1;
    header.bitCount = 8;
    header.compression = 0;
    header.sizeImage = imageBytes;
    header.xPelsPerMeter = kDibPixelsPerMeter;
    header.yPelsPerMeter = kDibPixelsPerMeter;
    header.clrUsed = 256;
    header.clrImportant = 0;
    memcpy(block, &header, sizeof(header));
    DibRgbQuad* table = reinterpret_cast<DibRgbQuad*>(block + kDibInfoHeaderSize);
    for (uint32_t i = 0; i < 256; ++i) table[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
}

// Source line and column of every output row and column, first and last
// taken from the first and last of the preview.
void BuildIndexTable(uint32_t* table, uint32_t outputCount, uint32_t sourceCount)
{
    for (uint32_t i = 0; i < outputCount; ++i) {
        uint64_t source = uint64_t(sourceCount) * i / (outputCount - 1);
        table[i] = source < sourceCount ? uint32_t(source) : sourceCount - 1;
    }
}

uint16_t RenderFull(const RszData* record, const GreyMapping& map, uint8_t* pixels, uint32_t rowStride)
{
    const RszLine* node = record->firstLine;
    for (uint32_t line = 0; line < record->previewLines; ++line, node = node->next) {
        if (node == nullptr) return FC_NOT_VALID;
        uint8_t* row = pixels + uint64_t(line) * rowStride;
        for (uint32_t column = 0; column < record->previewWidth; ++column)
            row[column] = MapSample(record, map, node->data, column);
    }
    return FC_OK;
}

uint16_t RenderReduced(const RszData* record, const GreyMapping& map, const OutputSize& size, uint8_t* pixels,
                       uint32_t rowStride, int32_t tableGroup)
{
    const uint64_t columnBytes = RszAlignedSize(uint64_t(size.width) * sizeof(uint32_t));
    const uint64_t rowBytes = RszAlignedSize(uint64_t(size.height) * sizeof(uint32_t));
    uint32_t* columns = static_cast<uint32_t*>(MemGetBuffer(tableGroup, int32_t(columnBytes)));
    uint32_t* rows = static_cast<uint32_t*>(MemGetBuffer(tableGroup, int32_t(rowBytes)));
    if (columns == nullptr || rows == nullptr) return FC_OUT_OF_MEMORY;
    BuildIndexTable(columns, size.width, record->previewWidth);
    BuildIndexTable(rows, size.height, record->previewLines);

    const RszLine* node = record->firstLine;
    uint32_t line = 0;
    for (uint32_t row = 0; row < size.height; ++row) {
        while (line < rows[row]) {
            if (node == nullptr) return FC_NOT_VALID;
            node = node->next;
            ++line;
        }
        if (node == nullptr) return FC_NOT_VALID;
        uint8_t* out = pixels + uint64_t(row) * rowStride;
        for (uint32_t column = 0; column < size.width; ++column)
            out[column] = MapSample(record, map, node->data, columns[column]);
    }
    return FC_OK;
}

uint16_t Render(RszData* record, const OutputSize& size, uint8_t* pixels, uint32_t rowStride)
{
    GreyMapping map{DepthMask(record->bitDepth, record->bytesPerSample), 0, 0, 1};
    if (record->bytesPerSample == 2) {
        if (record->windowLow == 0 && record->windowHigh == 0) {
            const uint16_t result = ChooseWindow(record);
            if (result != FC_OK) return result;
        }
        if (record->windowLow >= record->windowHigh) return FC_BAD_ARGUMENT;
        map.low = record->windowLow;
        map.high = record->windowHigh;
        map.span = map.high - map.low + 1;
    }
    if (!size.reduced) return RenderFull(record, map, pixels, rowStride);

    int32_t tableGroup = FC_NO_GROUP;
    const uint16_t groupResult = MemGetGroupID(&tableGroup);
    if (groupResult != 0) return groupResult;
    const uint16_t result = RenderReduced(record, map, size, pixels, rowStride, tableGroup);
    MemFreeGroup(tableGroup);
    return result;
}

}  // namespace

uint16_t RszGetBitmapWithUpBound(RszData* record, uint16_t boundWidth, uint16_t boundHeight, void** bits,
                                 void** info, int32_t* group)
{
    if (record == nullptr || record->magic != RSZ_MAGIC) return FC_NOT_VALID;
    if (record->previewLines == 0 || record->previewWidth == 0) return FC_NOT_VALID;
    if (bits == nullptr || info == nullptr || group == nullptr) return FC_BAD_ARGUMENT;
    if (record->bytesPerSample != 1 && record->bytesPerSample != 2) return FC_BAD_SAMPLE_BYTES;

    const OutputSize size = FitPreview(record->previewWidth, record->previewLines, boundWidth, boundHeight);
    if (size.reduced && (size.width < 2 || size.height < 2)) return FC_BAD_ARGUMENT;
    const uint64_t rowStride = DibPaddedRowBytes(size.width);
    const uint64_t imageBytes = rowStride * size.height;
    if (imageBytes + kDibGreyHeaderBytes > kMaxBlockBytes) return FC_OUT_OF_MEMORY;

    const bool ownGroup = *group == FC_NO_GROUP;
    if (ownGroup) {
        const uint16_t groupResult = MemGetGroupID(group);
        if (groupResult != 0) {
            *group = FC_NO_GROUP;
            return groupResult;
        }
    }
    auto fail = [&](uint16_t code) {
        if (ownGroup) {
            MemFreeGroup(*group);
            *group = FC_NO_GROUP;
        }
        return code;
    };
    uint8_t* block = static_cast<uint8_t*>(MemGetBuffer(*group, int32_t(imageBytes + kDibGreyHeaderBytes)));
    if (block == nullptr) return fail(FC_OUT_OF_MEMORY);
    uint8_t* pixels = block + kDibGreyHeaderBytes;
    memset(pixels, 0, size_t(imageBytes));
    const uint16_t result = Render(record, size, pixels, uint32_t(rowStride));
    if (result != FC_OK) return fail(result);
    WriteGreyHeader(block, size.width, size.height, uint32_t(imageBytes));
    *info = block;
    *bits = pixels;
    return FC_OK;
}

uint16_t RszGetBitmap(RszData* record, void** bits, void** info, int32_t* group)
{
    return RszGetBitmapWithUpBound(record, 0xFFFF, 0xFFFF, bits, info, group);
}
