#include "film_feed.h"

#include <stdlib.h>
#include <string.h>

#include "digitizer/toolkit.h"
#include "frame/clock.h"
#include "frame/log.h"
#include "frame/status_line.h"
#include "pipeline/scan_block.h"

namespace {

const uint16_t kFeederPresent = 16;
const uint16_t kFeederStages = 13;
const TkStatus kStageLate = 17;
const TkStatus kStageTimedOut = 18;
const uint32_t kLateFilmWaitMs = 8000;

bool PaperSensed(void)
{
    uint8_t sensor[4] = {0};
    return Toolkit()->getPaperStatus(sensor) == 0 && sensor[0] != 0;
}

// With the film already at the feeder's exit or in the transport there is
// nothing to stage.
bool FilmInPlace(uint8_t position)
{
    return position == 0x0D || position == 0x0F;
}

// 0 once a retry stages the film, -1 when the operator cancels.
int AskOperator(HWND window)
{
    for (;;) {
        const int answer = MessageBoxA(window,
                                       "Check film(s) in film feeder. Click Retry button when ready",
                                       "Failed to load a film", MB_RETRYCANCEL | MB_ICONEXCLAMATION);
        if (answer != IDRETRY) {
            SetScanStatus(window, "Ready");
            return -1;
        }
        if (Toolkit()->stageFilmInFD() == 0)
            return 0;
    }
}

int StageFilm(HWND window, const DSData* ds, FeedKind kind)
{
    Toolkit()->setFDStageMode(2);
    SetScanStatus(window, "Loading film...");
    const TkStatus staged = Toolkit()->stageFilmInFD();
    if (staged == 0)
        return 0;
    const bool scan = kind == FEED_FOR_SCAN;
    if (staged == kStageLate) {
        // Older digitizers (and every prescan) give a late film time to arrive.
        if (!scan || ds->ScannerInfo->hardwareVersion < 7) {
            ClockSleep(kLateFilmWaitMs);
            if (PaperSensed())
                return 0;
        }
    } else if (staged == kStageTimedOut && scan) {
        SetScanStatus(window, "Loading film time out.");
    }
    return AskOperator(window);
}

}  // namespace

uint8_t RequestFeederPosition(void)
{
    static const uint8_t kPositionRequest[5] = {0x8E, 0x00, 0x00, 0x01, 0x00};
    char reply[80];
    memset(reply, 0, sizeof reply);
    Toolkit()->Diagnostics(kPositionRequest, sizeof kPositionRequest,
                           reinterpret_cast<uint8_t*>(reply), sizeof reply);
    reply[7] = '\0';
    return static_cast<uint8_t>(strtoul(reply + 5, nullptr, 16) & 0xFF);
}

int FeedFilm(HWND window, DSData* ds, FeedKind kind)
{
    ScannerInfo* info = ds->ScannerInfo;
    if (kind == FEED_FOR_PRESCAN) {
        ds->ScanArea->prescanMode = 1;
        Toolkit()->stopScan();
        Toolkit()->loadMedium();
    }
    bool inPlace = false;
    if (PaperSensed()) {
        if (kind == FEED_FOR_SCAN)
            WriteLog("Get paper sensor");
        inPlace = FilmInPlace(RequestFeederPosition());
    }
    if (kind == FEED_FOR_PRESCAN) {
        info->feederStatus = Toolkit()->getFDStatus();
        if (info->feederStatus != kFeederPresent)
            SetScanStatus(window, "Cannot detect a film feeder.");
    }
    if (inPlace || info->feederStatus != kFeederPresent)
        return 0;
    if (info->feederSupport != kFeederStages) {
        Toolkit()->setFDStageMode(1);
        return 0;
    }
    return StageFilm(window, ds, kind);
}

extern "C" int32_t EjectFilm(void* window)
{
    (void)window;
    return Toolkit()->unloadMedium();
}
