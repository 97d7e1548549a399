#include "units.h"

#include <math.h>
#include <stdio.h>

int IsKnownUnit(uint32_t units)
{
    return units == UNITS_INCHES || units == UNITS_CENTIMETRES || units == UNITS_PIXELS;
}

int32_t TruncateToInt(double value)
{
    if (isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

uint32_t TruncateToU32(double value)
{
    if (isnan(value) || value <= 0.0)
        return 0;
    if (value >= 4294967295.0)
        return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

// Pixels typed at a resolution travel as inches through floats and a
// division, and come back a hair below the whole pixel; that hair is not
// a pixel less.
static const double kWholePixelSlack = 1e-3;

static double NearWholePixels(double pixels)
{
    return pixels >= 0.0 ? pixels + kWholePixelSlack : pixels - kWholePixelSlack;
}

uint32_t LengthToPixels(double inches, uint32_t resolution)
{
    return TruncateToU32(NearWholePixels(resolution * inches));
}

int SnapResolution(float value, uint32_t units)
{
    if (!IsKnownUnit(units))
        return 60;
    static const struct { float below; int dpi; } kBounds[] = {
        {65, 60}, {73, 71}, {80, 75}, {110, 100}, {149, 142}, {160, 150},
        {210, 200}, {295, 285}, {325, 300}, {410, 400}, {580, 570}, {825, 800},
    };
    for (const auto& bound : kBounds)
        if (value < bound.below)
            return bound.dpi;
    return 75;  // 825 and more, and NaN
}

double ToInches(float value, uint32_t units, uint32_t resolution)
{
    switch (units) {
    case UNITS_INCHES:
        return value;
    case UNITS_CENTIMETRES:
        return value * 0.39370078740157477;
    case UNITS_PIXELS:
        return resolution ? value / static_cast<double>(resolution) : 0.0;
    default:
        return 0.0;
    }
}

void FormatLength(double inches, uint32_t units, uint32_t resolution, char* text, size_t size)
{
    if (!text || size == 0)
        return;
    if (units == UNITS_PIXELS) {
        snprintf(text, size, "%ld", static_cast<long>(TruncateToInt(NearWholePixels(resolution * inches))));
        return;
    }
    int32_t hundredths = 0;
    if (units == UNITS_INCHES)
        hundredths = TruncateToInt(inches * 100);
    else if (units == UNITS_CENTIMETRES)
        hundredths = TruncateToInt(TruncateToInt(inches * 100) * 2.54);
    snprintf(text, size, "%3.1f", hundredths * 0.01);
}

static int32_t Clamp32(int64_t value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t ToPixels(int32_t hundredths, uint32_t units, uint32_t resolution)
{
    switch (units) {
    case UNITS_INCHES:
        return Clamp32(static_cast<int64_t>(hundredths) * resolution / 100);
    case UNITS_CENTIMETRES:
        return Clamp32(static_cast<int64_t>(hundredths) * resolution / 254);
    case UNITS_PIXELS:
        return hundredths / 100;
    default:
        return 0;
    }
}

int32_t FromPixels(int32_t pixels, uint32_t units, uint32_t resolution)
{
    switch (units) {
    case UNITS_INCHES:
        return resolution ? Clamp32(static_cast<int64_t>(pixels) * 100 / resolution) : 0;
    case UNITS_CENTIMETRES:
        return resolution ? Clamp32(static_cast<int64_t>(pixels) * 254 / resolution) : 0;
    case UNITS_PIXELS:
        return Clamp32(static_cast<int64_t>(pixels) * 100);
    default:
        return 0;
    }
}
