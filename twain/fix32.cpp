#include "fix32.h"

#include <math.h>

TW_FIX32 FloatToFix32(double value)
{
    // Round to the nearest 1/65536, symmetric about zero.
    double scaled = value * 65536.0;
    if (scaled > 2147483647.0)
        scaled = 2147483647.0;
    if (scaled < -2147483648.0)
        scaled = -2147483648.0;
    const int32_t bits = (int32_t)(scaled < 0 ? ceil(scaled - 0.5) : floor(scaled + 0.5));
    TW_FIX32 fix;
    fix.Whole = (TW_INT16)(bits >> 16);
    fix.Frac = (TW_UINT16)(bits & 0xffff);
    return fix;
}

double Fix32ToFloat(TW_FIX32 value)
{
    return value.Whole + value.Frac / 65536.0;
}

uint32_t Fix32Bits(TW_FIX32 value)
{
    return (uint32_t)(uint16_t)value.Whole | (uint32_t)value.Frac << 16;
}

TW_FIX32 Fix32FromBits(uint32_t bits)
{
    TW_FIX32 fix;
    fix.Whole = (TW_INT16)(uint16_t)(bits & 0xffff);
    fix.Frac = (TW_UINT16)(bits >> 16);
    return fix;
}

double InchesPerUnit(uint16_t units, uint32_t dpi)
{
    switch (units) {
    case TWUN_INCHES:
        return 1.0;
    case TWUN_CENTIMETERS:
        return 1.0 / 2.54;
    case TWUN_PIXELS:
        return dpi ? 1.0 / dpi : 0.0;
    default:
        return 0.0;
    }
}

static double Clamp(double v, double low, double high, bool* clipped)
{
    if (v < low) {
        *clipped = true;
        return low;
    }
    if (v > high) {
        *clipped = true;
        return high;
    }
    return v;
}

uint16_t FrameOntoBed(const TW_FRAME& frame, uint16_t units, uint32_t dpi, double width, double length,
                      FrameInches* out)
{
    const double scale = InchesPerUnit(units, dpi);
    const double left = Fix32ToFloat(frame.Left) * scale, right = Fix32ToFloat(frame.Right) * scale;
    const double top = Fix32ToFloat(frame.Top) * scale, bottom = Fix32ToFloat(frame.Bottom) * scale;
    if (scale <= 0 || right <= left || bottom <= top || left >= width || top >= length || right <= 0 || bottom <= 0)
        return TWRC_FAILURE;
    bool clipped = false;
    out->left = Clamp(left, 0, width, &clipped);
    out->right = Clamp(right, 0, width, &clipped);
    out->top = Clamp(top, 0, length, &clipped);
    out->bottom = Clamp(bottom, 0, length, &clipped);
    return clipped ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
}

TW_FRAME FrameInUnits(const FrameInches& frame, uint16_t units, uint32_t dpi)
{
    const double scale = InchesPerUnit(units, dpi);
    const double per = scale > 0 ? 1.0 / scale : 0.0;
    TW_FRAME out;
    out.Left = FloatToFix32(frame.left * per);
    out.Top = FloatToFix32(frame.top * per);
    out.Right = FloatToFix32(frame.right * per);
    out.Bottom = FloatToFix32(frame.bottom * per);
    return out;
}
