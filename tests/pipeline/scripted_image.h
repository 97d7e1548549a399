// A scripted digitizer image on top of the scripted toolkit: getImage
// delivers lines of a known pattern with the faults a test asks for, and
// records every request.
#ifndef FILMCORE_TEST_SCRIPTED_IMAGE_H
#define FILMCORE_TEST_SCRIPTED_IMAGE_H

#include <cstdint>
#include <functional>
#include <vector>

struct ImageScript {
    uint32_t lineBytes = 0;         // bytes a line (samples x bytes per sample)
    uint32_t bytesPerSample = 1;
    uint32_t lines = 0;             // status 10 comes with the last of them
    bool endless = false;           // goes on past `lines`, never answers 10
    uint16_t averageCount = 1;
    uint32_t maxChunk = 0;          // at most this many bytes a call (0: as asked)
    int64_t stallAt = -1;           // from this byte on, 0 bytes with status 0 for ever
    std::function<uint16_t(uint32_t line, uint32_t x)> sample;  // default: (line + x) & 0xFF
    std::function<void(int call)> onCall;  // before each getImage, call counted from 1

    // Recorded
    std::vector<uint32_t> requests;
    uint64_t delivered = 0;
    int stopScans = 0;
    int loadMediums = 0;
};

// Adds getImage, getAverageCount, stopScan and loadMedium to the scripted
// toolkit in force and starts a fresh script.
ImageScript& InstallScriptedImage(void);
ImageScript& Image(void);

// The bytes of line `line` as the script delivers them.
std::vector<uint8_t> ScriptLine(uint32_t line);

#endif
