// Power-on state of the virtual digitizer.
#include <chrono>
#include <math.h>
#include <string.h>
#include <thread>

#include "vd_digitizer.h"
#include "vd_exports.h"

namespace {

Digitizer g_digitizer;

}  // namespace

void VdPowerOn(const char* configPath)
{
    VdPowerOff();
    Digitizer* d = &g_digitizer;
    memset(d, 0, sizeof *d);
    VdDefaultConfig(&d->config);
    if (configPath && configPath[0]) VdLoadConfigFile(&d->config, configPath);
    const VdConfig* c = &d->config;

    VdProgram* p = &d->pending;
    p->resolution = c->resolutionCount ? c->resolutions[0] : 75;
    p->scanMode = 1;
    p->bits = 8;
    p->outputMode = 4;
    p->bitOrder = 1;
    p->averageCount = 1;
    p->lineTime = c->exposureDefault;
    d->applied = *p;
    d->stageMode = 1;
    // With a feeder the films wait in its stack; without one, a film put in
    // by hand waits in the transport.
    int films = c->noFilm ? 0 : c->films;
    if (c->feederPresent) {
        d->stackLeft = films;
    } else {
        d->filmInside = films > 0 ? 1 : 0;
    }
    d->nextFilm = d->filmInside + 1;
    VdRecordsOpen(d);
    d->poweredOn = 1;
}

void VdPowerOff(void)
{
    if (g_digitizer.poweredOn) VdScanStop(&g_digitizer);
    VdRecordsClose(&g_digitizer);
    g_digitizer.poweredOn = 0;
}

Digitizer* VdState(void)
{
    if (!g_digitizer.poweredOn) VdPowerOn(VdConfigPath());
    return &g_digitizer;
}

extern "C" void scankitPowerCycle(void)
{
    VdPowerOn(VdConfigPath());
}

uint32_t VdLineWidth(const Digitizer* d)
{
    double resolution = d->applied.resolution;
    if (d->applied.scanMode == 1 && d->filmInside) {
        double width = d->config.filmWidth;
        if (d->config.filmFile[0]) {
            // An image film is as wide as its pixels at its own resolution.
            VdFilm film;
            if (VdFilmOpen(&film, &d->config, d->filmInside)) {
                width = film.width;
                VdFilmClose(&film);
            }
        }
        return (uint32_t)(width * resolution);
    }
    return (uint32_t)(d->config.bedWidth * resolution);
}

uint64_t VdMicros(void)
{
    using namespace std::chrono;
    return (uint64_t)duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void VdSleepMicros(uint64_t micros)
{
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
}
