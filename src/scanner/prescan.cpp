#include "prescan.h"

#include "digitizer/toolkit.h"
#include "frame/scan_controls.h"
#include "frame/session.h"
#include "frame/status_line.h"
#include "frame/tables.h"
#include "pipeline/scan_block.h"
#include "pipeline/scan_proc.h"
#include "res/resource.h"
#include "scanner/auto_size.h"
#include "scanner/film_feed.h"
#include "scanner/scan_params.h"
#include "scanner/scan_start.h"

void SaveResolutionAndDepth(DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    s->savedResolution = s->resolution;
    s->savedBitDepth = s->bitDepth;
}

void RestoreResolutionAndDepth(DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    s->resolution = s->savedResolution;
    s->bitDepth = s->savedBitDepth;
}

int StartPreScan(HWND window, DSData* ds)
{
    if (FeedFilm(window, ds, FEED_FOR_PRESCAN) < 0)
        return -1;
    SaveResolutionAndDepth(ds);
    BeginScanStart(window, ds, true);
    ScanSettings* s = ds->ScanSettings;
    s->programmingScan = 1;
    SetPrescanParams(window, ds);
    s->programmingScan = 0;
    SetScanStatus(window, "Pre scanning...");
    s->scanState = 1;
    const int32_t result = ScanProcRun(window, ds);
    s->scanState = 0;
    if (!result)
        MessageBoxA(window, "StartPreScan\r\n\nError during scan.", "ERROR", MB_OK | MB_ICONSTOP);
    RestoreResolutionAndDepth(ds);
    RestoreScanControls(window);
    return result;
}

int RunPrescanCommand(HWND window, DSData* ds)
{
    if (!SessionComplete(ds))
        return 1;
    SetAutoSize(window, ds, 1);
    const int scanned = StartPreScan(window, ds);
    if (scanned == 0)
        return 1;
    // No film, no new preview: the reload that follows must not show the
    // last one as if it were of this film.
    if (scanned < 0)
        ds->ScanSettings->scanCancelled = 1;
    // Tables 2 and 4 go to the digitizer again once the prescan is over.
    const TableEntry* entry = nullptr;
    TableFind(window, ds, &entry);
    if (entry && (entry->number == 2 || entry->number == 4))
        Toolkit()->setTranslationTable(static_cast<int16_t>(entry->number));
    PostMessageA(window, WM_COMMAND, IDM_RELOAD_AFTER_PRESCAN, 0);
    return 0;
}
