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
    if (session == nullptr || session->ImageControl == nullptr || session->ScanSettings == nullptr)
        return FC_BAD_ARGUMENT;
    RszData* list = &session->ImageControl->preview;
    memset(list, 0, sizeof(*list));
    list->group = FC_NO_GROUP;
    list->factor = factor != 0 ? factor : 1;
    list->bitDepth = 1;
    list->sourceWidth = session->ScanSettings->scanWidth;
    list->previewWidth = list->sourceWidth / list->factor;
    int32_t group = FC_NO_GROUP;
    const uint16_t result = MemGetGroupID(&group);
    if (result != 0) return result;
    list->group = group;
    return FC_OK;
}

uint16_t RszBitInputLine(DSData* session, const uint8_t* packedLine)
{
    if (session == nullptr || session->ImageControl == nullptr || packedLine == nullptr) return FC_BAD_ARGUMENT;
    RszData* list = &session->ImageControl->preview;
    if (list->factor == 0 || list->bitDepth != 1 || list->magic == RSZ_MAGIC) return FC_NOT_VALID;
    list->sourceLine++;
    if (list->sourceLine % list->factor != 0) return FC_OK;

    RszLine* node = RszAppendLine(list, PackedLineBytes(list));
    if (node == nullptr) return FC_OUT_OF_MEMORY;
    // Bit k comes from source bit k x F; k stays inside the preview line.
    const uint32_t factor = list->factor;
    for (uint32_t k = 0; k < list->previewWidth && uint64_t(k) * factor < list->sourceWidth; ++k) {
        const uint32_t source = k * factor;
        if (packedLine[source / 8] & (0x80u >> (source % 8))) node->data[k / 8] |= uint8_t(0x80u >> (k % 8));
    }
    list->previewLines++;
    return FC_OK;
}

uint16_t RszBitGetBitmap(DSData* session, void** bits, void** info, int32_t* group)
{
    if (session == nullptr || session->ImageControl == nullptr) return FC_BAD_ARGUMENT;
    if (bits == nullptr || info == nullptr || group == nullptr) return FC_BAD_ARGUMENT;
    const RszData* list = &session->ImageControl->preview;
    if (list->bitDepth != 1 || list->magic == RSZ_MAGIC) return FC_NOT_VALID;
    const uint32_t lineBytes = PackedLineBytes(list);
    const uint64_t rowStride = DibPaddedRowBytes(lineBytes);
    const uint64_t imageBytes = rowStride * list->previewLines;
    if (imageBytes + kDibMonoHeaderBytes > kMaxBlockBytes) return FC_OUT_OF_MEMORY;

    const bool ownGroup = *group == FC_NO_GROUP;
    if (ownGroup) {
        const uint16_t result = MemGetGroupID(group);
        if (result != 0) {
            *group = FC_NO_GROUP;
            return result;
        }
    }
    auto fail = [&](uint16_t code) {
        if (ownGroup) {
            MemFreeGroup(*group);
            *group = FC_NO_GROUP;
        }
        return code;
    };
    uint8_t* block = static_cast<uint8_t*>(MemGetBuffer(*group, int32_t(imageBytes + kDibMonoHeaderBytes)));
    if (block == nullptr) return fail(FC_OUT_OF_MEMORY);
    uint8_t* pixels = block + kDibMonoHeaderBytes;
    memset(pixels, 0, size_t(imageBytes));
    const RszLine* node = list->firstLine;
    for (uint32_t line = 0; line < list->previewLines; ++line, node = node->next) {
        if (node == nullptr) return fail(FC_NOT_VALID);
        memcpy(pixels + line * rowStride, node->data, lineBytes);
    }
    WriteMonoHeader(block, list->previewWidth, list->previewLines, uint32_t(imageBytes));
    *info = block;
    *bits = pixels;
    return FC_OK;
}

uint16_t RszBitFree(DSData* session)
{
    if (session == nullptr || session->ImageControl == nullptr) return FC_BAD_ARGUMENT;
    RszData* list = &session->ImageControl->preview;
    // Only a list RszBitInit set up owns its group; any other number may
    // belong to someone else.
    if (list->magic == RSZ_MAGIC || list->bitDepth != 1 || list->factor == 0) return FC_NOT_VALID;
    const uint16_t result = list->group != FC_NO_GROUP ? MemFreeGroup(list->group) : uint16_t(FC_OK);
    list->group = FC_NO_GROUP;
    list->firstLine = list->lastLine = list->currentLine = nullptr;
    list->previewLines = 0;
    return result;
}
