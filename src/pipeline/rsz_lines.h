// Shared pieces of the preview resampler: the line list kept in the
// record's memory group.
#pragma once

#include <stdint.h>

#include "FilmCore.h"

// Group pieces are not aligned by the allocator; keeping every request a
// multiple of 8 keeps the nodes' pointers aligned.
static inline uint64_t RszAlignedSize(uint64_t bytes) { return (bytes + 7) & ~uint64_t(7); }

// Takes one node with a zeroed line buffer of lineBytes from the record's
// group and links it after lastLine. Null when the group is exhausted.
RszLine* RszAppendLine(RszData* record, uint32_t lineBytes);

// Bytes of one preview line.
static inline uint32_t RszPreviewLineBytes(const RszData* record)
{
    return record->previewWidth * record->bytesPerSample;
}
