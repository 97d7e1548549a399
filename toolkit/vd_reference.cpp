#include "vd_reference.h"

#include <math.h>
#include <stdlib.h>

#include "vd_curves.h"
#include "vd_film.h"
#include "vd_grain.h"

int VdReferenceFilmSize(const VdConfig* config, int film, uint16_t resolution, uint32_t* columns,
                        uint32_t* rows)
{
    VdFilm f;
    if (resolution == 0 || !VdFilmOpen(&f, config, film)) return 0;
    // As the digitizer measures them: the strip's width truncated, the film's
    // length up to the last line that still touches it.
    *columns = (uint32_t)(f.width * resolution);
    *rows = (uint32_t)ceil(f.length * resolution);
    VdFilmClose(&f);
    return 1;
}

int VdRenderReference(const VdConfig* config, const VdReference* r, uint8_t* out)
{
    if (r->resolution == 0 || (r->depth != 8 && r->depth != 12 && r->depth != 16) || r->table < 0 ||
        r->table > 7 || !out)
        return 0;
    VdFilm film;
    if (!VdFilmOpen(&film, config, r->film)) return 0;
    static uint16_t curve[VD_LEVEL_MAX + 1];
    static int16_t noise[2 * VD_GRAIN_PERIOD];
    VdBuildCurve(curve, r->table, r->darkEnhance, r->depth == 8 ? 255u : (1u << r->depth) - 1);
    VdBuildGrain(noise, r->averageCount);
    int16_t* levels = (int16_t*)malloc((r->columns ? r->columns : 1) * sizeof(int16_t));
    if (!levels) {
        VdFilmClose(&film);
        return 0;
    }
    const uint32_t sampleBytes = r->depth == 8 ? 1 : 2;
    for (uint32_t y = 0; y < r->rows; ++y) {
        int64_t filmRow = r->firstRow + y;
        VdFilmRenderRow(&film, (filmRow + 0.5) / r->resolution, r->resolution, (double)r->firstColumn,
                        levels, r->columns);
        VdApplyGrain(noise, levels, r->columns, (uint32_t)filmRow, r->firstColumn, r->film);
        uint8_t* line = out + (size_t)y * r->columns * sampleBytes;
        for (uint32_t x = 0; x < r->columns; ++x) {
            uint16_t v = curve[levels[x]];
            if (sampleBytes == 1) {
                line[x] = (uint8_t)v;
            } else {
                line[2 * x] = (uint8_t)v;
                line[2 * x + 1] = (uint8_t)(v >> 8);
            }
        }
    }
    free(levels);
    VdFilmClose(&film);
    return 1;
}
