#include "vd_grain.h"

#include <math.h>

#include "vd_film.h"

namespace {

const int kNoiseAmplitude = 8;   // density levels, one pass

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

}  // namespace

void VdBuildGrain(int16_t* noise, uint16_t averageCount)
{
    double scale = kNoiseAmplitude / sqrt(averageCount ? averageCount : 1);
    for (int i = 0; i < VD_GRAIN_PERIOD; ++i) {
        // Triangular: the sum of two uniform values.
        double a = (Hash(2 * i + 1) & 0xFFFF) / 65535.0, b = (Hash(2 * i + 2) & 0xFFFF) / 65535.0;
        noise[i] = (int16_t)lround((a + b - 1.0) * scale);
        noise[i + VD_GRAIN_PERIOD] = noise[i];
    }
}

// The table is read in runs of up to one period from a row's own starting
// point, so the inner loop needs no wrap-around and vectorises.
void VdApplyGrain(const int16_t* noise, int16_t* levels, uint32_t count, uint32_t filmRow,
                  int64_t filmColumn, int filmNumber)
{
    const uint32_t mask = VD_GRAIN_PERIOD - 1;
    uint32_t start = Hash(filmRow + 0x9E37u * (uint32_t)filmNumber) + (uint32_t)filmColumn;
    for (uint32_t base = 0; base < count; base += VD_GRAIN_PERIOD) {
        uint32_t run = count - base < VD_GRAIN_PERIOD ? count - base : VD_GRAIN_PERIOD;
        const int16_t* grain = noise + ((start + base) & mask);
        int16_t* runLevels = levels + base;
        for (uint32_t i = 0; i < run; ++i) {
            int32_t level = runLevels[i] + grain[i];
            level = level < 0 ? -level : level;   // mirrored at clear film, so it stays bright
            runLevels[i] = (int16_t)(level > VD_LEVEL_MAX ? VD_LEVEL_MAX : level);
        }
    }
}
