// The file a memory transfer is pulled into: 8-bit samples as a binary PGM,
// 12- and 16-bit samples as a 16-bit PGM (big-endian, as PGM wants them),
// 1-bit lines (or any depth on request) as the raw bytes behind a small
// text header. The size is only known at the end, so the header has a
// fixed length and is written again when the file is closed.
#ifndef FILMHOST_IMAGE_FILE_H
#define FILMHOST_IMAGE_FILE_H

#include <stdint.h>
#include <stdio.h>

struct HostImageFile {
    FILE* file;
    bool raw;
    uint32_t depth;          // 1, 8, 12 or 16
    uint32_t maxValue;       // PGM white
    uint32_t lineBytes;      // fixed by the first lines written; 0 before
    uint32_t lines;
    bool failed;
};

// `twelveHigh`: 12-bit samples arrive shifted into the high bits. False
// when the file cannot be created or the depth is not one of 1, 8, 12, 16.
bool OpenHostImageFile(HostImageFile* f, const char* path, uint32_t depth, bool twelveHigh, bool raw);
// `count` lines of `lineBytes` each, back to back. False (and nothing
// written) when the line size changes or is odd for 16-bit samples.
bool WriteHostImageLines(HostImageFile* f, const uint8_t* data, uint32_t lineBytes, uint32_t count);
// Rewrites the header with the final size; false when any write failed.
bool CloseHostImageFile(HostImageFile* f);
// Pixels per line of what was written.
uint32_t HostImageWidth(const HostImageFile* f);

#endif
