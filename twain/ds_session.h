// What the data source keeps while an application has it open: FilmCore
// loaded from beside the source, the session records it hands FilmCore,
// the settings file, and the negotiated capabilities.
#ifndef FILMTWAIN_DS_SESSION_H
#define FILMTWAIN_DS_SESSION_H

#include <windows.h>

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
};

struct SourceSession {
    DSData ds;
    HostServices services;
    ScannerInfo scanner;
    ScanSettings settings;
    ScanArea area;
    ImageControl image;
    OutputSettings output;

    FilmCoreCalls core;
    HWND owner;            // invisible window that owns the scans and their status texts
    TW_IDENTITY app;
    CapTable caps;
    FrameInches frame;     // the scan region, in inches on the bed
    int state;
};

// The one source an application has open (a source serves one application).
SourceSession* OpenSession(HINSTANCE instance, const TW_IDENTITY* app, TW_UINT16* cc);
void CloseSession(SourceSession* s);

// Pushes a negotiated capability into FilmCore.
void PushCapability(SourceSession* s, uint16_t cap);
void PushFrame(SourceSession* s);

// The settings file beside the source ("FilmTwain.ini").
void SettingsFileBeside(HINSTANCE instance, char* path, size_t size);

#endif
