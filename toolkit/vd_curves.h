// The digitizer's tone curves ("translation tables") and dark enhance, as
// one lookup table from density level to output sample.
#ifndef SCANKIT_VD_CURVES_H
#define SCANKIT_VD_CURVES_H

#include <stdint.h>

enum { VD_TABLE_COUNT = 8 };

// Fills lut[0..VD_LEVEL_MAX] with samples 0..maxValue for table 0..7:
// linear, logarithmic, optical density, square root, powers 0.7, 0.5, 0.3
// and 1.0 of the light the film lets through.
void VdBuildCurve(uint16_t* lut, int table, int darkEnhance, uint32_t maxValue);

#endif
