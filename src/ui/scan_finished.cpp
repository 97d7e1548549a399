#include "main_dialog.h"

#include "digitizer/toolkit.h"
#include "frame/phase_timing.h"
#include "pipeline/preview_area.h"
#include "ui/bitmap_turn.h"

namespace {

// 1 when the operator confirmed the patient data (or none was needed).
int ConfirmPatientData(HWND dialog, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    const bool viewOnly = ds->OutputSettings->outputFormat == OUTPUT_DICOM || ds->HostServices->imageReady;
    s->patientDialogMode = viewOnly ? 2 : 0;
    const int confirmed = OpenPatDataDlg(ds->HostServices->instance, dialog, ds);
    s->patientDialogMode = 0;
    return confirmed;
}

void PaintPreviewNow(HWND dialog, DSData* ds)
{
    HDC dc = GetDC(dialog);
    if (!dc)
        return;
    HPALETTE palette = static_cast<HPALETTE>(ds->HostServices->palette);
    HPALETTE previous = palette ? SelectPalette(dc, palette, FALSE) : nullptr;
    if (palette)
        RealizePalette(dc);
    PaintPreview(dialog, dc, ds);
    if (previous)
        SelectPalette(dc, previous, FALSE);
    ReleaseDC(dialog, dc);
}

}  // namespace

void OnScanFinished(HWND dialog, DSData* ds)
{
    PHASE_SPAN("OnScanFinished");
    ScanSettings* s = ds->ScanSettings;
    if (!s->scanCancelled) {
        if (ds->ImageControl->landscape && s->scanPreviewInfo && s->scanPreviewBits)
            TurnBitmapQuarter(static_cast<DibInfoHeader*>(s->scanPreviewInfo), s->scanPreviewBits);
        HostServices* host = ds->HostServices;
        if (ConfirmPatientData(dialog, ds) && !ds->ImageControl->saveToDiskActive && host->imageReady)
            host->imageReady(ds);
    }
    // Outside a batch the film leaves now; a batch ejects each film itself.
    if (ds->ImageControl->autoEject && !ds->ImageControl->multiFilmMode)
        EjectFilm(dialog);
}

void ReloadFilmAfterPrescan(HWND dialog, DSData* ds)
{
    if (!ds->ScanSettings->scanCancelled) {
        ResetSelection(ds);
        ds->ImageControl->previewActive = 1;
        PaintPreviewNow(dialog, ds);
    }
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const TkStatus loaded = Toolkit()->loadMedium();
    SetCursor(previous);
    if (loaded != 0)
        MessageBoxA(dialog, "LoadMedium (1288)has not operated properly.\nYou may need to load the film manually.",
                    "WARNING", MB_OK | MB_ICONEXCLAMATION);
}
