#include "pipeline/scan_lines.h"

#include <string.h>

uint32_t CapScanRequest(uint32_t bytes, uint32_t bytesPerLine)
{
    if (bytes <= SCAN_READ_LIMIT || bytesPerLine == 0)
        return bytes;
    if (bytesPerLine > SCAN_READ_LIMIT)
        return bytesPerLine;
    return SCAN_READ_LIMIT - SCAN_READ_LIMIT % bytesPerLine;
}

uint32_t FileScanRequest(uint32_t bytesPerLine, uint32_t linesPerRequest, uint16_t averageCount)
{
    if (averageCount > 1)
        return SCAN_READ_LIMIT;
    const uint64_t bytes = uint64_t(bytesPerLine) * linesPerRequest;
    return CapScanRequest(bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(bytes), bytesPerLine);
}

uint32_t MemScanRequest(uint32_t bytesPerLine, uint32_t linesWanted, uint16_t averageCount)
{
    return FileScanRequest(bytesPerLine, linesWanted, averageCount);
}

uint32_t ScanBlockHalfBytes(uint16_t averageCount, uint32_t perPassLimit, uint32_t bytesPerLine)
{
    uint64_t read = uint64_t(averageCount) * perPassLimit;
    if (read < SCAN_READ_LIMIT)
        read = SCAN_READ_LIMIT;
    if (read < bytesPerLine)
        read = bytesPerLine;
    const uint64_t half = read + bytesPerLine;
    return half > 0x7FFFFFFFu ? 0 : uint32_t(half);
}

bool ScanCutsRegion(const DSData* ds)
{
    return ds->ScanArea->prescanMode == 0 && (ds->ScanSettings->selectionFlags & 1) == 0;
}

void SetScanWidth(const ScanArea* area, ScanSettings* settings, ImageControl* control)
{
    const bool cut = area->prescanMode == 0 && (settings->selectionFlags & 1) == 0;
    if (!cut) {
        settings->scanWidth = settings->scanPixels;
        return;
    }
    const double width = (double(area->cropRight) - double(area->cropLeft)) * settings->resolution;
    uint32_t pixels = width > 0 ? (width < 4294967295.0 ? uint32_t(width) : 0xFFFFFFFFu) : 0;
    control->leftSkip = 0;
    // The region lies inside the delivered line; a wider one is cut to it.
    if (pixels > settings->scanPixels - control->leftSkip)
        pixels = settings->scanPixels - control->leftSkip;
    settings->scanWidth = pixels;
    settings->lineBytes = pixels;
    if (settings->bitDepth > 8) {
        control->leftSkip *= 2;
        settings->lineBytes *= 2;
    }
}

void PackBitLine(const uint8_t* samples, uint32_t width, uint32_t threshold, uint8_t* bits)
{
    memset(bits, 0, BitLineBytes(width));
    for (uint32_t x = 0; x < width; ++x)
        if (samples[x] >= threshold)
            bits[x / 8] |= uint8_t(0x80u >> (x % 8));
}

void ShiftTwelveHigh(uint8_t* line, uint32_t samples)
{
    for (uint32_t i = 0; i < samples; ++i) {
        uint16_t v;
        memcpy(&v, line + 2 * i, 2);
        v = uint16_t(v << 4);
        memcpy(line + 2 * i, &v, 2);
    }
}

uint32_t OutputLineBytes(uint32_t bitDepth, uint32_t width)
{
    if (bitDepth == 1)
        return BitLineBytes(width);
    return bitDepth > 8 ? 2 * width : width;
}

void ShrinkLinesPerRequest(const ScanSettings* settings, ImageControl* control)
{
    control->linesReceived = control->bytesPerLine ? control->bytesReceived / control->bytesPerLine : 0;
    const uint32_t missing = settings->scanLines - control->linesReceived;
    if (missing <= control->linesPerRequest)
        control->linesPerRequest = missing;
}

static uint64_t LengthLimit(const ScanSettings* settings)
{
    return uint64_t(settings->maxLength) * settings->resolution;
}

uint32_t LinesWithinLengthLimit(const ScanSettings* settings, uint32_t linesDone, uint32_t lines)
{
    const uint64_t limit = LengthLimit(settings);
    if (linesDone >= limit)
        return 0;
    return limit - linesDone < lines ? uint32_t(limit - linesDone) : lines;
}

bool LengthLimitReached(const ScanSettings* settings, uint32_t linesDone)
{
    return linesDone >= LengthLimit(settings);
}
