// Puts the virtual digitizer behind the library's toolkit table with a
// configuration of the test's own.
#ifndef TESTS_DIGITIZER_FIXTURE_H
#define TESTS_DIGITIZER_FIXTURE_H

#include <stdint.h>

#include <string>
#include <vector>

#include "scanner/toolkit.h"

// Writes `ini` to a temporary file, points SCANKIT_CONFIG at it, binds the
// digitizer (the DLL beside the test under Windows, the core's table
// natively) and leaves the toolkit open on the target that answers the
// inquiry, as discovery does. False when binding failed.
bool UseDigitizer(const std::string& ini);
void ReleaseDigitizer();

struct Window {
    uint16_t resolution = 100;
    uint16_t scanMode = 0;
    uint32_t pixels = 0, lines = 0;
    uint32_t offsetX = 0, offsetY = 0;
    uint8_t bits = 8;
};

// Programs the window as the library does (output mode 4 for 1 and 8 bits,
// 6 otherwise) and applies it.
void Program(const Window& window);

struct ScanResult {
    std::vector<uint8_t> bytes;
    std::vector<int32_t> reads;  // bytes of every call
    TkStatus lastStatus = 0;
};

// Reads with getImage in requests of `request` bytes until a non-zero status
// (or `maxCalls`), then stops the scan.
ScanResult ReadImage(uint32_t request, int maxCalls = 1000000);

// Sample x of line y of an image of `pixels` samples per line.
uint32_t Sample(const std::vector<uint8_t>& bytes, uint32_t pixels, uint32_t bytesPerSample, uint32_t x,
                uint32_t y);

#endif
