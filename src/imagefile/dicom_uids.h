// Study, series and SOP instance UIDs made from the local date and time.
#ifndef FILMCORE_DICOM_UIDS_H
#define FILMCORE_DICOM_UIDS_H

#include <stddef.h>
#include <time.h>

// "1.2.840.999999.YYYYMMDDhhmmss.1", every field zero-padded.
void DcmFormatStudyUID(const struct tm* when, char* uid, size_t size);

#endif
