// The seven patient and study fields of OutputSettings and the DICOM
// elements they feed, read and stored so that no value ever overruns the
// field it lands in.
#ifndef FILMCORE_PATIENT_FIELDS_H
#define FILMCORE_PATIENT_FIELDS_H

#include <stddef.h>
#include <stdint.h>

#include "FilmCore.h"

struct PatientField {
    uint32_t tag;
    char* text;
    size_t size;
};

enum { PATIENT_FIELD_COUNT = 7 };

// In the order the element table is refreshed: Study ID, Series Number,
// Instance Number, Patient's Name, Patient ID, Birth Date, Sex.
void PatientFields(OutputSettings* o, PatientField fields[PATIENT_FIELD_COUNT]);

// Loads one field from the element table, always terminated. An absent
// element leaves the field as it is; a value that cannot be held with its
// terminator, even without its pad byte, leaves the field empty.
void LoadPatientField(const PatientField& field);

// Stores every field into the element table (a text too long for its
// element is refused there and the element keeps its value).
void StorePatientFields(OutputSettings* o);

#endif
