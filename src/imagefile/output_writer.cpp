// Dispatch of the six writer operations on the record's format code.
#include "output_writer.h"

#include <string.h>

#include "file_io.h"

extern "C" uint16_t FixImageOrientation(void* writerState)
{
    (void)writerState;  // every format stores its rows as delivered
    return FC_OK;
}

int ReadParamValue(const void* value, uint32_t size, uint32_t* out)
{
    if (!value)
        return 0;
    if (size == 4) {
        uint32_t v;
        memcpy(&v, value, sizeof v);
        *out = v;
        return 1;
    }
    if (size == 2) {
        uint16_t v;
        memcpy(&v, value, sizeof v);
        *out = v;
        return 1;
    }
    return 0;
}

uint16_t OpenOutputWriter(OutputWriter* writer, const char* path, uint32_t format)
{
    if (!writer || !path)
        return FC_BAD_ARGUMENT;
    switch (format) {
    case OUTPUT_BITMAP:
        writer->format = format;
        return BmpOpen(&writer->state.bmp, path);
    case OUTPUT_TIFF:
        writer->format = format;
        return TiffOpen(&writer->state.tiff, path);
    case OUTPUT_DICOM:
        writer->format = format;
        return DicomOpen(&writer->state.dicom, path);
    default:
        // Stored, so a reused record no longer acts on the previous format's state.
        writer->format = format;
        return FC_BAD_ARGUMENT;
    }
}

uint16_t SetWriterParam(OutputWriter* writer, uint32_t code, const void* value, uint32_t size)
{
    if (!writer)
        return FC_BAD_ARGUMENT;
    switch (writer->format) {
    case OUTPUT_BITMAP: return BmpSetParam(&writer->state.bmp, code, value, size);
    case OUTPUT_TIFF: return TiffSetParam(code, value, size);
    case OUTPUT_DICOM: return DicomSetParam(&writer->state.dicom, code, value, size);
    default: return FC_BAD_ARGUMENT;
    }
}

uint16_t BeginOutputImage(OutputWriter* writer)
{
    if (!writer)
        return FC_BAD_ARGUMENT;
    switch (writer->format) {
    case OUTPUT_BITMAP: return BmpBegin(&writer->state.bmp);
    case OUTPUT_TIFF: return FixImageOrientation(&writer->state.tiff);
    case OUTPUT_DICOM: return DicomBegin(&writer->state.dicom);
    default: return FC_BAD_ARGUMENT;
    }
}

uint16_t WriteOutputRow(OutputWriter* writer, const void* row)
{
    if (!writer || !row)
        return FC_BAD_ARGUMENT;
    switch (writer->format) {
    case OUTPUT_BITMAP: return BmpWriteRow(&writer->state.bmp, row);
    case OUTPUT_TIFF: return TiffWriteRow(row);
    case OUTPUT_DICOM: return DicomWriteRow(&writer->state.dicom, row);
    default: return FC_BAD_ARGUMENT;
    }
}

uint16_t FinishOutputImage(OutputWriter* writer)
{
    if (!writer)
        return FC_BAD_ARGUMENT;
    switch (writer->format) {
    case OUTPUT_BITMAP: return BmpFinish(&writer->state.bmp);
    case OUTPUT_TIFF: return TiffFinish(&writer->state.tiff);
    case OUTPUT_DICOM: return DicomFinish(&writer->state.dicom);
    default: return FC_BAD_ARGUMENT;
    }
}

uint16_t ReleaseOutputWriter(OutputWriter* writer)
{
    if (!writer)
        return FC_BAD_ARGUMENT;
    switch (writer->format) {
    case OUTPUT_BITMAP: return CloseWriterStream(&writer->state.bmp.file, &writer->state.bmp.streamBuffer);
    case OUTPUT_TIFF: return TiffRelease(&writer->state.tiff);
    case OUTPUT_DICOM: return DicomRelease(&writer->state.dicom);
    default: return FC_BAD_ARGUMENT;
    }
}

uint16_t CloseWriterStream(FILE** file, void** streamBuffer)
{
    return CloseImageStream(file, streamBuffer) ? FC_OK : FC_SHORT_WRITE;
}
