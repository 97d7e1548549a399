#include "batch_scan.h"

#include "digitizer/toolkit.h"
#include "frame/session.h"
#include "frame/text_copy.h"
#include "pipeline/scan_block.h"
#include "scanner/digitizer_wait.h"
#include "scanner/scan_command.h"

namespace {

// -1 ends the batch.
int ScanOneFilm(HWND window, DSData* ds, int film)
{
    if (!ds->ImageControl->multiFilmMode)
        return RunScanCommand(window, ds);
    OutputSettings* out = ds->OutputSettings;
    // The films follow one another with no host call in between: each later
    // film of a DICOM batch is the next image of the series, so no two share
    // a SOP Instance UID.
    if (film > 1 && out->outputFormat == OUTPUT_DICOM)
        DcmGenInstUIDs(0);
    CopyText(out->outputPath, sizeof out->outputPath, BatchName(ds, film));
    const int result = RunScanCommand(window, ds);
    // Each film leaves the digitizer right after its scan.
    if (result != -1)
        EjectFilm(window);
    return result;
}

}  // namespace

void RunBatchScan(HWND window, DSData* ds)
{
    if (!SessionComplete(ds))
        return;
    if (!WaitForDigitizerReady(window))
        return;
    ScanSettings* s = ds->ScanSettings;
    s->stopBatch = 0;
    // Read afresh for every film: programming a scan may change the count.
    for (int i = 0; i < s->filmCount && i < BATCH_MAX; ++i) {
        if (s->stopBatch == 1)
            break;
        s->currentFilm = static_cast<uint8_t>(i + 1);
        // A film whose turn comes while a scan still runs is skipped.
        if (s->scanState != 0 && s->scanState != 2)
            continue;
        if (ScanOneFilm(window, ds, i + 1) == -1)
            break;
    }
    Toolkit()->setFDStageMode(1);
}
