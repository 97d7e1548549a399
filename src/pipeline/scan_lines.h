// Line arithmetic shared by the file and memory scan pipelines: request
// sizes, the region cut, 1-bit packing and the 12-bit shift. No Win32, so
// it is tested natively as well.
#ifndef FILMCORE_SCAN_LINES_H
#define FILMCORE_SCAN_LINES_H

#include <stdint.h>

#include "FilmCore.h"

enum {
    SCAN_READ_LIMIT = 32768,      // the largest single read
    SCAN_MAX_LINES_PER_READ = 64,
    SCAN_PROGRESS_STEP = 16000,
    SCAN_LINE_TIMEOUT_MS = 10000  // to complete a line split between reads
};

// The largest whole number of lines within one read; a line longer than a
// read is still asked for whole, so a read never asks for nothing.
uint32_t CapScanRequest(uint32_t bytes, uint32_t bytesPerLine);

// File pipeline: linesPerRequest lines, or a full read with averaging.
uint32_t FileScanRequest(uint32_t bytesPerLine, uint32_t linesPerRequest, uint16_t averageCount);
// Memory transfer: the lines still wanted, or a full read with averaging.
uint32_t MemScanRequest(uint32_t bytesPerLine, uint32_t linesWanted, uint16_t averageCount);

// Bytes of each half of the scan block: room for one read plus the rest of
// a line split at its end, whatever the averaging.
uint32_t ScanBlockHalfBytes(uint16_t averageCount, uint32_t perPassLimit, uint32_t bytesPerLine);

// Sets scanWidth, leftSkip and lineBytes for the scan about to start. A
// region is cut only in a final scan whose selection is not the whole
// frame; its width never exceeds the delivered line.
void SetScanWidth(const ScanArea* area, ScanSettings* settings, ImageControl* control);
// True when the lines are cut to a region (final scan, selection smaller
// than the frame).
bool ScanCutsRegion(const DSData* ds);

// Packs `width` 8-bit samples into bits, most significant first; a sample
// at or above the threshold is a set (bright) bit.
void PackBitLine(const uint8_t* samples, uint32_t width, uint32_t threshold, uint8_t* bits);
static inline uint32_t BitLineBytes(uint32_t width) { return (width + 7) / 8; }

// Moves 12-bit samples into the high bits of their 16-bit words.
void ShiftTwelveHigh(uint8_t* line, uint32_t samples);

// Bytes of one line as it is stored or delivered: packed bits at depth 1,
// two bytes a sample above 8.
uint32_t OutputLineBytes(uint32_t bitDepth, uint32_t width);

// After a block: requests shrink to the lines still missing of scanLines.
void ShrinkLinesPerRequest(const ScanSettings* settings, ImageControl* control);

// Lines of this block that may still be taken before the length limit
// (maxLength x resolution lines).
uint32_t LinesWithinLengthLimit(const ScanSettings* settings, uint32_t linesDone, uint32_t lines);
bool LengthLimitReached(const ScanSettings* settings, uint32_t linesDone);

#endif
