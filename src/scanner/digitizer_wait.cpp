#include "digitizer_wait.h"

#include <string.h>

#include "digitizer/toolkit.h"
#include "frame/clock.h"
#include "frame/status_line.h"

namespace {

const TkStatus kNotReady = -1;
const TkStatus kLostCommunication = -18;

enum SenseOutcome { SENSE_CLEAR, SENSE_TRACKING, SENSE_STUCK };

// Reads the sense data until the sense key clears; notes tracking mode
// (key 2, code 4, qualifier 1) on the way.
SenseOutcome DrainSense(void)
{
    bool tracking = false;
    for (int read = 0; read < DIGITIZER_SENSE_READS; ++read) {
        uint8_t sense[20];
        memset(sense, 0, sizeof sense);
        Toolkit()->doRequestSense(sense, sizeof sense, 0);
        const uint8_t key = sense[2] & 0x0F;
        if (key == 2 && sense[12] == 4 && sense[13] == 1)
            tracking = true;
        if (key == 0)
            return tracking ? SENSE_TRACKING : SENSE_CLEAR;
    }
    return SENSE_STUCK;
}

int ReportLost(HWND window)
{
    // The wait sleeps without pumping, so the text is painted at once.
    ShowStatusNow(window, "ERROR. Lost communication with digitizer.");
    return 0;
}

}  // namespace

int WaitForDigitizerReady(HWND window)
{
    bool toldTracking = false;
    for (int round = 0; round <= DIGITIZER_TRACKING_ROUNDS; ++round) {
        const TkStatus answer = Toolkit()->doTestUnitReady();
        if (answer == kLostCommunication)
            return ReportLost(window);
        if (answer != kNotReady)
            return 1;
        const SenseOutcome sense = DrainSense();
        if (sense == SENSE_STUCK)
            return ReportLost(window);
        if (sense == SENSE_CLEAR)
            return 1;
        if (!toldTracking) {
            ShowStatusNow(window, "Please wait. Digitizer is in tracking mode.");
            toldTracking = true;
        }
        if (round < DIGITIZER_TRACKING_ROUNDS)
            ClockSleep(1000);
    }
    // Tracking for minutes on end: the digitizer is not coming back.
    return ReportLost(window);
}
