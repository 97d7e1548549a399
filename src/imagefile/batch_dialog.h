// The batch output dialog ("Batch Output Images Files"): the format, the
// save folder and the file names of the films of a batch. The exports
// OpenOutFileDlg and ForceOpenOutFileDlg (FilmCore.h) run it.
#ifndef FILMCORE_BATCH_DIALOG_H
#define FILMCORE_BATCH_DIALOG_H

#include "FilmCore.h"

// Set only while ForceOpenOutFileDlg runs the dialog: TIFF is then offered
// whatever the transfer mode.
extern int offerTiff;

#endif
