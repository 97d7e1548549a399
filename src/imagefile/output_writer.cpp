// Dispatch of the six writer operations on the record's format code.
#include "output_writer.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "file_io.h"
#include "file_place.h"
#include "frame/file_fault.h"

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

namespace {

uint16_t OpenFormat(OutputWriter* writer, const char* path, uint32_t format)
{
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

uint16_t CloseFormat(OutputWriter* writer)
{
    switch (writer->format) {
    case OUTPUT_BITMAP: return CloseWriterStream(&writer->state.bmp.file, &writer->state.bmp.streamBuffer);
    case OUTPUT_TIFF: return TiffRelease(&writer->state.tiff);
    case OUTPUT_DICOM: return DicomRelease(&writer->state.dicom);
    default: return FC_BAD_ARGUMENT;
    }
}

// Forgets the names; an unfinished part file goes with them (it is ours:
// it was created new for this image).
void DiscardPlacement(OutputWriter* writer)
{
    if (writer->partPath)
        remove(writer->partPath);
    free(writer->partPath);
    free(writer->targetPath);
    writer->partPath = nullptr;
    writer->targetPath = nullptr;
}

char* CopyOfName(const char* name)
{
    size_t length = strlen(name);
    char* copy = (char*)malloc(length + 1);
    if (copy)
        memcpy(copy, name, length + 1);
    return copy;
}

// The file the writer has open: the part file, or the target itself.
const char* WrittenName(const OutputWriter* writer)
{
    return writer->partPath ? writer->partPath : writer->targetPath ? writer->targetPath : "";
}

uint16_t StartPlacement(OutputWriter* writer, const char* path)
{
    writer->targetPath = nullptr;
    writer->partPath = nullptr;
    writer->firstFailure = FC_OK;
    if (!TargetWritable(path)) {
        // as opening the target itself would have failed
        LogFileError("OpenOutputWriter", "write", path, errno);
        return FC_OPEN_FAILED;
    }
    writer->targetPath = CopyOfName(path);
    if (!writer->targetPath)
        return FC_OPEN_FAILED;
    if (TargetIsDevice(path))
        return FC_OK;  // written in place
    RemoveLeftoverParts(path);
    char part[OUTPUT_NAME_MAX + PART_SUFFIX_LENGTH + 1];
    FILE* file = CreatePartFile(path, part, sizeof part);
    if (!file) {
        LogFileError("OpenOutputWriter", "create a part file for", path, errno);
        DiscardPlacement(writer);
        return FC_OPEN_FAILED;
    }
    fclose(file);  // the format's writer opens it again by name
    writer->partPath = CopyOfName(part);
    if (!writer->partPath) {
        remove(part);
        DiscardPlacement(writer);
        return FC_OPEN_FAILED;
    }
    return FC_OK;
}

// The finished part file replaces the target; the writer then owns no
// part file any more.
uint16_t PlaceFinishedFile(OutputWriter* writer)
{
    if (!writer->partPath)
        return FC_OK;  // written in place
    if (!PutFileInPlace(writer->partPath, writer->targetPath)) {
        char action[OUTPUT_NAME_MAX + PART_SUFFIX_LENGTH + 32];
        snprintf(action, sizeof action, "rename %s to", writer->partPath);
        LogSystemFileError("FinishOutputImage", action, writer->targetPath);
        return FC_OPEN_FAILED;
    }
    free(writer->partPath);
    writer->partPath = nullptr;
    return FC_OK;
}

// Bitmap and DICOM faults are told here, with the file's name; the TIFF
// writer tells its own, as it also writes a spool file.
uint16_t LogWriterFault(const OutputWriter* writer, const char* operation, uint16_t code, int error)
{
    if (writer->format == OUTPUT_TIFF)
        return code;
    if (code == FC_OPEN_FAILED)
        LogFileError(operation, "create", WrittenName(writer), error);
    else if (code == FC_SHORT_WRITE)
        LogFileError(operation, "write", WrittenName(writer), error);
    return code;
}

}  // namespace

uint16_t OpenOutputWriter(OutputWriter* writer, const char* path, uint32_t format)
{
    if (!writer || !path)
        return FC_BAD_ARGUMENT;
    if (format != OUTPUT_BITMAP && format != OUTPUT_TIFF && format != OUTPUT_DICOM)
        return OpenFormat(writer, path, format);
    uint16_t code = StartPlacement(writer, path);
    if (code != FC_OK)
        return code;
    code = OpenFormat(writer, writer->partPath ? writer->partPath : path, format);
    if (code != FC_OK) {
        LogWriterFault(writer, "OpenOutputWriter", code, errno);
        // Nothing is left behind by a writer that could not open.
        CloseFormat(writer);
        DiscardPlacement(writer);
    }
    return code;
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

// A file whose header or a row could not be written is never put in place.
static uint16_t NoteFailure(OutputWriter* writer, const char* operation, uint16_t code)
{
    if (code != FC_OK && writer->firstFailure == FC_OK) {
        LogWriterFault(writer, operation, code, errno);
        writer->firstFailure = code;
    }
    return code;
}

uint16_t BeginOutputImage(OutputWriter* writer)
{
    if (!writer)
        return FC_BAD_ARGUMENT;
    switch (writer->format) {
    case OUTPUT_BITMAP: return NoteFailure(writer, "BeginOutputImage", BmpBegin(&writer->state.bmp));
    case OUTPUT_TIFF: return FixImageOrientation(&writer->state.tiff);
    case OUTPUT_DICOM: return NoteFailure(writer, "BeginOutputImage", DicomBegin(&writer->state.dicom));
    default: return FC_BAD_ARGUMENT;
    }
}

uint16_t WriteOutputRow(OutputWriter* writer, const void* row)
{
    if (!writer || !row)
        return FC_BAD_ARGUMENT;
    switch (writer->format) {
    case OUTPUT_BITMAP: return NoteFailure(writer, "WriteOutputRow", BmpWriteRow(&writer->state.bmp, row));
    case OUTPUT_TIFF: return NoteFailure(writer, "WriteOutputRow", TiffWriteRow(row));
    case OUTPUT_DICOM: return NoteFailure(writer, "WriteOutputRow", DicomWriteRow(&writer->state.dicom, row));
    default: return FC_BAD_ARGUMENT;
    }
}

uint16_t FinishOutputImage(OutputWriter* writer)
{
    if (!writer)
        return FC_BAD_ARGUMENT;
    uint16_t code;
    switch (writer->format) {
    case OUTPUT_BITMAP: code = BmpFinish(&writer->state.bmp); break;
    case OUTPUT_TIFF:
        code = TiffFinish(&writer->state.tiff);
        // Closed now, so the finished file can take its place.
        if (code == FC_OK && (code = TiffRelease(&writer->state.tiff)) != FC_OK)
            LogFileError("FinishOutputImage", "write", WrittenName(writer), errno);
        break;
    case OUTPUT_DICOM: code = DicomFinish(&writer->state.dicom); break;
    default: return FC_BAD_ARGUMENT;
    }
    if (writer->firstFailure == FC_OK)
        LogWriterFault(writer, "FinishOutputImage", code, errno);
    if (code == FC_OK)
        code = (uint16_t)writer->firstFailure;
    return code == FC_OK ? PlaceFinishedFile(writer) : code;
}

uint16_t ReleaseOutputWriter(OutputWriter* writer)
{
    if (!writer)
        return FC_BAD_ARGUMENT;
    uint16_t code = CloseFormat(writer);
    if (writer->format == OUTPUT_BITMAP || writer->format == OUTPUT_TIFF || writer->format == OUTPUT_DICOM)
        DiscardPlacement(writer);
    return code;
}

uint16_t CloseWriterStream(FILE** file, void** streamBuffer)
{
    return CloseImageStream(file, streamBuffer) ? FC_OK : FC_SHORT_WRITE;
}
