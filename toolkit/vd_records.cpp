// What the digitizer was asked and what it sent, written where the
// configuration says, so tests check requests and pixels on the device's side.
#include "vd_digitizer.h"

void VdRecordsOpen(Digitizer* d)
{
    // Both start afresh with the session.
    if (d->config.callLog[0]) d->callLog = fopen(d->config.callLog, "wb");
    if (d->config.truthFile[0]) d->truth = fopen(d->config.truthFile, "wb");
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
    if (!d->truth) return;
    d->truth = freopen(d->config.truthFile, "wb", d->truth);
}

void VdTruthAppend(Digitizer* d, const uint8_t* bytes, uint32_t count)
{
    if (!d->truth || count == 0) return;
    fwrite(bytes, 1, count, d->truth);
    fflush(d->truth);
}
