// Handing a scanned film to the application: memory strips, a native DIB or
// a file, the truth about the image, and the count of films still to come.
#ifndef FILMTWAIN_DS_TRANSFER_H
#define FILMTWAIN_DS_TRANSFER_H

#include "ds_session.h"

// Each returns a TWRC_ code; on TWRC_FAILURE *cc holds the condition.
TW_UINT16 ImageInfo(SourceSession* s, TW_IMAGEINFO* info, TW_UINT16* cc);
TW_UINT16 MemoryTransfer(SourceSession* s, TW_IMAGEMEMXFER* xfer, TW_UINT16* cc);
TW_UINT16 NativeTransfer(SourceSession* s, TW_HANDLE* dib, TW_UINT16* cc);
TW_UINT16 FileTransfer(SourceSession* s, TW_UINT16* cc);
TW_UINT16 SetupFileTransfer(SourceSession* s, TW_UINT16 msg, TW_SETUPFILEXFER* setup, TW_UINT16* cc);
TW_UINT16 PendingTransfers(SourceSession* s, TW_UINT16 msg, TW_PENDINGXFERS* pending, TW_UINT16* cc);

// The file transfer's defaults, taken when the source opens.
void DefaultFileTransfer(TW_SETUPFILEXFER* setup);

#endif
