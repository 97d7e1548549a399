// The Patient Information dialog: what was scanned, and the patient and
// study data that go into a DICOM data set. OpenPatDataDlg (FilmCore.h)
// runs it. While data is asked for before a DICOM scan, a notice blinks.
#ifndef FILMCORE_PATIENT_DIALOG_H
#define FILMCORE_PATIENT_DIALOG_H

#include <stdint.h>

#include "FilmCore.h"

// The blinking notice: running, and the index of its current colour (0 to 7).
extern int noticeTimerRunning;
extern int noticeColourIndex;

#endif
