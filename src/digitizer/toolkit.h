// The scanner toolkit: every function the library calls, bound at start-up
// into one table of function pointers. The library never imports the
// toolkit at load time; a function the DLL lacks answers with a failure.
// The table is portable (no <windows.h>), so the virtual digitizer and the
// tests share it.
#ifndef FILMCORE_TOOLKIT_H
#define FILMCORE_TOOLKIT_H

#include <stdint.h>

#include "FilmCore.h"

#ifdef __cplusplus
extern "C" {
#endif

// Toolkit status: 0 = success unless a function says otherwise.
typedef int16_t TkStatus;

#define TK_FAILED ((TkStatus)-1)

// scannerStatus codes (sense key and qualifier as one value).
#define TK_READY 0x0000
#define TK_WARMING_UP 0x0401
#define TK_NOT_READY 0x0402
#define TK_NO_MEDIUM 0x3A00
#define TK_NO_COMMUNICATION 0x0800

typedef struct ScanKit {
    // Discovery and identity
    TkStatus (*findSCSIAdaptors)(uint16_t* count);
    TkStatus (*setSCSIAdaptorId)(uint16_t index);
    TkStatus (*openToolKit)(uint16_t target, uint32_t* value);  // -7 no adapter, -6 no SRB buffer
    TkStatus (*closeToolKit)(void);
    TkStatus (*doInquiry)(uint8_t* buffer, uint16_t length);     // product id from byte 16
    TkStatus (*findScanner)(ScannerInfo* info);                  // 0 found; sets modelCode
    uint16_t (*scannerStatus)(void);                             // TK_READY, TK_WARMING_UP, ...
    TkStatus (*getSerialNo)(char* text);
    TkStatus (*getScannerInfo)(uint16_t* ramSize, char* firmware, uint8_t* hardwareVersion);
    TkStatus (*getScsiInfo)(uint8_t* id, uint8_t* version);
    // 6 = response delivered, its text from byte 5
    TkStatus (*Diagnostics)(const uint8_t* command, uint16_t commandLength, uint8_t* response,
                            uint16_t responseLength);
    TkStatus (*stopDiagnostic)(void);
    uint16_t (*IsFDSupported)(void);   // 13 = a feeder is fitted
    uint16_t (*getFDStatus)(void);     // 16 = feeder present and usable
    // Buffer of 16-bit words: 0 kind (2 range, 3 single), 1 count or value, 4.. the list.
    TkStatus (*getCapability)(uint16_t id, uint16_t* buffer, uint16_t length);

    // Programming
    TkStatus (*setAverageCount)(uint16_t count);
    TkStatus (*setResolution)(uint16_t dpi);
    TkStatus (*initScanner)(void);
    TkStatus (*setBitOrder)(uint16_t order);
    TkStatus (*setOutputMode)(uint16_t mode);   // 4 for 1 and 8 bits, 6 otherwise
    TkStatus (*setScanMode)(uint16_t mode);     // 0 window, 1 whole width
    TkStatus (*setPixelSize)(uint32_t pixelsPerLine, uint32_t lines);
    TkStatus (*setBitsPerPixel)(uint8_t bits);
    TkStatus (*setOffset)(uint32_t x, uint32_t y);
    TkStatus (*setDarkEnhance)(uint16_t on);
    TkStatus (*setLineTime)(uint16_t exposure);
    TkStatus (*setTranslationTable)(int16_t number);
    TkStatus (*diagReportStatus)(uint16_t page, uint8_t* buffer, uint16_t length);
    // Big-endian: bytes 12-13 resolution, 22-25 pixels per line, 26-29 lines.
    TkStatus (*doGetWindow)(uint8_t* buffer, uint16_t length);

    // Scanning and film handling
    TkStatus (*getAverageCount)(uint16_t* count);
    TkStatus (*getImage)(uint8_t* buffer, uint32_t bytesWanted, int32_t* bytesGot);  // 10 after the last line
    TkStatus (*stopScan)(void);
    TkStatus (*loadMedium)(void);
    TkStatus (*unloadMedium)(void);
    TkStatus (*getPaperStatus)(uint8_t* buffer);  // byte 0 non-zero = film sensed
    TkStatus (*setFDStageMode)(uint16_t mode);
    TkStatus (*stageFilmInFD)(void);
    TkStatus (*doTestUnitReady)(void);            // -1 = not ready
    TkStatus (*doRequestSense)(uint8_t* buffer, uint16_t length, uint16_t flag);
    TkStatus (*resetScanner)(uint16_t mode, uint16_t flag);
    TkStatus (*diagFullTest)(uint8_t* buffer, uint16_t length);
    TkStatus (*diagCalibrate)(uint16_t mode, uint8_t* buffer, uint16_t length);  // 6 = done
} ScanKit;

// The table in force: the DLL's functions once bound, stand-ins that fail
// otherwise. Never null.
const ScanKit* Toolkit(void);

// The table whose every function fails (status TK_FAILED, zero counts,
// scannerStatus TK_NO_COMMUNICATION, no feeder).
const ScanKit* ToolkitStandIns(void);

// Puts a copy of `kit` in force (tests: a scripted table or the virtual
// digitizer's own). Slots left null get the stand-ins; a null `kit` puts the
// stand-ins back. The DLL, when one is bound, stays loaded.
void ToolkitInstall(const ScanKit* kit);

// Win32 only. Loads "%s\twain_32\nqt\scankit32.dll" under the Windows
// folder and binds every function by name; a function the DLL lacks gets its
// stand-in. A DLL bound before is released first, so binding again loads it
// afresh. Returns 1 when the DLL was loaded, 0 when not (stand-ins in force).
int ToolkitBind(void);
// The same from an explicit path (tests).
int ToolkitBindFile(const char* path);
// Releases the bound DLL and puts the stand-ins in force.
void ToolkitUnbind(void);
// Path of the bound DLL, "" when none (start-up reads its file version).
const char* ToolkitPath(void);
// The bound DLL's module handle (HMODULE), null when none.
void* ToolkitModule(void);

#ifdef __cplusplus
}
#endif

#endif
