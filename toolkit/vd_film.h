// The film inside the virtual digitizer: a synthetic radiograph or an image
// file, rendered one scan line at a time into density levels (1/1000 of an
// optical density, 0 = clear, 4095 = black). Nothing holds the whole image.
#ifndef SCANKIT_VD_FILM_H
#define SCANKIT_VD_FILM_H

#include <stdint.h>
#include <stdio.h>

#include "vd_config.h"

enum { VD_LEVEL_MAX = 4095 };

typedef struct VdFilm {
    int number;                // printed on the film
    float width, length;       // inches
    // Image file films
    FILE* file;
    uint32_t fileWidth, fileHeight;
    uint32_t fileDpi;
    uint32_t sampleBytes;      // 1 or 2 (16-bit PGM, big-endian)
    long dataOffset;
    long rowStride;
    int bottomUp;
    uint8_t* row;              // one file row
    int64_t rowLoaded;         // index of the row in `row`, -1 none
    int16_t* valueLevels;      // file sample -> density level
    uint32_t valueCount;
} VdFilm;

// Opens film `number` of the configuration; 0 when the image file cannot be
// read (the film is then left closed).
int VdFilmOpen(VdFilm* film, const VdConfig* config, int number);
void VdFilmClose(VdFilm* film);

// Renders the levels of `count` pixels at film row `filmY` (inches). Pixel x
// covers film x from (x + firstPixel) / resolution inches on; pixels off the
// film see the open light (level 0).
void VdFilmRenderRow(VdFilm* film, double filmY, double resolution, double firstPixel,
                     int32_t* levels, uint32_t count);

#endif
