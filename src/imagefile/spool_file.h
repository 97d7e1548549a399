// Temporary spool files for writers that must hold an image's rows until
// its length is known. Each file gets a name of its own in the system's
// temporary folder (TMPDIR or /tmp; on Windows TMP, TEMP or USERPROFILE),
// created exclusively so two processes never share one, and it disappears
// when the stream is closed, or when the process dies.
#ifndef FILMCORE_SPOOL_FILE_H
#define FILMCORE_SPOOL_FILE_H

#include <stddef.h>
#include <stdio.h>

// Opens a fresh spool file for reading and writing; its name goes to path
// (for messages). Null when none could be created.
FILE* OpenSpoolFile(char* path, size_t pathSize);

// The folder spool files go to (for messages and tests).
const char* SpoolFolder(void);

#endif
