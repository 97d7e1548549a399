// How the host takes a finished image: a memory transfer is pulled block by
// block into a file of its own; the file of a file scan is recorded.
#ifndef FILMHOST_TRANSFER_H
#define FILMHOST_TRANSFER_H

#include "FilmCore.h"

struct HostSession;

// The imageReady callback.
void OnImageReady(DSData* ds);
// Pulls the readied memory transfer to the end, in blocks of the host's
// chosen size, and ends it with MemScanFinish (MemStopScan on failure).
void PullMemoryTransfer(HostSession* s);
// Records the file a scan to disk has just finished, when it exists.
void RecordSavedImage(HostSession* s);

#endif
