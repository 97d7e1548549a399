// The end of a file scan: the rotation of a landscape image, the writer's
// finish and the new preview bitmap.
#include "frame/phase_timing.h"
#include "frame/session.h"
#include "pipeline/scan_block.h"
#include "pipeline/rsz_bitlist.h"
#include "pipeline/scan_proc.h"
#include "imagefile/output_writer.h"

static uint16_t BuildPreviewBitmap(DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    const bool prescan = ds->ScanArea->prescanMode != 0;
    void* bits = nullptr;
    void* info = nullptr;
    int32_t group = FC_NO_GROUP;
    const uint16_t rc = s->bitDepth == 1 ? RszBitGetBitmap(ds, &bits, &info, &group)
                                         : RszGetBitmap(&ds->ImageControl->preview, &bits, &info, &group);
    if (rc != FC_OK)
        return rc;
    if (prescan) {
        s->prescanBits = static_cast<uint8_t*>(bits);
        s->prescanInfo = info;
        s->prescanGroup = group;
    } else {
        s->scanPreviewBits = static_cast<uint8_t*>(bits);
        s->scanPreviewInfo = info;
        s->scanPreviewGroup = group;
    }
    return FC_OK;
}

extern "C" int32_t ScanProcFinish(void* dialogHandle, DSData* ds)
{
    HWND dialog = static_cast<HWND>(dialogHandle);
    if (!ScanRecordsPresent(ds))
        return 0;
    ScanSettings* s = ds->ScanSettings;
    ScanArea* area = ds->ScanArea;
    ImageControl* c = ds->ImageControl;
    FinishScanProgress(dialog, ds);
    if (area->prescanMode == 0) {
        if (c->landscape == 1 && ScanProcRotateFromTemp(ds) != FC_OK)
            return 0;
        PHASE_SPAN("FinishOutputImage");
        if (FinishOutputImage(&c->outputWriter) != FC_OK)
            return 0;
    } else {
        area->prescanPixels = s->scanPixels;
        area->prescanLines = c->linesDone;
    }
    s->imageWidth = s->scanWidth;
    s->imageHeight = c->linesDone;
    FreeScanPreviewBitmap(ds);
    return BuildPreviewBitmap(ds) == FC_OK;
}
