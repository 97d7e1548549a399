// A toolkit table that answers from a per-test script and records the
// programming calls, for tests that need a digitizer with given answers.
#ifndef FILMCORE_TEST_SCRIPTED_KIT_H
#define FILMCORE_TEST_SCRIPTED_KIT_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scanner/toolkit.h"

struct KitScript {
    // Discovery
    TkStatus findAdaptorsStatus = 0;
    uint16_t adapters = 1;
    std::map<int, TkStatus> adapterIdStatus;   // adapter -> setSCSIAdaptorId status
    std::map<int, TkStatus> openStatus;        // target -> openToolKit status
    int digitizerAdapter = 0;
    int digitizerTarget = 0;
    std::string product = "NQT-12 FILM DIGITIZER";
    TkStatus findScannerStatus = 0;
    uint8_t modelCode = 8;
    // Readiness: answered in order, the last one repeated (ready when empty)
    std::vector<uint16_t> statuses;
    // Identity
    std::string serial = "123456";
    TkStatus scannerInfoStatus = 0;
    uint16_t ramSize = 64;
    std::string firmware = "2.10";
    uint8_t hardwareVersion = 7;
    uint8_t scsiId = 2;
    uint8_t scsiVersion = 3;
    // Diagnostic pages 2 and 14: status and the raw reply from byte 5
    TkStatus page2Status = 6;
    std::vector<uint8_t> page2Text;
    TkStatus page14Status = 6;
    std::vector<uint8_t> page14Text;
    uint16_t feederSupport = 13;
    uint16_t feederStatus = 16;
    std::map<uint16_t, std::vector<uint16_t>> capabilities;  // id -> words
    // Status page text from byte 5 (the line width)
    std::string lineWidthText = "2100";
    // doGetWindow: resolution, pixels per line, lines
    uint16_t windowResolution = 0;
    uint32_t windowPixels = 0;
    uint32_t windowLines = 0;

    // Recorded
    std::vector<std::string> calls;   // programming and open/close calls, in order
    int statusPolls = 0;
    int diagReportCalls = 0;
    int currentAdapter = -1;
};

// A fresh script with a 14-inch NQT-12 and its usual capabilities, installed.
KitScript& InstallScriptedKit(void);
KitScript& Script(void);
std::vector<uint8_t> TextBytes(const std::string& text);

// Calls whose text starts with `prefix`.
std::vector<std::string> CallsStartingWith(const std::string& prefix);

#endif
