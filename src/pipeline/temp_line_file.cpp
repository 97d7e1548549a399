// The temporary line file of a final scan: landscape lines are kept there,
// back to back, until the rotation reads them in column strips.
#include <stdio.h>
#include <string.h>

#include "imagefile/file_io.h"
#include "pipeline/scan_lines.h"
#include "pipeline/scan_proc.h"

uint16_t ScanProcOpenTempFile(DSData* ds)
{
    ImageControl* control = ds->ImageControl;
    control->tempPath[0] = '\0';
    // A name that does not fit is refused whole: a cut name would write,
    // and later delete, some other file.
    const int length = snprintf(control->tempPath, sizeof control->tempPath, "%s.tmp",
                                ds->OutputSettings->outputPath);
    if (length < 0 || size_t(length) >= sizeof control->tempPath) {
        control->tempPath[0] = '\0';
        return FC_OPEN_FAILED;
    }
    control->tempFile = fopen(control->tempPath, "wb+");
    if (!control->tempFile) {
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
    return WriteBytes(control->tempFile, line, bytes) ? FC_OK : FC_SHORT_WRITE;
}

void ScanProcCloseTempFile(DSData* ds)
{
    ImageControl* control = ds->ImageControl;
    if (control->tempFile) {
        fclose(control->tempFile);
        control->tempFile = nullptr;
    }
    // Only a name this scan opened is ever deleted.
    if (control->tempPath[0] != '\0') {
        remove(control->tempPath);
        control->tempPath[0] = '\0';
    }
}
