// The film as the digitizer would deliver it, in film coordinates and
// independent of any scan: what tests compare scanned images with.
#ifndef SCANKIT_VD_REFERENCE_H
#define SCANKIT_VD_REFERENCE_H

#include <stdint.h>

#include "vd_config.h"

typedef struct VdReference {
    int film;              // number in the stack, 1 first
    uint16_t resolution;   // dpi
    uint8_t depth;         // 8, 12 or 16
    int16_t table;         // translation table 0..7
    uint16_t darkEnhance;
    uint16_t averageCount;
    // The region in film pixels at `resolution`: row 0 is the leading edge
    // (the first line the digitizer delivers), column 0 the film's left edge.
    int64_t firstColumn, firstRow;
    uint32_t columns, rows;
} VdReference;

// The whole film at the reference's resolution: the line width and the
// lines of a whole-width scan of it.
int VdReferenceFilmSize(const VdConfig* config, int film, uint16_t resolution, uint32_t* columns,
                        uint32_t* rows);

// Renders the region into `out` (rows * columns samples, row 0 first; one
// byte a sample at depth 8, else two, low byte first). 0 when the film
// cannot be opened or the reference is not valid.
int VdRenderReference(const VdConfig* config, const VdReference* reference, uint8_t* out);

#endif
