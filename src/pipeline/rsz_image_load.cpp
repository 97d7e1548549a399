// LoadDICOMImageFile: reads a Windows bitmap or a bare implicit-VR
// little-endian DICOM data set into the resampler and builds two grey DIBs.
// The files come from outside: every size in them is checked against the
// file before anything is allocated or read.
#include <stdio.h>
#include <string.h>

#include "frame/memgroups.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_image_source.h"
#include "pipeline/rsz_lines.h"

namespace {

constexpr uint32_t kReadPiece = 32000;
constexpr uint32_t kMaxFactor = 0xFFFF;
constexpr uint32_t kUndefinedLength = 0xFFFFFFFFu;

struct ImageLayout {
    uint64_t lines;
    uint64_t samplesPerLine;
    uint16_t bytesPerSample;
    uint16_t depth;
    uint64_t pixelOffset;
    uint64_t pixelBytes;  // as announced by the file
    bool firstRowIsTop;   // rows must be reversed for the DIB
};

uint16_t ReadU16(const uint8_t* bytes) { return uint16_t(bytes[0] | (bytes[1] << 8)); }
uint32_t ReadU32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}

bool ReadExactly(const RszImageSource* source, uint64_t offset, void* buffer, size_t count)
{
    if (offset > source->size || source->size - offset < count) return false;
    return source->readAt(source->context, offset, buffer, count) == count;
}

uint16_t ParseBitmap(const RszImageSource* source, ImageLayout* layout)
{
    uint8_t fileHeader[14];
    if (!ReadExactly(source, 0, fileHeader, sizeof(fileHeader))) return FC_FILE_TOO_SHORT;
    const uint32_t pixelOffset = ReadU32(fileHeader + 10);
    if (pixelOffset < sizeof(fileHeader) + kDibInfoHeaderSize) return FC_FILE_TOO_SHORT;
    uint8_t infoBytes[kDibInfoHeaderSize];
    if (!ReadExactly(source, sizeof(fileHeader), infoBytes, sizeof(infoBytes))) return FC_FILE_TOO_SHORT;
    DibInfoHeader info;
    memcpy(&info, infoBytes, sizeof(info));
    if (info.size < kDibInfoHeaderSize) return FC_FILE_TOO_SHORT;
    if (info.bitCount != 8 && info.bitCount != 16) return FC_BAD_ARGUMENT;
    if (info.compression != 0 || info.width <= 0 || info.height == 0) return FC_BAD_ARGUMENT;

    const uint64_t bytesPerPixel = (info.bitCount + 7u) / 8u;
    const uint64_t rowBytes = DibPaddedRowBytes(bytesPerPixel * uint64_t(info.width));
    layout->lines = info.height > 0 ? uint64_t(info.height) : uint64_t(-int64_t(info.height));
    layout->samplesPerLine = rowBytes / bytesPerPixel;
    layout->bytesPerSample = uint16_t(bytesPerPixel);
    layout->depth = info.bitCount;
    layout->pixelOffset = pixelOffset;
    layout->pixelBytes = info.sizeImage != 0 ? info.sizeImage : rowBytes * layout->lines;
    layout->firstRowIsTop = info.height < 0;
    return FC_OK;
}

enum ImageElement { kSamplesPerPixel, kRows, kColumns, kBitsAllocated, kBitsStored, kImageElementCount };

int ImageElementIndex(uint16_t group, uint16_t element)
{
    if (group != 0x0028) return -1;
    switch (element) {
    case 0x0002: return kSamplesPerPixel;
    case 0x0010: return kRows;
    case 0x0011: return kColumns;
    case 0x0100: return kBitsAllocated;
    case 0x0101: return kBitsStored;
    default: return -1;
    }
}

uint16_t ParseDataSet(const RszImageSource* source, ImageLayout* layout)
{
    uint16_t values[kImageElementCount] = {};
    bool present[kImageElementCount] = {};
    uint64_t offset = 0;
    for (;;) {
        uint8_t header[8];
        if (!ReadExactly(source, offset, header, sizeof(header))) return FC_FILE_TOO_SHORT;
        const uint16_t group = ReadU16(header);
        const uint16_t element = ReadU16(header + 2);
        const uint32_t length = ReadU32(header + 4);
        offset += sizeof(header);
        // Sequences and encapsulated pixel data cannot be walked by length.
        if (length == kUndefinedLength) return FC_BAD_ARGUMENT;
        if (group == 0x7FE0 && element == 0x0010) {
            layout->pixelOffset = offset;
            layout->pixelBytes = length;
            break;
        }
        const int index = ImageElementIndex(group, element);
        if (index >= 0 && length >= 2) {
            uint8_t value[2];
            if (!ReadExactly(source, offset, value, sizeof(value))) return FC_FILE_TOO_SHORT;
            values[index] = ReadU16(value);
            present[index] = true;
        }
        offset += length;
    }
    for (bool found : present)
        if (!found) return FC_FILE_TOO_SHORT;
    if (values[kSamplesPerPixel] != 1) return FC_BAD_ARGUMENT;
    if (values[kRows] == 0 || values[kColumns] == 0) return FC_BAD_ARGUMENT;
    if (values[kBitsAllocated] != 8 && values[kBitsAllocated] != 16) return FC_BAD_ARGUMENT;
    if (values[kBitsStored] > values[kBitsAllocated]) return FC_BAD_ARGUMENT;
    layout->lines = values[kRows];
    layout->samplesPerLine = values[kColumns];
    layout->bytesPerSample = uint16_t(values[kBitsAllocated] / 8);
    layout->depth = values[kBitsStored];
    layout->firstRowIsTop = true;
    return FC_OK;
}

// The smallest F for which the reduced image holds at most maxPixels.
uint32_t ChooseFactor(uint64_t lines, uint64_t samplesPerLine, uint32_t maxPixels)
{
    const uint64_t pixels = lines * samplesPerLine;
    for (uint32_t factor = 1; factor <= kMaxFactor; ++factor)
        if (pixels / factor / factor <= maxPixels) return factor;
    return 0;
}

uint16_t FeedPixels(const RszImageSource* source, const ImageLayout& layout, uint64_t imageBytes, RszData* record)
{
    int32_t group = FC_NO_GROUP;
    const uint16_t groupResult = MemGetGroupID(&group);
    if (groupResult != 0) return groupResult;
    uint8_t* piece = static_cast<uint8_t*>(MemGetBuffer(group, int32_t(kReadPiece)));
    uint16_t result = piece != nullptr ? FC_OK : FC_OUT_OF_MEMORY;
    for (uint64_t done = 0; result == FC_OK && done < imageBytes;) {
        const uint32_t take = imageBytes - done < kReadPiece ? uint32_t(imageBytes - done) : kReadPiece;
        if (source->readAt(source->context, layout.pixelOffset + done, piece, take) != take) {
            result = FC_SHORT_WRITE;
            break;
        }
        result = RszInputDataBlock(record, piece, take);
        done += take;
    }
    MemFreeGroup(group);
    return result;
}

uint16_t BuildBitmaps(RszData* record, uint16_t boundWidth, uint16_t boundHeight, void** bits, void** info,
                      void** fitBits, void** fitInfo, int32_t* group)
{
    const bool ownGroup = *group == FC_NO_GROUP;
    uint16_t result = RszGetBitmap(record, bits, info, group);
    if (result == FC_OK) result = RszGetBitmapWithUpBound(record, boundWidth, boundHeight, fitBits, fitInfo, group);
    if (result != FC_OK) {
        if (ownGroup && *group != FC_NO_GROUP) MemFreeGroup(*group);
        if (ownGroup) *group = FC_NO_GROUP;
        *bits = *info = *fitBits = *fitInfo = nullptr;
    }
    return result;
}

size_t ReadMemory(void* context, uint64_t offset, void* buffer, size_t count)
{
    const RszMemorySource* memory = static_cast<const RszMemorySource*>(context);
    if (offset >= memory->size) return 0;
    const size_t available = memory->size - size_t(offset);
    const size_t take = count < available ? count : available;
    memcpy(buffer, memory->bytes + offset, take);
    return take;
}

int SeekFile(FILE* file, uint64_t offset)
{
#ifdef _WIN32
    return _fseeki64(file, int64_t(offset), SEEK_SET);
#else
    return fseeko(file, off_t(offset), SEEK_SET);
#endif
}

uint64_t FileSize(FILE* file)
{
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return 0;
    const int64_t size = _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0) return 0;
    const int64_t size = ftello(file);
#endif
    return size > 0 ? uint64_t(size) : 0;
}

size_t ReadFile(void* context, uint64_t offset, void* buffer, size_t count)
{
    FILE* file = static_cast<FILE*>(context);
    if (SeekFile(file, offset) != 0) return 0;
    return fread(buffer, 1, count, file);
}

}  // namespace

RszImageSource RszMakeMemorySource(RszMemorySource* memory)
{
    return RszImageSource{memory, memory->size, ReadMemory};
}

uint16_t RszLoadImage(const RszImageSource* source, uint32_t maxPixels, void** bits, void** info,
                      uint16_t boundWidth, uint16_t boundHeight, void** fitBits, void** fitInfo, int32_t* group)
{
    if (source == nullptr || bits == nullptr || info == nullptr || fitBits == nullptr || fitInfo == nullptr ||
        group == nullptr)
        return FC_BAD_ARGUMENT;
    if (boundWidth < 2 || boundHeight < 2) return FC_BAD_ARGUMENT;

    uint8_t signature[2];
    if (!ReadExactly(source, 0, signature, sizeof(signature))) return FC_FILE_TOO_SHORT;
    ImageLayout layout{};
    const bool isBitmap = signature[0] == 'B' && signature[1] == 'M';
    uint16_t result = isBitmap ? ParseBitmap(source, &layout) : ParseDataSet(source, &layout);
    if (result != FC_OK) return result;

    // Whole lines only, all of them in the file: a partial image is refused.
    const uint64_t imageBytes = layout.lines * layout.samplesPerLine * layout.bytesPerSample;
    if (layout.pixelBytes < imageBytes) return FC_FILE_TOO_SHORT;
    if (layout.pixelOffset > source->size || source->size - layout.pixelOffset < imageBytes)
        return FC_FILE_TOO_SHORT;
    const uint32_t factor = ChooseFactor(layout.lines, layout.samplesPerLine, maxPixels);
    if (factor == 0 || layout.samplesPerLine > 0xFFFFFFFFu) return FC_BAD_ARGUMENT;

    RszData record;
    result = RszInitData(&record, uint32_t(layout.samplesPerLine), layout.bytesPerSample, layout.depth,
                         uint16_t(factor));
    if (result != FC_OK) return result;
    result = FeedPixels(source, layout, imageBytes, &record);
    if (result == FC_OK && layout.firstRowIsTop) result = RszChangeYOrientation(&record);
    if (result == FC_OK)
        result = BuildBitmaps(&record, boundWidth, boundHeight, bits, info, fitBits, fitInfo, group);
    FreeRszData(&record);
    return result;
}

uint16_t LoadDICOMImageFile(const char* path, uint32_t maxPixels, void** bits, void** info, uint16_t boundWidth,
                            uint16_t boundHeight, void** fitBits, void** fitInfo, int32_t* group)
{
    if (path == nullptr || bits == nullptr || info == nullptr || fitBits == nullptr || fitInfo == nullptr ||
        group == nullptr)
        return FC_BAD_ARGUMENT;
    if (boundWidth < 2 || boundHeight < 2) return FC_BAD_ARGUMENT;
    FILE* file = fopen(path, "rb");
    if (file == nullptr) return FC_OPEN_FAILED;
    const RszImageSource source{file, FileSize(file), ReadFile};
    const uint16_t result =
        RszLoadImage(&source, maxPixels, bits, info, boundWidth, boundHeight, fitBits, fitInfo, group);
    fclose(file);
    return result;
}
