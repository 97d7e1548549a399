#include "main_dialog.h"

#include <stdio.h>
#include <string.h>

#include "frame/clock.h"
#include "imagefile/session_images.h"

namespace {

const SessionImage* SessionList(const DSData* ds)
{
    return static_cast<const SessionImage*>(ds->OutputSettings->sessionImages);
}

// One name a line; a name that fills its whole record is cut at its end.
void WriteImageNames(const char* fileName, const SessionImage* list)
{
    if (!fileName)
        return;
    FILE* file = fopen(fileName, "w");
    if (!file)
        return;
    for (const SessionImage* image = list; image; image = image->next) {
        const int length = static_cast<int>(strnlen(image->name, sizeof image->name));
        fprintf(file, "%.*s\n", length, image->name);
    }
    fclose(file);
}

}  // namespace

void OnExit(HWND dialog, DSData* ds)
{
    const OutputSettings* out = ds->OutputSettings;
    SaveSessionImageList(out->imageListPath, SessionList(ds));
    WriteImageNames(out->imageNamesFile, SessionList(ds));
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

void OnCancel(HWND dialog, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    if (s->scanState == 1) {
        s->scanState = 0;
        s->stopBatch = 1;
        return;
    }
    const SessionImage* list = SessionList(ds);
    if (list &&
        MessageBoxA(dialog,
                    "YOU ARE GOING TO THROW AWAY ALL OF THE IMAGES YOU HAVE SCANNED IN THIS "
                    "SESSION!!!\n\nARE YOU SURE?",
                    "WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    DeleteSessionImages(list);
    if (ds->OutputSettings->imageNamesFile)
        remove(ds->OutputSettings->imageNamesFile);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

void OnMainClose(DSData* ds)
{
    HostServices* host = ds->HostServices;
    if (host->closeRequest)
        host->closeRequest(ds);
    else if (host->parentWindow)
        PostMessageA(static_cast<HWND>(host->parentWindow), WM_CLOSE, 0, 0);
    ClockSleep(500);
}
