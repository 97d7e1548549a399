// Arbitrary bytes as an image file for LoadDICOMImageFile's loader, loaded
// once reduced to a small fit and once at full size.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "frame/memgroups.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_image_source.h"

namespace {

const uint16_t kKnownResults[] = {0, 1, 2, 9, 102, 201, 202, 203, 302};

void CheckBitmap(void* bits, void* info, uint32_t maxWidth, uint32_t maxHeight)
{
    DibInfoHeader header;
    memcpy(&header, info, sizeof(header));
    if (header.size != 40 || header.bitCount != 8 || header.width <= 0 || header.height <= 0) abort();
    if (uint32_t(header.width) > maxWidth || uint32_t(header.height) > maxHeight) abort();
    const uint64_t rowBytes = DibPaddedRowBytes(uint32_t(header.width));
    if (header.sizeImage != rowBytes * uint32_t(header.height)) abort();
    if (static_cast<uint8_t*>(bits) != static_cast<uint8_t*>(info) + kDibGreyHeaderBytes) abort();
    // Touch every pixel so that the sanitizer sees the whole block.
    volatile uint32_t sum = 0;
    const uint8_t* pixels = static_cast<const uint8_t*>(bits);
    for (uint32_t i = 0; i < header.sizeImage; ++i) sum = sum + pixels[i];
}

void LoadOnce(const uint8_t* data, size_t size, uint32_t maxPixels, uint16_t boundWidth, uint16_t boundHeight)
{
    RszMemorySource memory{data, size};
    const RszImageSource source = RszMakeMemorySource(&memory);
    void* bits = nullptr;
    void* info = nullptr;
    void* fitBits = nullptr;
    void* fitInfo = nullptr;
    int32_t group = -1;
    const uint32_t groupsBefore = MemGroupCount();
    const uint16_t result =
        RszLoadImage(&source, maxPixels, &bits, &info, boundWidth, boundHeight, &fitBits, &fitInfo, &group);
    bool known = false;
    for (uint16_t code : kKnownResults) known = known || code == result;
    if (!known) abort();
    if (result != 0) {
        // A failed load keeps nothing.
        if (group != -1 || bits != nullptr || fitBits != nullptr) abort();
        if (MemGroupCount() != groupsBefore) abort();
        return;
    }
    if (group == -1 || bits == nullptr || info == nullptr || fitBits == nullptr || fitInfo == nullptr) abort();
    CheckBitmap(bits, info, 0xFFFFFFFFu, 0xFFFFFFFFu);
    CheckBitmap(fitBits, fitInfo, 0xFFFFFFFFu, 0xFFFFFFFFu);
    MemFreeGroup(group);
    // The resampler's and the reader's groups went back; only the result's was left.
    if (MemGroupCount() != groupsBefore) abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    MemInit(4000);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadOnce(data, size, 256, 8, 6);
    LoadOnce(data, size, 0xFFFFFFFFu, 300, 400);
    return 0;
}
