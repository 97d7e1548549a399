// Opening a film: the synthetic one, or an 8/16-bit PGM or 8-bit BMP file
// whose header is checked against the file's real size before any row is read.
#include <ctype.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "vd_film.h"

namespace {

const uint32_t kMaxSide = 1u << 18;

uint32_t Le16(const uint8_t* p) { return (uint32_t)(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return (uint32_t)(p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24); }

long FileSize(FILE* file)
{
    if (fseek(file, 0, SEEK_END) != 0) return -1;
    long size = ftell(file);
    fseek(file, 0, SEEK_SET);
    return size;
}

// Next decimal field of a PGM header, skipping blanks and comments.
bool PgmField(FILE* file, uint32_t* value)
{
    int c = fgetc(file);
    while (c != EOF && (isspace(c) || c == '#')) {
        if (c == '#')
            while (c != EOF && c != '\n') c = fgetc(file);
        c = fgetc(file);
    }
    if (c == EOF || !isdigit(c)) return false;
    uint64_t v = 0;
    while (c != EOF && isdigit(c)) {
        v = v * 10 + (uint64_t)(c - '0');
        if (v > 0xFFFFFFFFu) return false;
        c = fgetc(file);
    }
    *value = (uint32_t)v;
    return c != EOF && isspace(c);   // exactly one blank ends the header's last field
}

int16_t LevelOfTransmission(double value, double full)
{
    double t = (value < 0.5 ? 0.5 : value) / full;
    double level = -log10(t) * 1000.0 + 0.5;
    return (int16_t)(level > (double)VD_LEVEL_MAX ? (double)VD_LEVEL_MAX : (level < 0 ? 0.0 : level));
}

bool OpenPgm(VdFilm* film, long size)
{
    uint32_t width, height, maxval;
    if (!PgmField(film->file, &width) || !PgmField(film->file, &height) || !PgmField(film->file, &maxval))
        return false;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || maxval == 0 || maxval > 65535)
        return false;
    film->sampleBytes = maxval > 255 ? 2 : 1;
    film->dataOffset = ftell(film->file);
    film->rowStride = (long)width * film->sampleBytes;
    if (film->dataOffset < 0 || (uint64_t)film->rowStride * height > (uint64_t)(size - film->dataOffset))
        return false;
    film->fileWidth = width;
    film->fileHeight = height;
    film->valueCount = maxval + 1;
    film->valueLevels = (int16_t*)malloc(film->valueCount * sizeof(int16_t));
    if (!film->valueLevels) return false;
    for (uint32_t v = 0; v <= maxval; ++v) film->valueLevels[v] = LevelOfTransmission(v, maxval);
    return true;
}

bool OpenBmp(VdFilm* film, long size)
{
    uint8_t header[54];
    if (size < (long)sizeof header || fread(header, 1, sizeof header, film->file) != sizeof header) return false;
    uint32_t dataOffset = Le32(header + 10), infoSize = Le32(header + 14);
    int32_t width = (int32_t)Le32(header + 18), height = (int32_t)Le32(header + 22);
    if (infoSize < 40 || Le16(header + 28) != 8 || Le32(header + 30) != 0) return false;
    if (width <= 0 || (uint32_t)width > kMaxSide || height == 0 || height == INT32_MIN) return false;
    film->bottomUp = height > 0;
    uint32_t rows = (uint32_t)(height > 0 ? height : -height);
    if (rows > kMaxSide) return false;
    uint32_t colours = Le32(header + 46);
    if (colours == 0 || colours > 256) colours = 256;
    uint64_t paletteAt = 14ull + infoSize;
    if (paletteAt + 4ull * colours > dataOffset || dataOffset > (uint64_t)size) return false;
    film->rowStride = (long)(((uint32_t)width + 3) & ~3u);
    if ((uint64_t)film->rowStride * rows > (uint64_t)size - dataOffset) return false;

    uint8_t palette[1024];
    if (fseek(film->file, (long)paletteAt, SEEK_SET) != 0 ||
        fread(palette, 4, colours, film->file) != colours)
        return false;
    film->valueCount = 256;
    film->valueLevels = (int16_t*)malloc(256 * sizeof(int16_t));
    if (!film->valueLevels) return false;
    for (uint32_t i = 0; i < 256; ++i) {
        const uint8_t* c = palette + 4 * (i < colours ? i : colours - 1);
        film->valueLevels[i] = LevelOfTransmission((c[2] * 299 + c[1] * 587 + c[0] * 114) / 1000.0, 255.0);
    }
    film->sampleBytes = 1;
    film->dataOffset = (long)dataOffset;
    film->fileWidth = (uint32_t)width;
    film->fileHeight = rows;
    return true;
}

}  // namespace

int VdFilmOpen(VdFilm* film, const VdConfig* config, int number)
{
    memset(film, 0, sizeof *film);
    film->number = number;
    film->rowLoaded = -1;
    film->width = config->filmWidth > 0 ? config->filmWidth : 1.0f;
    film->length = config->filmLength > 0 ? config->filmLength : 1.0f;
    if (!config->filmFile[0]) return 1;

    film->file = fopen(config->filmFile, "rb");
    if (!film->file) return 0;
    long size = FileSize(film->file);
    char magic[2] = {0, 0};
    bool ok = size > 2 && fread(magic, 1, 2, film->file) == 2;
    if (ok && magic[0] == 'P' && magic[1] == '5') {
        ok = OpenPgm(film, size);
    } else if (ok && magic[0] == 'B' && magic[1] == 'M') {
        ok = fseek(film->file, 0, SEEK_SET) == 0 && OpenBmp(film, size);
    } else {
        ok = false;
    }
    film->fileDpi = config->fileDpi ? config->fileDpi : 100;
    if (ok) film->row = (uint8_t*)malloc((size_t)film->fileWidth * film->sampleBytes);
    if (!ok || !film->row) {
        VdFilmClose(film);
        return 0;
    }
    film->width = (float)film->fileWidth / film->fileDpi;
    film->length = (float)film->fileHeight / film->fileDpi;
    return 1;
}

void VdFilmClose(VdFilm* film)
{
    if (film->file) fclose(film->file);
    free(film->row);
    free(film->valueLevels);
    film->file = nullptr;
    film->row = nullptr;
    film->valueLevels = nullptr;
}
