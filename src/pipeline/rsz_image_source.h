// The bytes an image file is loaded from: a file on disk, or memory (tests
// and the fuzz target), behind one read-at-offset function.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef struct RszImageSource {
    void* context;
    uint64_t size;  // bytes available
    // Copies up to count bytes from offset; returns how many were copied.
    size_t (*readAt)(void* context, uint64_t offset, void* buffer, size_t count);
} RszImageSource;

// LoadDICOMImageFile past the opening of the file.
uint16_t RszLoadImage(const RszImageSource* source, uint32_t maxPixels, void** bits, void** info,
                      uint16_t boundWidth, uint16_t boundHeight, void** fitBits, void** fitInfo, int32_t* group);

// An image source over bytes in memory; the bytes must outlive the source.
typedef struct RszMemorySource {
    const uint8_t* bytes;
    size_t size;
} RszMemorySource;

RszImageSource RszMakeMemorySource(RszMemorySource* memory);
