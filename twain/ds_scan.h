// Scanning films through FilmCore's main dialog: shown for the operator, or
// kept hidden while the source scans with the negotiated values itself.
#ifndef FILMTWAIN_DS_SCAN_H
#define FILMTWAIN_DS_SCAN_H

#include "ds_session.h"

// MSG_ENABLEDS: opens the main dialog; without the user interface the first
// film is scanned once the application's loop runs again. A condition code
// on failure, TWCC_SUCCESS otherwise.
TW_UINT16 EnableSource(SourceSession* s, const TW_USERINTERFACE& ui);
void DisableSource(SourceSession* s);

// Scans the next film of the job now (the dialog's Scan); false when no image
// came of it. An announced film tells the application MSG_XFERREADY.
bool ScanNextFilm(SourceSession* s, bool announce);
// Without the user interface, or with CAP_INDICATORS false, FilmCore's
// message boxes and dialogs are refused from BeginQuiet to EndQuiet.
void BeginQuiet(const SourceSession* s);
void EndQuiet();

// Films come from the feeder: the application enabled it, or the operator
// scans in multi-film mode in the shown dialog.
bool FeederInUse(const SourceSession* s);

// Ends the film being transferred, whether or not all its lines were taken.
void EndScannedImage(SourceSession* s);

// Tells the application MSG_XFERREADY or MSG_CLOSEDSREQ through the manager.
void PostNotice(SourceSession* s, TW_UINT16 msg);
// MSG_PROCESSEVENT: the dialog's own messages, and a notice not yet taken.
TW_UINT16 ProcessEvent(SourceSession* s, TW_EVENT* event);

// The procedure of the source's invisible owner window.
WNDPROC OwnerWindowProc();

// The manager's entry point, when it gave one (DAT_ENTRYPOINT).
void SetManagerEntry(const TW_ENTRYPOINT& entry);
const TW_ENTRYPOINT& ManagerEntry();

#endif
