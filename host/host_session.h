// The host's session: the records it owns for the library, the callbacks
// it hands over (settings, imageReady, closeRequest), and the list of the
// images this session produced, kept as a host keeps it.
#ifndef FILMHOST_SESSION_H
#define FILMHOST_SESSION_H

#include <windows.h>

#include <string>

#include "FilmCore.h"

// Posted to the host window: pull the memory transfer the library has
// readied; end the session.
const UINT WM_HOST_TRANSFER = WM_APP + 1;
const UINT WM_HOST_CLOSE = WM_APP + 2;

struct HostOptions {
    std::string outDir;          // where transfers are written; "" = the working folder
    std::string listFile;        // the binary session list; "" = "imglst.bin"
    std::string namesFile;       // the text session list; "" = the library's default
    uint32_t blockBytes = 65536; // the buffer handed to each MemScanReadBlock
    bool rawTransfer = false;
    std::string formatName = "Bitmap";  // pushed as PARAM_FORMAT_NAME, as a host that negotiated it
    int transferMode = 0;        // pushed as PARAM_TRANSFER_MODE when not 0
};

struct HostSession : SessionRecords {
    HostOptions options;
    HWND hostWindow;
    HWND dialog;
    SessionImage* firstImage;
    SessionImage* lastImage;
    int transfers;               // memory transfers and handed-over files so far
    int images;                  // files added to the session list so far
    int filmsFinished;           // scan-finished commands since the last Scan press
    int exitCode;
};

HostSession* TheHostSession(void);
// Allocates and initialises the records, fills the callback table, registers
// the sync table and creates the (hidden) host window, the dialog's owner.
bool OpenHostSession(HostSession* s, const HostOptions& options);
// Destroys the dialog if it still exists, ends the library's session and
// frees the image list; the result of DeInitDSData.
uint16_t CloseHostSession(HostSession* s);
// Adds a finished image to the session list.
void AddSessionImage(HostSession* s, const char* fileName);
// outDir joined with a file name.
std::string HostOutputPath(const HostSession* s, const std::string& name);

#endif
