// Preview list of 1-bit scans, kept in the preview record of the session
// (without the resampler's mark): lines F, 2F, ... and bits 0, F, 2F, ...
#include "pipeline/rsz_bitlist.h"

#include <string.h>

#include "frame/memgroups.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_lines.h"

namespace {

constexpr uint32_t kMaxBlockBytes = 0x7FFF0000u;

uint32_t PackedLineBytes(const RszData* list) { return (list->previewWidth + 7) / 8; }

void WriteMonoHeader(uint8_t* block, uint32_t width, uint32_t height, uint32_t imageBytes)
{
    DibInfoHeader header{};
    header.size = kDibInfoHeaderSize;
    header.width = int32_t(width);
    header.height = int32_t(height);
    header.planes = 1;
    header.bitCount = 1;
    header.sizeImage = imageBytes;
    header.xPelsPerMeter = kDibPixelsPerMeter;
    header.yPelsPerMeter = kDibPixelsPerMeter;
    header.clrUsed = 2;
    memcpy(block, &header, sizeof(header));
    const DibRgbQuad table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    memcpy(block + kDibInfoHeaderSize, table, sizeof(table));
}

}  // namespace

uint16_t RszBitInit(DSData* session, uint16_t factor)
{
    if (session == nullptr || session->imageControl == nullptr || session->scanSettings == nullptr)
        return kRszBadArgument;
    RszData* list = &session->imageControl->preview;
    memset(list, 0, sizeof(*list));
    list->group = kRszNoGroup;
    list->factor = factor != 0 ? factor : 1;
    list->bitDepth = 1;
    list->sourceWidth = session->scanSettings->scanWidth;
    list->previewWidth = list->sourceWidth / list->factor;
    int32_t group = kRszNoGroup;
    const uint16_t result = MemGetGroupID(&group);
    if (result != 0) return result;
    list->group = group;
    return kRszOk;
}

uint16_t RszBitInputLine(DSData* session, const uint8_t* packedLine)
{
    if (session == nullptr || session->imageControl == nullptr || packedLine == nullptr) return kRszBadArgument;
    RszData* list = &session->imageControl->preview;
    if (list->factor == 0) return kRszInvalidRecord;
    list->sourceLine++;
    if (list->sourceLine % list->factor != 0) return kRszOk;

    RszLineNode* node = RszAppendLine(list, PackedLineBytes(list));
    if (node == nullptr) return kRszOutOfMemory;
    // Bit k comes from source bit k x F; k stays inside the preview line.
    const uint32_t factor = list->factor;
    for (uint32_t k = 0; k < list->previewWidth && uint64_t(k) * factor < list->sourceWidth; ++k) {
        const uint32_t source = k * factor;
        if (packedLine[source / 8] & (0x80u >> (source % 8))) node->data[k / 8] |= uint8_t(0x80u >> (k % 8));
    }
    list->previewLines++;
    return kRszOk;
}

uint16_t RszBitGetBitmap(DSData* session, void** bits, void** info, int32_t* group)
{
    if (session == nullptr || session->imageControl == nullptr) return kRszBadArgument;
    if (bits == nullptr || info == nullptr || group == nullptr) return kRszBadArgument;
    const RszData* list = &session->imageControl->preview;
    const uint32_t lineBytes = PackedLineBytes(list);
    const uint64_t rowStride = DibPaddedRowBytes(lineBytes);
    const uint64_t imageBytes = rowStride * list->previewLines;
    if (imageBytes + kDibMonoHeaderBytes > kMaxBlockBytes) return kRszOutOfMemory;

    const bool ownGroup = *group == kRszNoGroup;
    if (ownGroup) {
        const uint16_t result = MemGetGroupID(group);
        if (result != 0) {
            *group = kRszNoGroup;
            return result;
        }
    }
    auto fail = [&](uint16_t code) {
        if (ownGroup) {
            MemFreeGroup(*group);
            *group = kRszNoGroup;
        }
        return code;
    };
    uint8_t* block = static_cast<uint8_t*>(MemGetBuffer(*group, int32_t(imageBytes + kDibMonoHeaderBytes)));
    if (block == nullptr) return fail(kRszOutOfMemory);
    uint8_t* pixels = block + kDibMonoHeaderBytes;
    memset(pixels, 0, size_t(imageBytes));
    const RszLineNode* node = list->firstLine;
    for (uint32_t line = 0; line < list->previewLines; ++line, node = node->next) {
        if (node == nullptr) return fail(kRszInvalidRecord);
        memcpy(pixels + line * rowStride, node->data, lineBytes);
    }
    WriteMonoHeader(block, list->previewWidth, list->previewLines, uint32_t(imageBytes));
    *info = block;
    *bits = pixels;
    return kRszOk;
}
