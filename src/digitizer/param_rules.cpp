#include "param_rules.h"

#include "digitizer/units.h"

uint32_t NormaliseResolution(uint32_t dpi)
{
    static const uint32_t kKnown[] = {60, 71, 75, 100, 142, 150, 200, 285, 300, 400, 570, 800};
    for (uint32_t known : kKnown)
        if (dpi == known)
            return dpi;
    return static_cast<uint32_t>(SnapResolution(static_cast<float>(dpi), UNITS_INCHES));
}

uint32_t NormaliseDepth(uint32_t bits)
{
    if (bits == 1 || bits == 8 || bits == 12 || bits == 16)
        return bits;
    if (bits < 4)
        return 1;
    if (bits < 11)
        return 8;
    if (bits < 15)
        return 12;
    return 16;
}

float LimitLength(float inches, float limit)
{
    if (!(inches > 0.0f))  // NaN too
        return 0.0f;
    return inches > limit ? limit : inches;
}

uint16_t LimitExposure(uint32_t value, uint16_t minimum, uint16_t maximum)
{
    if (value < minimum)
        value = minimum;
    else if (value > maximum)
        value = maximum;
    return static_cast<uint16_t>(value > 0xFFFF ? 0xFFFF : value);
}
