// What the virtual digitizer is and how it behaves: identity, capabilities,
// scripted answers, the film and the faults, read from an INI file.
#ifndef SCANKIT_VD_CONFIG_H
#define SCANKIT_VD_CONFIG_H

#include <stdint.h>

enum { VD_MAX_SEQUENCE = 32, VD_MAX_LIST = 16, VD_TEXT = 64 };

// A scripted answer: a status code and, for the diagnostic scripts, its text.
typedef struct VdStep {
    int16_t code;
    char text[VD_TEXT];
} VdStep;

// doTestUnitReady answers.
// STUCK: not ready, and the sense data never clears however often it is read.
enum VdUnitAnswer { VD_UNIT_READY, VD_UNIT_TRACKING, VD_UNIT_BUSY, VD_UNIT_LOST, VD_UNIT_STUCK };

typedef struct VdConfig {
    // Identity and discovery
    char product[17];          // inquiry bytes 16..31
    uint8_t modelCode;
    char serialNumber[7];
    char firmware[5];
    uint8_t hardwareVersion;
    uint16_t ramSize;
    uint8_t scsiId;
    uint8_t scsiVersion;
    char modelVariant[16];     // diagnostic page 2
    char optionString[16];     // diagnostic page 0x0E
    uint16_t adapters;
    uint16_t adapter;          // where the digitizer sits
    uint16_t target;
    int16_t openResult;        // openToolKit's answer (-7, -6, ...)

    // Capabilities
    uint16_t resolutions[VD_MAX_LIST];
    uint16_t resolutionCount;
    uint16_t depths[VD_MAX_LIST];
    uint16_t depthCount;
    uint16_t exposureKind;     // 2 range, 3 single value
    uint16_t exposureMin, exposureMax, exposureDefault;
    uint16_t lineAveraging;    // largest averaging count, 0 = none
    uint16_t bedWidth;         // inches
    uint16_t feederCapacity;
    uint16_t prescan;

    // Scripted answers; the last entry of a sequence repeats.
    uint16_t status[VD_MAX_SEQUENCE];
    uint16_t statusCount;
    uint8_t unitReady[VD_MAX_SEQUENCE];   // VdUnitAnswer
    uint16_t unitReadyCount;
    int16_t stage[VD_MAX_SEQUENCE];       // stageFilmInFD answers; none = by the stack
    uint16_t stageCount;
    VdStep calibrate[VD_MAX_SEQUENCE];
    uint16_t calibrateCount;
    VdStep fullTest[VD_MAX_SEQUENCE];
    uint16_t fullTestCount;

    // Feeder and film
    uint16_t feederPresent;
    uint16_t feederSupport;    // IsFDSupported
    uint16_t films;            // films in the feeder's stack, or 1 loaded by hand
    char filmFile[260];        // "" = the synthetic radiograph
    uint16_t fileDpi;          // pixels per inch of the film file
    float filmWidth, filmLength;  // inches, synthetic film
    uint16_t noFilm;           // the digitizer is empty

    // Faults
    uint32_t shortRead;        // at most this many bytes per getImage, 0 = no limit
    uint16_t splitReads;       // reads end half a line early
    int16_t badStatus;         // returned at badStatusLine
    int32_t badStatusLine;     // -1 = never
    int32_t stallLine;         // no data from the middle of this line; -1 = never
    uint32_t stallMs;
    uint16_t stallInstant;     // the stall answers at once and never ends
    uint32_t overDeliver;      // lines delivered past the programmed length and the film's end
    char failCalls[256];       // comma-separated toolkit names that fail

    // Records for tests
    char callLog[260];         // one line per toolkit call; "" = none
    char truthFile[260];       // every byte getImage delivered; "" = none

    uint32_t lineMicros;       // pacing per line; 0 = as fast as possible
    uint32_t bandLines;        // 0, or lines rendered once per scan and then repeated (delivery at copying speed)
} VdConfig;

void VdDefaultConfig(VdConfig* config);
// Applies "key = value" lines of INI text on top of `config`. Section headers
// are accepted and only group the keys. Returns the number of unknown keys.
int VdParseConfig(VdConfig* config, const char* text);
// Reads the file and applies it; 0 when it cannot be read.
int VdLoadConfigFile(VdConfig* config, const char* path);
// 1 when `name` is listed in failCalls.
int VdCallFails(const VdConfig* config, const char* name);

#endif
