// Copies of the patient and study texts kept in the DICOM writer's memory
// group for the duration of one image. The file's element values come from
// the element table alone.
#include "output_writer.h"

#include "frame/text_copy.h"

namespace {

bool KeepCopy(DicomWriterState* dcm, int slot, const char* text, size_t size)
{
    char* copy = (char*)MemGetBuffer(dcm->memoryGroup, (int32_t)size);
    if (!copy)
        return false;
    CopyText(copy, size, text);
    dcm->recordCopies[slot] = copy;
    return true;
}

}  // namespace

uint16_t PrepareDicomRecord(OutputWriter* writer, DSData* ds)
{
    if (!writer || !ds || !ds->OutputSettings || writer->format != OUTPUT_DICOM)
        return FC_BAD_ARGUMENT;
    DicomWriterState* dcm = &writer->state.dicom;
    const OutputSettings* out = ds->OutputSettings;
    struct Text { const char* text; size_t size; };
    const Text texts[12] = {
        {out->patientName, sizeof out->patientName},
        {out->patientId, sizeof out->patientId},
        {out->birthDate, sizeof out->birthDate},
        {out->patientSex, sizeof out->patientSex},
        {out->studyId, sizeof out->studyId},
        {out->seriesNumber, sizeof out->seriesNumber},
        {out->imageNumber, sizeof out->imageNumber},
        {"SC", 4},
        {"1.2.3", 32},
        {"1", 16},
        {"1.2.3.1", 32},
        {"1.2.3.1.1", 32},
    };
    for (int i = 0; i < 12; ++i) {
        if (!KeepCopy(dcm, i, texts[i].text, texts[i].size))
            return FC_OUT_OF_MEMORY;
    }
    return FC_OK;
}
