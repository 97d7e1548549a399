#include "vd_curves.h"

#include <math.h>

#include "vd_film.h"

namespace {

double Curve(int table, double transmission, double density)
{
    switch (table) {
    case 1: return log1p(255.0 * transmission) / log(256.0);
    case 2: return 1.0 - density / (VD_LEVEL_MAX / 1000.0);
    case 3: return sqrt(transmission);
    case 4: return pow(transmission, 0.7);
    case 5: return pow(transmission, 0.5);
    case 6: return pow(transmission, 0.3);
    default: return transmission;   // 0 linear, 7 power 1.0
    }
}

}  // namespace

void VdBuildCurve(uint16_t* lut, int table, int darkEnhance, uint32_t maxValue)
{
    for (int level = 0; level <= VD_LEVEL_MAX; ++level) {
        double density = level / 1000.0;
        double value = Curve(table, pow(10.0, -density), density);
        if (value < 0) value = 0;
        if (value > 1) value = 1;
        // Dark enhance lifts the dense end of the film, where detail hides.
        if (darkEnhance) value = pow(value, 1.0 / 1.6);
        lut[level] = (uint16_t)(value * maxValue + 0.5);
    }
}
