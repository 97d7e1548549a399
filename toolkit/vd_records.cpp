// What the digitizer was asked and what it sent, written where the
// configuration says, so tests check requests and pixels on the device's side.
#include "vd_digitizer.h"

#include <string.h>

namespace {

// A truth file name holding "%d" keeps one file per film: the number of the
// film in the transport (0 none) takes the place of the "%d".
const char* PerFilmMark(const Digitizer* d) { return strstr(d->config.truthFile, "%d"); }

FILE* OpenFilmTruth(const Digitizer* d, const char* mark)
{
    const char* name = d->config.truthFile;
    char path[sizeof d->config.truthFile + 16];
    snprintf(path, sizeof path, "%.*s%d%s", (int)(mark - name), name, d->filmInside, mark + 2);
    return fopen(path, "wb");
}

}  // namespace

void VdRecordsOpen(Digitizer* d)
{
    // Both start afresh with the session; a truth file per film only with
    // the first scan of a film.
    if (d->config.callLog[0]) d->callLog = fopen(d->config.callLog, "wb");
    if (d->config.truthFile[0] && !PerFilmMark(d)) d->truth = fopen(d->config.truthFile, "wb");
}

void VdRecordsClose(Digitizer* d)
{
    if (d->callLog) fclose(d->callLog);
    if (d->truth) fclose(d->truth);
    d->callLog = d->truth = nullptr;
}

void VdLogCall(Digitizer* d, const char* line)
{
    if (!d->callLog) return;
    fprintf(d->callLog, "%s\n", line);
    fflush(d->callLog);   // read by the test while the DLL stays loaded
}

void VdTruthRestart(Digitizer* d)
{
    if (const char* mark = PerFilmMark(d)) {
        if (d->truth) fclose(d->truth);
        d->truth = OpenFilmTruth(d, mark);
        return;
    }
    if (!d->truth) return;
    d->truth = freopen(d->config.truthFile, "wb", d->truth);
}

void VdTruthAppend(Digitizer* d, const uint8_t* bytes, uint32_t count)
{
    if (!d->truth || count == 0) return;
    fwrite(bytes, 1, count, d->truth);
    fflush(d->truth);
}
