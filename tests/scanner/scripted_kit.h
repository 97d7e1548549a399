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
    uint16_t adapters = 1;
    std::map<int, TkStatus> openStatus;        // target -> openToolKit status
    int digitizerAdapter = 0;
    std::string product = "NQT-12 FILM DIGITIZER";
    uint8_t modelCode = 8;
    // Readiness: answered in order, the last one repeated (ready when empty)
    std::vector<uint16_t> statuses;
    // Identity
    TkStatus scannerInfoStatus = 0;
    uint16_t ramSize = 64;
    uint8_t hardwareVersion = 7;
    std::map<uint16_t, std::vector<uint16_t>> capabilities;  // id -> words
    // Status page text from byte 5 (the line width)
    std::string lineWidthText = "2100";

    // Recorded
    std::vector<std::string> calls;   // programming and open/close calls, in order
    int statusPolls = 0;
    int currentAdapter = -1;
};

// A fresh script with a 14-inch NQT-12 and its usual capabilities, installed.
KitScript& InstallScriptedKit(void);
KitScript& Script(void);

// Calls whose text starts with `prefix`.
std::vector<std::string> CallsStartingWith(const std::string& prefix);

#endif
