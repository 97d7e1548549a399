// TW_FIX32 values and the scan frame in the application's units.
#ifndef FILMTWAIN_FIX32_H
#define FILMTWAIN_FIX32_H

#include "twain_types.h"

TW_FIX32 FloatToFix32(double value);
double Fix32ToFloat(TW_FIX32 value);
// The 32 bits a container carries for a TW_FIX32 item, and back.
uint32_t Fix32Bits(TW_FIX32 value);
TW_FIX32 Fix32FromBits(uint32_t bits);

// Inches per unit, for the units the source offers; 0 for the others.
// Pixels count at `dpi`.
double InchesPerUnit(uint16_t units, uint32_t dpi);

// The scan region in inches on the bed.
struct FrameInches {
    double left, top, right, bottom;
};

// The application's frame brought onto a bed of width x length inches.
// TWRC_SUCCESS, TWRC_CHECKSTATUS when it had to be clipped, TWRC_FAILURE
// (TWCC_BADVALUE) when nothing of it lies on the bed or it is empty.
uint16_t FrameOntoBed(const TW_FRAME& frame, uint16_t units, uint32_t dpi, double width, double length,
                      FrameInches* out);
TW_FRAME FrameInUnits(const FrameInches& frame, uint16_t units, uint32_t dpi);

#endif
