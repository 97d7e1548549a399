#include "output_prepare.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "frame/file_fault.h"
#include "frame/instance.h"
#include "frame/text_copy.h"
#include "imagefile/batch_dialog.h"
#include "imagefile/file_place.h"
#include "imagefile/patient_dialog.h"

namespace {

// Room for a name in the texts of the boxes.
const size_t kNameSlot = 260;

void ErrorBox(HWND owner, const char* text)
{
    MessageBoxA(owner, text, "Error", MB_OK | MB_ICONSTOP);
}

bool FileExists(const char* name)
{
    FILE* file = fopen(name, "rb");
    if (!file)
        return false;
    fclose(file);
    return true;
}

bool OperatorAllowsOverwrite(HWND owner, const char* name)
{
    char text[kNameSlot + 96];
    snprintf(text, sizeof text, "%s is already existing.\nSelect OK to overwrite.\nSelect CANCEL to return.",
             name);
    return MessageBoxA(owner, text, "Warning", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

// An existing file is opened for writing without truncating it; a new name
// is tried by creating the file and removing it again.
bool NameCanBeWritten(const char* name, bool existed)
{
    if (existed)
        return TargetWritable(name);
    FILE* file = fopen(name, "wb");
    if (!file) {
        LogFileError("CheckOutputFile", "create", name, errno);
        return false;
    }
    fclose(file);
    remove(name);
    return true;
}

HWND MainDialog(DSData* ds)
{
    return static_cast<HWND>(ds->HostServices->mainDialog);
}

// The host's file name is only noted here: a scan never writes it. What
// a scan writes was asked about when its names were confirmed in the batch
// dialog, or is the transfer bitmap, which is the host's to overwrite.
void NoteHostFileName(OutputSettings* o)
{
    if (o->hostFileName[0] == '\0')
        CopyText(o->hostFileName, sizeof o->hostFileName, o->outputPath);
}

int PrepareDicom(HWND owner, DSData* ds)
{
    ScanSettings* s = ds->ScanSettings;
    s->patientInfoRequested = 1;
    s->patientDialogMode = 1;
    int32_t confirmed = OpenPatDataDlg(FilmCoreInstance(), owner, ds);
    s->patientInfoRequested = 0;
    s->patientDialogMode = 0;
    if (!confirmed)
        return 0;
    ds->OutputSettings->outputFormat = OUTPUT_DICOM;
    return 1;
}

}  // namespace

int CheckOutputFile(HWND owner, const char* fullName)
{
    if (!fullName || fullName[0] == '\0') {
        ErrorBox(owner, "Invalid file name");
        return 1;
    }
    bool existed = FileExists(fullName);
    if (existed && !OperatorAllowsOverwrite(owner, fullName))
        return 1;
    // Longer names would not leave room for the scan's part files.
    if (strlen(fullName) > OUTPUT_NAME_MAX) {
        ErrorBox(owner, "Image save path is too long.  Please shorten it and try again.");
        return 1;
    }
    if (!NameCanBeWritten(fullName, existed)) {
        char text[kNameSlot + 80];
        snprintf(text, sizeof text, "Output file %s can not be generated.  Make sure path is correct.",
                 fullName);
        ErrorBox(owner, text);
        return 1;
    }
    return 0;
}

int PrepareOutputFile(HWND owner, DSData* ds)
{
    ImageControl* c = ds->ImageControl;
    OutputSettings* o = ds->OutputSettings;
    c->saveToDiskActive = c->saveToDisk ? 1 : 0;
    if (c->saveToDiskActive && ds->ScanSettings->currentFilm == 1 &&
        !OpenOutFileDlg(FilmCoreInstance(), MainDialog(ds), ds))
        return 0;
    if (EqualNoCase(o->formatName, "TIFF")) {
        NoteHostFileName(o);
        o->outputFormat = OUTPUT_TIFF;
        return 1;
    }
    if (EqualNoCase(o->formatName, "DICOM")) {
        NoteHostFileName(o);
        return PrepareDicom(owner, ds);
    }
    if (EqualNoCase(o->formatName, "Bitmap")) {
        o->outputFormat = OUTPUT_BITMAP;
        return 1;
    }
    MessageBoxA(owner, "Bad file format is specified.", "Error", MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

int CheckFormatDepth(HWND owner, DSData* ds)
{
    if (ds->ScanSettings->bitDepth <= 8)
        return 0;
    uint32_t mode = ds->OutputSettings->transferMode;
    bool toDisk = ds->ImageControl->saveToDisk != 0;
    if (!toDisk && mode == 3)
        return -1;
    if (!toDisk && mode != 2)
        return 0;
    // The bitmap writer holds at most 8 bits a sample, however the name is
    // spelt: the format was chosen ignoring case, so is this.
    return EqualNoCase(ds->OutputSettings->formatName, "Bitmap") ? -1 : 0;
}
