// The virtual digitizer's state: one per process, like the device behind a
// real toolkit. The toolkit functions (vd_calls.cpp, vd_scan.cpp) work on it.
#ifndef SCANKIT_VD_DIGITIZER_H
#define SCANKIT_VD_DIGITIZER_H

#include <stdint.h>
#include <stdio.h>

#include "digitizer/toolkit.h"
#include "vd_config.h"
#include "vd_film.h"

// What the programming calls set; initScanner applies it, and a scan runs
// with what was programmed last.
typedef struct VdProgram {
    uint16_t resolution;
    uint16_t scanMode;         // 0 window, 1 whole width
    uint32_t pixels, lines;    // 0 = the whole line, the whole film
    uint32_t offsetX, offsetY;
    uint8_t bits;
    uint16_t outputMode;       // 4 one byte a sample, 6 two bytes
    uint16_t bitOrder;         // 1 low byte first
    uint16_t averageCount;
    uint16_t darkEnhance;
    uint16_t lineTime;
    int16_t table;
} VdProgram;

typedef struct VdScan {
    int active;
    int ended;                 // the last line went out
    VdProgram program;
    VdFilm film;
    int filmPresent;
    double firstPixel;         // film x of pixel 0, in pixels
    uint32_t bytesPerSample;
    uint32_t lineBytes;
    uint32_t lineCount;        // lines this scan delivers
    uint32_t line;             // lines rendered so far
    uint32_t lineSent;         // bytes of the rendered line already delivered
    uint8_t* lineBuffer;
    uint8_t* band;             // the first bandLines lines, when the configuration repeats them
    int16_t* levels;
    uint16_t curve[VD_LEVEL_MAX + 1];
    int16_t noise[2 * 4096];  // grain (VdBuildGrain), its second half repeating the first
    uint64_t stallStart;       // microseconds, 0 = not stalling
    int stallDone;
} VdScan;

typedef struct Digitizer {
    int poweredOn;
    VdConfig config;
    uint16_t adapter;
    int open;
    uint16_t target;
    uint16_t statusIndex, unitIndex, stageIndex, calibrateIndex, fullTestIndex;
    uint8_t senseKey, senseCode, senseQualifier;
    int senseStuck;            // the sense data survives being read
    VdProgram pending, applied;
    uint16_t stageMode;
    int filmInside;            // number of the film in the transport, 0 none
    int stackLeft;             // films still in the feeder
    int nextFilm;
    int armed;                 // initScanner since the last scan ended: getImage may start one
    VdScan scan;
    FILE* callLog;             // the records tests read (null when not configured)
    FILE* truth;
} Digitizer;

// The digitizer, powered on with the configuration on first use.
Digitizer* VdState(void);
// Power cycle: forgets everything and reads the configuration afresh
// (`configPath` null or "" = built-in defaults).
void VdPowerOn(const char* configPath);
void VdPowerOff(void);
// Where the configuration lives: SCANKIT_CONFIG, else scankit32.ini beside
// the DLL; "" when neither. Per platform.
const char* VdConfigPath(void);

// Whole-line width at the applied resolution: the film strip in whole-width
// mode, the bed otherwise.
uint32_t VdLineWidth(const Digitizer* d);
void VdScanStop(Digitizer* d);
uint64_t VdMicros(void);

// The records tests read: the call log (one line per toolkit call) and the
// truth file (every byte getImage delivered, restarted as each scan starts).
void VdRecordsOpen(Digitizer* d);
void VdRecordsClose(Digitizer* d);
void VdLogCall(Digitizer* d, const char* line);
void VdTruthRestart(Digitizer* d);
void VdTruthAppend(Digitizer* d, const uint8_t* bytes, uint32_t count);
void VdSleepMicros(uint64_t micros);

// The toolkit table over this digitizer (native tests install it in place
// of the DLL).
const ScanKit* VdKit(void);

#endif
