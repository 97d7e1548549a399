// DICOM writer: a bare implicit-VR little-endian data set (no preamble, no
// meta group) made of every present element of the table, then Pixel Data
// whose rows stream in during the scan. Rows and the pixel length are
// patched at finish, when the row count is known.
#include "output_writer.h"

#include <string.h>

#include "dicom_table.h"
#include "file_io.h"

namespace {

void FreeWriterGroup(DicomWriterState* dcm)
{
    if (dcm->memoryGroup != FC_NO_GROUP)
        MemFreeGroup(dcm->memoryGroup);
    dcm->memoryGroup = FC_NO_GROUP;
    dcm->path = nullptr;  // the path and the record copies lived in the group
    memset(dcm->recordCopies, 0, sizeof dcm->recordCopies);
}

// Every element at full capacity: 29 x (8 + 64) bytes, plus the Pixel
// Data header.
const size_t kMaxDataSetBytes = 29 * (8 + 64) + 8;

struct DataSet {
    uint8_t bytes[kMaxDataSetBytes];
    size_t size;
};

void AppendBytes(DataSet* out, const void* data, size_t size)
{
    if (out->size + size > sizeof out->bytes)
        return;  // cannot happen: capacities are fixed
    memcpy(out->bytes + out->size, data, size);
    out->size += size;
}

void AppendU32(DataSet* out, uint32_t value)
{
    uint8_t bytes[4];
    PutU32(bytes, value);
    AppendBytes(out, bytes, sizeof bytes);
}

// The data set up to and including the Pixel Data header.
void BuildDataSet(DicomWriterState* dcm, DataSet* out)
{
    out->size = 0;
    for (size_t i = 0; i < DcmElementCount(); ++i) {
        DcmElementView element = DcmElementAt(i);
        if (!element.present)
            continue;
        AppendU32(out, element.tag);
        if (element.tag == DCM_PIXEL_DATA) {
            dcm->pixelLengthPos = (uint32_t)out->size;
            AppendU32(out, 0);
            break;
        }
        AppendU32(out, element.length);
        if (element.tag == DCM_ROWS)
            dcm->rowsValuePos = (uint32_t)out->size;
        AppendBytes(out, element.value, element.length);
    }
}

}  // namespace

uint16_t DicomOpen(DicomWriterState* dcm, const char* path)
{
    memset(dcm, 0, sizeof *dcm);
    dcm->memoryGroup = FC_NO_GROUP;
    int32_t group = FC_NO_GROUP;
    if (MemGetGroupID(&group) != FC_OK)
        return FC_OPEN_FAILED;  // nowhere to keep the path
    dcm->memoryGroup = group;
    // The whole path is kept: a cut name would write one file and let the
    // cleanup delete another.
    size_t length = strlen(path);
    char* copy = length < 0x7FFFFFFF ? (char*)MemGetBuffer(group, (int32_t)(length + 1)) : nullptr;
    if (!copy) {
        FreeWriterGroup(dcm);
        return FC_OPEN_FAILED;
    }
    memcpy(copy, path, length + 1);
    dcm->path = copy;
    return FC_OK;
}

uint16_t DicomSetParam(DicomWriterState* dcm, uint32_t code, const void* value, uint32_t size)
{
    if (code < ImageLength || code > Resolution)
        return FC_BAD_ARGUMENT;
    uint32_t v;
    if (!ReadParamValue(value, size, &v))
        return FC_OK;
    switch (code) {
    case ImageLength: dcm->rowCount = (uint16_t)v; break;
    case ImageWidth: dcm->columns = (uint16_t)v; break;
    case BitsPerSample: dcm->bitsStored = (uint16_t)v; break;
    case Resolution: dcm->resolution = v; break;
    }
    return FC_OK;
}

uint16_t DicomBegin(DicomWriterState* dcm)
{
    // Rows are one or two bytes a sample: packed bilevel rows cannot be
    // stored, and deeper samples do not fit two bytes.
    if (dcm->bitsStored < 8 || dcm->bitsStored > 16 || !dcm->path)
        return FC_BAD_ARGUMENT;
    dcm->rowBytes = dcm->bitsStored > 8 ? (uint32_t)dcm->columns * 2 : dcm->columns;
    dcm->padBytes = dcm->rowBytes % 2;
    dcm->padByte = 0;
    uint32_t columnsStated = (uint32_t)dcm->columns + dcm->padBytes;
    if (columnsStated > 0xFFFF)
        return FC_BAD_ARGUMENT;

    DcmSetElemU16(DCM_ROWS, dcm->rowCount);
    DcmSetElemU16(DCM_COLUMNS, (uint16_t)columnsStated);
    DcmSetElemU16(DCM_BITS_STORED, dcm->bitsStored);
    DcmSetElemU16(DCM_BITS_ALLOCATED, dcm->bitsStored > 8 ? 16 : 8);
    DcmSetElemU16(DCM_HIGH_BIT, (uint16_t)(dcm->bitsStored - 1));
    dcm->pixelBytes = 0;
    dcm->rowCount = 0;

    CloseImageStream(&dcm->file, &dcm->streamBuffer);  // a second begin starts over
    dcm->file = OpenImageStream(dcm->path, "wb+", &dcm->streamBuffer);
    if (!dcm->file)
        return FC_OPEN_FAILED;
    DataSet dataSet;
    BuildDataSet(dcm, &dataSet);
    return WriteBytes(dcm->file, dataSet.bytes, dataSet.size) ? FC_OK : FC_SHORT_WRITE;
}

uint16_t DicomWriteRow(DicomWriterState* dcm, const void* row)
{
    if (!dcm->file)
        return FC_NOT_VALID;
    uint32_t rowTotal = dcm->rowBytes + dcm->padBytes;
    // Rows is a 16-bit value and the pixel length a 32-bit one (all ones
    // would mean an undefined length).
    if (dcm->rowCount == 0xFFFF || (uint64_t)dcm->pixelBytes + rowTotal >= 0xFFFFFFFFu)
        return FC_SHORT_WRITE;
    if (!WriteBytes(dcm->file, row, dcm->rowBytes) ||
        !WriteBytes(dcm->file, &dcm->padByte, dcm->padBytes))
        return FC_SHORT_WRITE;
    dcm->rowCount += 1;
    dcm->pixelBytes += rowTotal;
    return FC_OK;
}

uint16_t DicomFinish(DicomWriterState* dcm)
{
    if (!dcm->file) {
        FreeWriterGroup(dcm);
        return FC_NOT_VALID;
    }
    bool patched = WriteU16At(dcm->file, dcm->rowsValuePos, dcm->rowCount) &&
                   WriteU32At(dcm->file, dcm->pixelLengthPos, dcm->pixelBytes);
    bool closed = CloseImageStream(&dcm->file, &dcm->streamBuffer);
    FreeWriterGroup(dcm);
    return patched && closed ? FC_OK : FC_SHORT_WRITE;
}

uint16_t DicomRelease(DicomWriterState* dcm)
{
    bool closed = CloseImageStream(&dcm->file, &dcm->streamBuffer);
    FreeWriterGroup(dcm);  // also after a failed or cancelled scan
    return closed ? FC_OK : FC_SHORT_WRITE;
}
