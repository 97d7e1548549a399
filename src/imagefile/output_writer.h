// The output writers: one record (OutputWriter, in FilmCore.h) behind six
// operations that dispatch on the format code to the bitmap, TIFF or DICOM
// writer. Rows arrive one at a time; every writer counts them and puts the
// count into its header at finish, because the length of a scan is never
// known in advance.
#ifndef FILMCORE_OUTPUT_WRITER_H
#define FILMCORE_OUTPUT_WRITER_H

#include "FilmCore.h"

enum WriterParam {
    ImageLength = 1,    // rows expected
    ImageWidth = 2,     // pixels per row
    BitsPerSample = 3,  // 1, 8, 12 or 16
    Resolution = 4      // dots per inch
};

uint16_t OpenOutputWriter(OutputWriter* writer, const char* path, uint32_t format);
uint16_t SetWriterParam(OutputWriter* writer, uint32_t code, const void* value, uint32_t size);
uint16_t BeginOutputImage(OutputWriter* writer);
uint16_t WriteOutputRow(OutputWriter* writer, const void* row);
uint16_t FinishOutputImage(OutputWriter* writer);
uint16_t ReleaseOutputWriter(OutputWriter* writer);

// Fills the writer's memory group with copies of the patient and study
// texts of the session (DICOM output only, between the parameters and begin).
uint16_t PrepareDicomRecord(OutputWriter* writer, DSData* ds);

// Per-format operations behind the dispatch.
uint16_t BmpOpen(BmpWriterState* bmp, const char* path);
uint16_t BmpSetParam(BmpWriterState* bmp, uint32_t code, const void* value, uint32_t size);
uint16_t BmpBegin(BmpWriterState* bmp);
uint16_t BmpWriteRow(BmpWriterState* bmp, const void* row);
uint16_t BmpFinish(BmpWriterState* bmp);
uint16_t CloseWriterStream(FILE** file, void** streamBuffer);  // bitmap and TIFF release

uint16_t TiffOpen(TiffWriterState* tiff, const char* path);
uint16_t TiffSetParam(uint32_t code, const void* value, uint32_t size);
uint16_t TiffWriteRow(const void* row);
uint16_t TiffFinish(TiffWriterState* tiff);
uint16_t TiffRelease(TiffWriterState* tiff);

uint16_t DicomOpen(DicomWriterState* dcm, const char* path);
uint16_t DicomSetParam(DicomWriterState* dcm, uint32_t code, const void* value, uint32_t size);
uint16_t DicomBegin(DicomWriterState* dcm);
uint16_t DicomWriteRow(DicomWriterState* dcm, const void* row);
uint16_t DicomFinish(DicomWriterState* dcm);
uint16_t DicomRelease(DicomWriterState* dcm);

// Reads a parameter value of 4 bytes (u32) or 2 bytes (u16); 0 for any
// other size, in which case the bitmap and DICOM writers store nothing.
int ReadParamValue(const void* value, uint32_t size, uint32_t* out);

#endif
