#include "scan_start.h"

#include "digitizer/pump_messages.h"
#include "digitizer/toolkit.h"
#include "frame/scan_controls.h"
#include "frame/phase_timing.h"
#include "frame/session.h"
#include "frame/status_line.h"
#include "frame/text_copy.h"
#include "pipeline/scan_block.h"
#include "pipeline/scan_proc.h"
#include "res/resource.h"
#include "scanner/scan_params.h"

namespace {

const char kTransferFile[] = "c:\\nqt\\temp\\nXfer.bmp";

// Programmed twice: the first pass settles the lists the second one reads.
void ProgramScan(HWND window, DSData* ds)
{
    PHASE_SPAN("StartScan.program");
    ds->ScanSettings->programmingScan = 1;
    SetScanParams(window, ds);
    SetScanParams(window, ds);
    ds->ScanSettings->programmingScan = 0;
}

// Without Save To Disk the host gets the image as the transfer bitmap.
void UseTransferFile(DSData* ds)
{
    OutputSettings* out = ds->OutputSettings;
    CopyText(out->outputPath, sizeof out->outputPath, kTransferFile);
    out->outputFormat = OUTPUT_BITMAP;
    CopyText(out->formatName, sizeof out->formatName, "Bitmap");
}

}  // namespace

void BeginScanStart(HWND window, DSData* ds, bool pump)
{
    PHASE_SPAN("StartScan.begin");
    ScanSettings* s = ds->ScanSettings;
    s->progressPercent = 0;
    s->progressBytes = 0;
    SendMessageA(window, WM_COMMAND, IDM_REPAINT_PROGRESS, 0);
    if (pump)
        PumpMessages(window, 20, 0);
    DisableScanControls(window);
    if (ds->ImageControl->averageCountSupported)
        Toolkit()->setAverageCount(1);
}

extern "C" int32_t StartScan(void* dialog, DSData* ds)
{
    HWND window = static_cast<HWND>(dialog);
    if (!SessionComplete(ds))
        return 0;
    if (ds->ImageControl->saveToDisk == 0)
        UseTransferFile(ds);
    BeginScanStart(window, ds, ds->ImageControl->multiFilmMode == 0);
    ProgramScan(window, ds);
    SetScanStatus(window, "Native scan initializing...");
    ds->ScanSettings->scanState = 1;
    const int32_t result = ScanProcRun(window, ds);
    ds->ScanSettings->scanState = 0;
    if (!result)
        MessageBoxA(window, "StartScan\r\n\nError during scan.", "ERROR", MB_OK | MB_ICONSTOP);
    PHASE_CALL("StartScan.restoreControls", RestoreScanControls(window));
    return result;
}

int StartMemoryScan(HWND window, DSData* ds)
{
    ds->ImageControl->landscape = 0;
    WriteSetting(ds, "IMAGE_ORIENT", "Set", "PORTRAIT");
    BeginScanStart(window, ds, true);
    ProgramScan(window, ds);
    SetScanStatus(window, "Memory scan initializing...");
    ds->ScanSettings->scanState = 1;
    const int32_t result = MemScanInitialize(window, ds);
    if (!result) {
        MessageBoxA(window, "Error Starting a Scan.", "ERROR", MB_OK | MB_ICONSTOP);
        // No transfer will end this scan: leave nothing running or locked.
        ds->ScanSettings->scanState = 0;
        RestoreScanControls(window);
    }
    return result;
}
