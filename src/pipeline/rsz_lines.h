// Shared pieces of the preview resampler: the record mark, result codes and
// the line list kept in the record's memory group.
#pragma once

#include <stdint.h>

#include "FilmCore.h"

enum : uint32_t { kRszMagic = 0x71028338u };
enum : int32_t { kRszNoGroup = -1 };

enum : uint16_t {
    kRszOk = 0,
    kRszBadArgument = 1,
    kRszInvalidRecord = 2,
    kRszLineOverrun = 9,
    kRszOutOfMemory = 102,
    kRszFileNotOpened = 201,
    kRszFileTooShort = 202,
    kRszShortTransfer = 203,
    kRszBadSampleSize = 302,
    kRszBitmapTooLarge = 501,
};

// Group pieces are not aligned by the allocator; keeping every request a
// multiple of 8 keeps the nodes' pointers aligned.
static inline uint64_t RszAlignedSize(uint64_t bytes) { return (bytes + 7) & ~uint64_t(7); }

// Takes one node with a zeroed line buffer of lineBytes from the record's
// group and links it after lastLine. Null when the group is exhausted.
RszLineNode* RszAppendLine(RszData* record, uint32_t lineBytes);

// Bytes of one preview line.
static inline uint32_t RszPreviewLineBytes(const RszData* record)
{
    return record->previewWidth * record->bytesPerSample;
}
