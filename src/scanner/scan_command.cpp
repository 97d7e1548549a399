#include "scan_command.h"

#include "digitizer/toolkit.h"
#include "frame/phase_timing.h"
#include "frame/session.h"
#include "frame/status_line.h"
#include "frame/text_copy.h"
#include "imagefile/output_prepare.h"
#include "pipeline/scan_block.h"
#include "res/resource.h"
#include "scanner/digitizer_wait.h"
#include "scanner/film_feed.h"
#include "scanner/scan_start.h"

namespace {

// 1 when the output is ready and its format holds the depth; 0 when the
// preparation failed or the format was refused every time.
int PrepareOutput(HWND window, DSData* ds)
{
    PHASE_SPAN("PrepareOutput");
    for (int attempt = 0; attempt < SCAN_PREPARATIONS; ++attempt) {
        if (!PrepareOutputFile(window, ds))
            return 0;
        if (ds->ImageControl->saveToDisk != 1 || CheckFormatDepth(window, ds) != -1)
            return 1;
        MessageBoxA(window,
                    "Currently selected file format does not support\n12 or 16 bit scanning mode.  "
                    "Please change file format",
                    "WARNING", MB_OK | MB_ICONEXCLAMATION);
    }
    return 0;
}

bool UsesMemoryTransfer(const DSData* ds)
{
    const ImageControl* c = ds->ImageControl;
    return ds->OutputSettings->transferMode == 1 && c->memTransferEnabled && c->saveToDisk == 0;
}

int StartForHost(HWND window, DSData* ds)
{
    if (!StartMemoryScan(window, ds))
        SetScanStatus(window, "Error Encountered Starting Scan.");
    return -1;
}

int StartFileScan(HWND window, DSData* ds)
{
    if (!StartScan(window, ds)) {
        SetScanStatus(window, "Error Encountered During a Scan.");
        return -1;
    }
    ds->ScanSettings->imageScanned = 1;
    PostMessageA(window, WM_COMMAND, IDM_SCAN_FINISHED, 0);
    return 1;
}

}  // namespace

const char* BatchName(const DSData* ds, int film)
{
    if (film < 1 || film > BATCH_MAX)
        return nullptr;
    return ds->OutputSettings->batchNames[film - 1];
}

int RunScanCommand(HWND window, DSData* ds)
{
    if (!SessionComplete(ds))
        return -1;
    ds->ScanSettings->selectionFlags = 1;
    ds->ScanArea->prescanMode = 0;
    return LoadFilmAndScan(window, ds);
}

int ScanSelectedRegion(HWND window, DSData* ds)
{
    if (!SessionComplete(ds))
        return -1;
    ds->ScanSettings->currentFilm = 1;
    return LoadFilmAndScan(window, ds);
}

int LoadFilmAndScan(HWND window, DSData* ds)
{
    if (!SessionComplete(ds))
        return -1;
    if (!PHASE_CALL("WaitForDigitizerReady", WaitForDigitizerReady(window)))
        return -1;
    if (!PrepareOutput(window, ds))
        return -1;
    if (ds->ImageControl->multiFilmMode) {
        const char* name = BatchName(ds, ds->ScanSettings->currentFilm);
        // Never let a film overwrite another film's image.
        if (!name)
            return -1;
        CopyText(ds->OutputSettings->outputPath, sizeof ds->OutputSettings->outputPath, name);
    }
    Toolkit()->stopScan();
    if (PHASE_CALL("FeedFilm", FeedFilm(window, ds, FEED_FOR_SCAN)) < 0)
        return -1;
    if (UsesMemoryTransfer(ds))
        return StartForHost(window, ds);
    return StartFileScan(window, ds);
}
