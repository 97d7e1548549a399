// What the data source keeps while an application has it open: FilmCore
// loaded from beside the source, the session records it hands FilmCore,
// the settings file, and the negotiated capabilities.
#ifndef FILMTWAIN_DS_SESSION_H
#define FILMTWAIN_DS_SESSION_H

#include <windows.h>

#include <vector>

#include "FilmCore.h"
#include "cap_table.h"
#include "fix32.h"
#include "twain_types.h"

// The FilmCore exports the source uses, bound by name.
struct FilmCoreCalls {
    HMODULE module;
    decltype(&InitDSData) initDSData;
    decltype(&DeInitDSData) deInitDSData;
    decltype(&RegDSSyncFunctions) regDSSyncFunctions;
    decltype(&SyncScannerParams) syncScannerParams;
    decltype(&InitializeScanner) initializeScanner;
    decltype(&OpenFilmCoreDlg) openFilmCoreDlg;
    decltype(&MemScanReadBlock) memScanReadBlock;
    decltype(&MemScanFinish) memScanFinish;
    decltype(&MemStopScan) memStopScan;
    decltype(&EjectFilm) ejectFilm;
    decltype(&DcmSetElemValue) dcmSetElemValue;
    decltype(&DcmGetElemValue) dcmGetElemValue;
    decltype(&DcmGenInstUIDs) dcmGenInstUIDs;
};

// The film FilmCore has scanned and the application is taking: the lines
// of a memory transfer not yet handed on, or the whole image once pulled.
struct ScannedImage {
    bool ready;              // imageReady came and the transfer has not ended
    bool started;            // blocks have been read from FilmCore
    bool complete;           // FilmCore has no more lines
    bool finishPending;      // read to its end ahead of the application, not yet finished
    uint32_t width, lineBytes, depth, dpi;
    uint32_t linesHanded;    // lines already given to the application
    std::vector<uint8_t> lines;   // read but not yet handed on
};

struct SourceSession : SessionRecords {
    FilmCoreCalls core;
    HWND owner;            // invisible window that owns the scans and their status texts
    TW_IDENTITY app;
    CapTable caps;
    int state;

    TW_IDENTITY self;      // this source as the manager named it
    HWND dialog;           // FilmCore's main dialog while enabled
    bool showUI;
    int filmsLeft;         // pending transfers of this job; -1 as many as come
    uint16_t notice;       // MSG_XFERREADY or MSG_CLOSEDSREQ not yet delivered
    bool announce;         // the next film scanned is announced with MSG_XFERREADY
    TW_UINT16 condition;   // why the last operation failed, for DAT_STATUS
    TW_SETUPFILEXFER file;
    ScannedImage scanned;
};

// The one source an application has open (a source serves one application).
SourceSession* OpenSession(HINSTANCE instance, const TW_IDENTITY* app, TW_UINT16* cc);
void CloseSession(SourceSession* s);
// The open session whose records these are, else null.
SourceSession* SessionOfRecord(DSData* ds);

// What FilmCore's callbacks tell the source, set by OpenSession.
void OnFilmScanned(DSData* ds);
void OnCloseRequested(DSData* ds);

// Pushes a negotiated capability into FilmCore.
void PushCapability(SourceSession* s, uint16_t cap);
void PushFrame(SourceSession* s);

#endif
