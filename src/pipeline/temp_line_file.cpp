// The temporary line file of a final scan: landscape lines are kept there,
// back to back, until the rotation reads them in column strips.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "frame/file_fault.h"
#include "imagefile/file_io.h"
#include "imagefile/file_place.h"
#include "pipeline/scan_lines.h"
#include "pipeline/scan_proc.h"

uint16_t ScanProcOpenTempFile(DSData* ds)
{
    ImageControl* control = ds->ImageControl;
    const char* target = ds->OutputSettings->outputPath;
    // A part file of the output's own, created new: a file of that name
    // that is not ours is never opened, and a name too long for tempPath
    // is refused rather than cut short.
    control->tempFile = CreatePartFile(target, control->tempPath, sizeof control->tempPath);
    if (!control->tempFile) {
        LogFileError("ScanProcOpenTempFile", "create a line file for", target, errno);
        control->tempPath[0] = '\0';
        return FC_OPEN_FAILED;
    }
    return FC_OK;
}

uint16_t ScanProcWriteTempLine(DSData* ds, const void* line)
{
    ImageControl* control = ds->ImageControl;
    if (!control->tempFile)
        return FC_NOT_VALID;
    const uint32_t bytes = OutputLineBytes(ds->ScanSettings->bitDepth, ds->ScanSettings->scanWidth);
    if (WriteBytes(control->tempFile, line, bytes))
        return FC_OK;
    LogFileError("ScanProcWriteTempLine", "write", control->tempPath, errno);
    return FC_SHORT_WRITE;
}

void ScanProcCloseTempFile(DSData* ds)
{
    ImageControl* control = ds->ImageControl;
    if (control->tempFile) {
        fclose(control->tempFile);
        control->tempFile = nullptr;
    }
    // Only a file this scan created is ever deleted.
    if (control->tempPath[0] != '\0') {
        remove(control->tempPath);
        control->tempPath[0] = '\0';
    }
}
