#include "patient_fields.h"

#include <string.h>

#include "imagefile/dicom_table.h"

void PatientFields(OutputSettings* o, PatientField f[PATIENT_FIELD_COUNT])
{
    f[0] = {DCM_TAG(0x0020, 0x0010), o->studyId, sizeof o->studyId};
    f[1] = {DCM_TAG(0x0020, 0x0011), o->seriesNumber, sizeof o->seriesNumber};
    f[2] = {DCM_TAG(0x0020, 0x0013), o->imageNumber, sizeof o->imageNumber};
    f[3] = {DCM_TAG(0x0010, 0x0010), o->patientName, sizeof o->patientName};
    f[4] = {DCM_TAG(0x0010, 0x0020), o->patientId, sizeof o->patientId};
    f[5] = {DCM_TAG(0x0010, 0x0030), o->birthDate, sizeof o->birthDate};
    f[6] = {DCM_TAG(0x0010, 0x0040), o->patientSex, sizeof o->patientSex};
}

void LoadPatientField(const PatientField& field)
{
    char value[80];
    uint32_t size = static_cast<uint32_t>(field.size < sizeof value ? field.size : sizeof value - 1);
    if (!DcmGetElemValue(field.tag, value, &size))
        return;  // never given a value: the field keeps its own (the defaults)
    field.text[0] = '\0';
    if (size > field.size)
        return;
    // An odd value comes back with its pad; without it, it may just fit.
    if (size == field.size && (value[size - 1] == ' ' || value[size - 1] == '\0'))
        --size;
    if (size >= field.size)
        return;
    memcpy(field.text, value, size);
    field.text[size] = '\0';
}

void StorePatientFields(OutputSettings* o)
{
    PatientField fields[PATIENT_FIELD_COUNT];
    PatientFields(o, fields);
    for (const PatientField& f : fields)
        DcmSetElemValue(f.tag, f.text, static_cast<int32_t>(strnlen(f.text, f.size)));
}
