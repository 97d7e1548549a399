// Units of the size fields and the resolution rules: portable arithmetic
// shared by scan programming, parameter sync and the scan size dialog.
#ifndef FILMCORE_UNITS_H
#define FILMCORE_UNITS_H

#include <stddef.h>
#include <stdint.h>

enum { UNITS_INCHES = 1, UNITS_CENTIMETRES = 2, UNITS_PIXELS = 3 };

int IsKnownUnit(uint32_t units);

// Truncation toward zero that is defined for every input: NaN gives 0 and
// values outside the target type stop at its bounds (negative at 0 for u32).
int32_t TruncateToInt(double value);
uint32_t TruncateToU32(double value);

// A length in inches as whole pixels at `resolution`, truncated. Lengths
// typed in pixels come back as the same pixels.
uint32_t LengthToPixels(double inches, uint32_t resolution);

// The supported resolution nearest below the value's bound; 60 for an
// unknown unit.
int SnapResolution(float value, uint32_t units);

// A length in the given unit as inches (0 for an unknown unit, or for
// pixels at resolution 0).
double ToInches(float value, uint32_t units, uint32_t resolution);

// A length in inches as shown in a size field of the given unit.
void FormatLength(double inches, uint32_t units, uint32_t resolution, char* text, size_t size);

// Hundredths of a unit to pixels and back (integer arithmetic, truncated).
int32_t ToPixels(int32_t hundredths, uint32_t units, uint32_t resolution);
int32_t FromPixels(int32_t pixels, uint32_t units, uint32_t resolution);

#endif
