// Film grain and sensor noise. The grain belongs to the film: it is a
// function of the film pixel (row and column at the scan's resolution) and
// of the film's number, never of where a scan window lies, so a region scan
// sees the same grain as the whole film at those pixels.
#ifndef SCANKIT_VD_GRAIN_H
#define SCANKIT_VD_GRAIN_H

#include <stdint.h>

enum { VD_GRAIN_PERIOD = 4096 };

// Fills noise[0 .. 2 * VD_GRAIN_PERIOD) (the second half repeats the first);
// averaging n passes divides the amplitude by sqrt(n).
void VdBuildGrain(int16_t* noise, uint16_t averageCount);

// Adds the grain of film row `filmRow`, columns `filmColumn` on, to `count`
// levels and clamps them to the level range (mirrored at clear film).
void VdApplyGrain(const int16_t* noise, int16_t* levels, uint32_t count, uint32_t filmRow,
                  int64_t filmColumn, int filmNumber);

#endif
