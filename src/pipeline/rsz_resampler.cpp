// Preview resampler: keeps every F-th sample of every F-th source line of
// the stream of scan data in a list of lines held in one memory group.
#include <string.h>

#include "frame/memgroups.h"
#include "pipeline/rsz_lines.h"

namespace {

// The largest piece a group can hand out, less room for the node.
constexpr uint64_t kMaxLineBytes = 0x7FFF0000u;

bool IsValid(const RszData* record) { return record != nullptr && record->magic == RSZ_MAGIC; }

uint64_t SourceLineBytes(const RszData* record)
{
    return uint64_t(record->sourceWidth) * record->bytesPerSample;
}

// Makes sure a node is ready to receive the current preview line.
uint16_t EnsureCurrentLine(RszData* record)
{
    if (record->currentLine != nullptr) return FC_OK;
    record->currentLine = RszAppendLine(record, RszPreviewLineBytes(record));
    return record->currentLine != nullptr ? FC_OK : FC_OUT_OF_MEMORY;
}

// A preview line is complete: count it and move to a fresh node.
uint16_t CompletePreviewLine(RszData* record)
{
    record->previewLines++;
    record->writeOffset = 0;
    record->currentLine = nullptr;
    return EnsureCurrentLine(record);
}

void EndSourceLine(RszData* record)
{
    record->sourceLine++;
    record->linePosition = 0;
    record->sampleRemainder = 0;
    record->nextColumn = 0;
}

// Factor 1: the source line is the preview line.
uint16_t CopyLineBytes(RszData* record, const uint8_t*& data, uint32_t& count, uint32_t lineBytes)
{
    uint32_t take = lineBytes - record->linePosition;
    if (take > count) take = count;
    memcpy(record->currentLine->data + record->linePosition, data, take);
    data += take;
    count -= take;
    record->linePosition += take;
    record->writeOffset = record->linePosition;
    if (record->linePosition < lineBytes) return FC_OK;
    EndSourceLine(record);
    return CompletePreviewLine(record);
}

// A line that is not kept is consumed without looking at it.
void SkipLineBytes(RszData* record, const uint8_t*& data, uint32_t& count, uint32_t lineBytes)
{
    uint32_t take = lineBytes - record->linePosition;
    if (take > count) take = count;
    data += take;
    count -= take;
    record->linePosition += take;
    if (record->linePosition == lineBytes) EndSourceLine(record);
}

// A kept line: samples 0, F, 2F, ... go to the preview line; a sample may be
// split between two blocks.
uint16_t SampleLineBytes(RszData* record, const uint8_t*& data, uint32_t& count, uint32_t lineBytes)
{
    const uint32_t sampleBytes = record->bytesPerSample;
    const uint32_t previewBytes = RszPreviewLineBytes(record);
    uint8_t* const preview = record->currentLine->data;
    while (count > 0 && record->linePosition < lineBytes) {
        const uint64_t sampleStart = uint64_t(record->nextColumn) * sampleBytes;
        if (sampleStart >= lineBytes) {
            uint32_t take = lineBytes - record->linePosition;
            if (take > count) take = count;
            data += take;
            count -= take;
            record->linePosition += take;
            continue;
        }
        if (record->linePosition < sampleStart) {
            uint64_t gap = sampleStart - record->linePosition;
            uint32_t take = gap < count ? uint32_t(gap) : count;
            data += take;
            count -= take;
            record->linePosition += take;
            continue;
        }
        const uint32_t done = record->linePosition - uint32_t(sampleStart);
        uint32_t take = sampleBytes - done;
        if (take > count) take = count;
        if (record->writeOffset + take > previewBytes) return FC_LINE_OVERRUN;
        memcpy(preview + record->writeOffset, data, take);
        record->writeOffset += take;
        data += take;
        count -= take;
        record->linePosition += take;
        record->sampleRemainder = sampleBytes - done - take;
        if (record->sampleRemainder == 0) record->nextColumn += record->factor;
    }
    if (record->linePosition < lineBytes) return FC_OK;
    EndSourceLine(record);
    record->nextLine += record->factor;
    return CompletePreviewLine(record);
}

}  // namespace

RszLine* RszAppendLine(RszData* record, uint32_t lineBytes)
{
    const uint64_t nodeBytes = RszAlignedSize(sizeof(RszLine));
    const uint64_t total = nodeBytes + RszAlignedSize(lineBytes);
    if (total > kMaxLineBytes) return nullptr;
    uint8_t* piece = static_cast<uint8_t*>(MemGetBuffer(record->group, int32_t(total)));
    if (piece == nullptr) return nullptr;
    memset(piece, 0, size_t(total));
    RszLine* node = reinterpret_cast<RszLine*>(piece);
    node->data = piece + nodeBytes;
    node->previous = record->lastLine;
    node->next = nullptr;
    if (record->lastLine != nullptr)
        record->lastLine->next = node;
    else
        record->firstLine = node;
    record->lastLine = node;
    return node;
}

uint16_t RszInitData(RszData* record, uint32_t sourceWidth, uint16_t bytesPerSample, uint16_t bitDepth,
                     uint16_t factor)
{
    if (record == nullptr || factor == 0 || sourceWidth == 0) return FC_BAD_ARGUMENT;
    if (bytesPerSample != 1 && bytesPerSample != 2) return FC_BAD_ARGUMENT;
    const uint32_t previewWidth = uint32_t((uint64_t(sourceWidth) + factor - 1) / factor);
    if (uint64_t(sourceWidth) * bytesPerSample > 0xFFFFFFFFu) return FC_BAD_ARGUMENT;
    if (uint64_t(previewWidth) * bytesPerSample > kMaxLineBytes) return FC_OUT_OF_MEMORY;

    memset(record, 0, sizeof(*record));
    int32_t group = FC_NO_GROUP;
    const uint16_t groupResult = MemGetGroupID(&group);
    if (groupResult != 0) {
        record->group = FC_NO_GROUP;
        return groupResult;
    }
    record->group = group;
    record->factor = factor;
    record->bytesPerSample = bytesPerSample;
    record->bitDepth = bitDepth != 0 ? bitDepth : uint16_t(8 * bytesPerSample);
    record->sourceWidth = sourceWidth;
    record->previewWidth = previewWidth;
    if (EnsureCurrentLine(record) != FC_OK) {
        MemFreeGroup(group);
        record->group = FC_NO_GROUP;
        return FC_OUT_OF_MEMORY;
    }
    record->magic = RSZ_MAGIC;
    return FC_OK;
}

uint16_t RszInputDataBlock(RszData* record, const void* block, uint32_t byteCount)
{
    if (!IsValid(record)) return FC_NOT_VALID;
    if (record->bytesPerSample != 1 && record->bytesPerSample != 2) return FC_BAD_SAMPLE_BYTES;
    if (byteCount == 0) return FC_OK;
    if (block == nullptr) return FC_BAD_ARGUMENT;
    const uint64_t lineBytes64 = SourceLineBytes(record);
    if (lineBytes64 == 0 || lineBytes64 > 0xFFFFFFFFu) return FC_NOT_VALID;
    const uint32_t lineBytes = uint32_t(lineBytes64);
    if (record->linePosition > lineBytes) return FC_LINE_OVERRUN;

    const uint8_t* data = static_cast<const uint8_t*>(block);
    uint32_t count = byteCount;
    while (count > 0) {
        uint16_t result = EnsureCurrentLine(record);
        if (result != FC_OK) return result;
        if (record->factor == 1)
            result = CopyLineBytes(record, data, count, lineBytes);
        else if (record->sourceLine < record->nextLine)
            SkipLineBytes(record, data, count, lineBytes);
        else
            result = SampleLineBytes(record, data, count, lineBytes);
        if (result != FC_OK) return result;
    }
    return FC_OK;
}

uint16_t FreeRszData(RszData* record)
{
    if (!IsValid(record)) return FC_NOT_VALID;
    const uint16_t result = record->group != FC_NO_GROUP ? MemFreeGroup(record->group) : uint16_t(FC_OK);
    record->group = FC_NO_GROUP;
    record->magic = 0;
    record->firstLine = record->lastLine = record->currentLine = nullptr;
    record->previewLines = 0;
    return result;
}

uint16_t RszChangeYOrientation(RszData* record)
{
    if (!IsValid(record)) return FC_NOT_VALID;
    // Check the whole list first so a damaged one is left as it was.
    const RszLine* probe = record->firstLine;
    for (uint32_t line = 0; line < record->previewLines; ++line, probe = probe->next)
        if (probe == nullptr || probe == record->currentLine) return FC_NOT_VALID;
    if (record->previewLines == 0) return FC_OK;

    RszLine* completed = record->firstLine;
    RszLine* const reversedTail = completed;
    RszLine* reversed = nullptr;
    for (uint32_t line = 0; line < record->previewLines; ++line) {
        RszLine* next = completed->next;
        completed->next = reversed;
        completed->previous = next;
        reversed = completed;
        completed = next;
    }
    reversed->previous = nullptr;
    // The spare node stays behind the reversed lines so that input can go on.
    reversedTail->next = record->currentLine;
    if (record->currentLine != nullptr) record->currentLine->previous = reversedTail;
    record->firstLine = reversed;
    record->lastLine = record->currentLine != nullptr ? record->currentLine : reversedTail;
    return FC_OK;
}
