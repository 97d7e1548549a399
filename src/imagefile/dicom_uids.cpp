#include "dicom_uids.h"

#include <stdio.h>
#include <string.h>

#include "dicom_table.h"

namespace {

const size_t kUidCapacity = 64;

void StoreUid(uint32_t tag, const char* uid)
{
    DcmSetElemValue(tag, uid, (int32_t)strlen(uid));
}

void GenerateNewStudy()
{
    time_t now = time(nullptr);
    struct tm local;
#ifdef _WIN32
    if (localtime_s(&local, &now) != 0)
        memset(&local, 0, sizeof local);
#else
    if (!localtime_r(&now, &local))
        memset(&local, 0, sizeof local);
#endif
    // Room for more than an element holds: a UID too long is refused whole
    // by the table, never cut.
    char study[kUidCapacity + 1];
    char series[sizeof study + 2];
    char instance[sizeof series + 2];
    DcmFormatStudyUID(&local, study, sizeof study);
    snprintf(series, sizeof series, "%s.1", study);
    snprintf(instance, sizeof instance, "%s.1", series);
    StoreUid(DCM_STUDY_INSTANCE_UID, study);
    StoreUid(DCM_SERIES_INSTANCE_UID, series);
    StoreUid(DCM_SOP_INSTANCE_UID, instance);
}

// Next image of the same series: the number after the SOP Instance UID's
// last "." goes up by one, kept to 16 bits. Without such a UID the table
// stays as it is.
void AdvanceInstanceUid()
{
    char uid[kUidCapacity + 1];
    uint32_t size = sizeof uid;
    if (!DcmGetElemValue(DCM_SOP_INSTANCE_UID, uid, &size))
        return;
    uid[size < sizeof uid ? size : sizeof uid - 1] = '\0';  // the NUL pad ends the text
    char* lastDot = strrchr(uid, '.');
    if (!lastDot)
        return;
    uint32_t number = 0;
    for (const char* digit = lastDot + 1; *digit >= '0' && *digit <= '9'; ++digit)
        number = (number * 10 + (uint32_t)(*digit - '0')) & 0xFFFF;
    number = (number + 1) & 0xFFFF;
    char next[kUidCapacity + 16];
    int written = snprintf(next, sizeof next, "%.*s.%u", (int)(lastDot - uid), uid, (unsigned)number);
    if (written > 0 && (size_t)written < sizeof next)
        StoreUid(DCM_SOP_INSTANCE_UID, next);  // refused, old UID kept, when too long
}

}  // namespace

void DcmFormatStudyUID(const struct tm* when, char* uid, size_t size)
{
    snprintf(uid, size, "1.2.840.999999.%04d%02d%02d%02d%02d%02d.1", when->tm_year + 1900,
             when->tm_mon + 1, when->tm_mday, when->tm_hour, when->tm_min, when->tm_sec);
}

extern "C" uint32_t DcmGenInstUIDs(int32_t newStudy)
{
    if (newStudy != 0)
        GenerateNewStudy();
    else
        AdvanceInstanceUid();
    return 1;
}
