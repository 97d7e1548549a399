// The synthetic radiograph: a body-like phantom with smooth density
// gradients, sharp edges, a step wedge, line-pair groups and the film's
// number on a bright unexposed border; or the rows of an image file. Every
// film carries its number as a bar code on the left border.
#include "vd_film.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

const double kMargin = 0.4;          // unexposed border, inches
const int16_t kBorderLevel = 150;    // base + fog
const int16_t kExposedLevel = 2800;  // open field around the body
const int16_t kMarkLevel = 300;      // lead markers: bright
const double kDigitHeight = 1.1;
// The bar code: a column of cells down the left border, from the leading
// edge's border on: a quiet cell, a start bar, then 8 bits of the number,
// most significant first (dark = 1).
const double kCodeLeft = 0.1, kCodeRight = 0.3, kCodeTop = 0.4, kCodeCell = 0.2;
const int kCodeBits = 8;

// Pixel range [*from, *to) whose centres lie in [a, b) inches.
struct Row {
    double resolution;
    double firstPixel;
    int16_t* levels;
    uint32_t count;
};

bool Span(const Row& row, double a, double b, uint32_t* from, uint32_t* to)
{
    double x0 = ceil(a * row.resolution - 0.5 - row.firstPixel);
    double x1 = ceil(b * row.resolution - 0.5 - row.firstPixel);
    if (x0 < 0) x0 = 0;
    if (x1 > row.count) x1 = row.count;
    if (x1 <= x0) return false;
    *from = (uint32_t)x0;
    *to = (uint32_t)x1;
    return true;
}

void FillSpan(const Row& row, double a, double b, int16_t level)
{
    uint32_t from, to;
    if (!Span(row, a, b, &from, &to)) return;
    for (uint32_t x = from; x < to; ++x) row.levels[x] = level;
}

void AddSpan(const Row& row, double a, double b, int16_t delta)
{
    uint32_t from, to;
    if (!Span(row, a, b, &from, &to)) return;
    for (uint32_t x = from; x < to; ++x) row.levels[x] = (int16_t)(row.levels[x] + delta);
}

// Adds weight * sqrt(1 - u^2 - v^2) over an ellipse: the path length of the
// ray through an ellipsoid, so densities change smoothly inside it.
void AddEllipsoid(const Row& row, double filmY, double cx, double cy, double a, double b,
                  float weight)
{
    double v = (filmY - cy) / b;
    double rest = 1.0 - v * v;
    if (rest <= 0) return;
    double half = a * sqrt(rest);
    uint32_t from, to;
    if (!Span(row, cx - half, cx + half, &from, &to)) return;
    // u(x) = ((x + 0.5 + firstPixel) / resolution - cx) / a, linear in x.
    float step = (float)(1.0 / (row.resolution * a));
    float start = (float)(((from + 0.5 + row.firstPixel) / row.resolution - cx) / a);
    float restF = (float)rest;
    int16_t* levels = row.levels;
    for (uint32_t x = from; x < to; ++x) {
        float u = start + (float)(x - from) * step;
        float t = restF - u * u;
        t = t > 0.0f ? t : 0.0f;
        levels[x] = (int16_t)(levels[x] + (int32_t)(weight * __builtin_sqrtf(t)));
    }
}

void AddRamp(const Row& row, double a, double b, int32_t levelA, int32_t levelB)
{
    uint32_t from, to;
    if (!Span(row, a, b, &from, &to)) return;
    double perPixel = (levelB - levelA) / ((b - a) * row.resolution);
    double start = levelA + ((from + 0.5 + row.firstPixel) / row.resolution - a) * row.resolution * perPixel;
    for (uint32_t x = from; x < to; ++x) row.levels[x] = (int16_t)(start + (x - from) * perPixel);
}

// Seven-segment digits, so every film of a stack shows its number.
void DrawDigit(const Row& row, double filmY, double left, double top, int digit)
{
    static const uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const double w = 0.6, h = kDigitHeight, s = 0.13;
    double y = filmY - top;
    if (y < 0 || y >= h) return;
    uint8_t on = kSegments[digit % 10];
    if ((on & 0x01) && y < s) FillSpan(row, left, left + w, kMarkLevel);                       // a
    if ((on & 0x40) && fabs(y - h / 2) < s / 2) FillSpan(row, left, left + w, kMarkLevel);     // g
    if ((on & 0x08) && y >= h - s) FillSpan(row, left, left + w, kMarkLevel);                  // d
    bool upper = y < h / 2;
    if ((on & (upper ? 0x20 : 0x10))) FillSpan(row, left, left + s, kMarkLevel);              // f / e
    if ((on & (upper ? 0x02 : 0x04))) FillSpan(row, left + w - s, left + w, kMarkLevel);      // b / c
}

void DrawNumber(const Row& row, double filmY, double right, double top, int number)
{
    if (filmY < top || filmY >= top + kDigitHeight) return;
    char digits[12];
    int n = snprintf(digits, sizeof digits, "%d", number < 0 ? 0 : number);
    double left = right - n * 0.8;
    for (int i = 0; i < n; ++i) DrawDigit(row, filmY, left + i * 0.8, top, digits[i] - '0');
}

// Groups of five line pairs from 0.5 to 8 line pairs per millimetre.
void DrawLinePairs(const Row& row, double left)
{
    static const double kPairsPerMm[] = {0.5, 1, 2, 3, 4, 5, 6, 8};
    double x = left;
    for (double pairs : kPairsPerMm) {
        double period = 1.0 / (pairs * 25.4);
        for (int i = 0; i < 5; ++i) FillSpan(row, x + i * period, x + i * period + period / 2, kMarkLevel);
        x += 5 * period + 0.3;
    }
}

void DrawBarCode(const Row& row, double filmY, int number)
{
    double at = (filmY - kCodeTop) / kCodeCell;
    if (at < 0 || at >= 2 + kCodeBits) return;
    int cell = (int)at;
    bool dark = cell == 1 || (cell >= 2 && ((number >> (kCodeBits - 1 - (cell - 2))) & 1));
    FillSpan(row, kCodeLeft, kCodeRight, dark ? kExposedLevel : kBorderLevel);
}

void RenderSynthetic(const VdFilm* film, const Row& row, double y)
{
    const double W = film->width, L = film->length;
    FillSpan(row, 0, W, kBorderLevel);
    DrawBarCode(row, y, film->number);
    if (y < kMargin || y >= L - kMargin) {
        return;
    }
    const double inner = W - kMargin;
    FillSpan(row, kMargin, inner, kExposedLevel);

    // The body: soft tissue, lungs and a spine of vertebrae. Each film of a
    // stack shows it a little moved and sized, so no two films look alike.
    const int k = film->number > 0 ? (film->number - 1) % 12 : 0;
    const double cx = W / 2 + 0.35 * ((k + 1) % 3 - 1), cy = L * (0.56 + 0.02 * (k % 4));
    const double a = W * (0.36 - 0.015 * (k % 3)), b = L * (0.36 - 0.01 * (k % 4));
    double v = (y - cy) / b;
    if (v * v < 1) {
        double half = a * sqrt(1 - v * v);
        AddSpan(row, cx - half, cx + half, -250);   // skin line: a sharp edge
        AddEllipsoid(row, y, cx, cy, a, b, -1700.0f);
        AddEllipsoid(row, y, cx - 0.45 * a, cy - 0.15 * b, 0.3 * a, 0.5 * b, 900.0f);
        AddEllipsoid(row, y, cx + 0.45 * a, cy - 0.15 * b, 0.3 * a, 0.5 * b, 900.0f);
        double sinceTop = y - (cy - 0.9 * b);
        if (sinceTop >= 0 && sinceTop < 1.8 * b && fmod(sinceTop, 0.9) >= 0.12)
            AddSpan(row, cx - 0.45, cx + 0.45, -600);
    }

    // Calibration strip at the top: step wedge and a continuous ramp.
    const double stripRight = inner - 2.8;
    if (y >= kMargin + 0.2 && y < kMargin + 0.9) {
        double stepWidth = (stripRight - kMargin - 0.4) / 10;
        for (int i = 0; i < 10; ++i)
            FillSpan(row, kMargin + 0.4 + i * stepWidth, kMargin + 0.4 + (i + 1) * stepWidth, (int16_t)(200 + i * 330));
    } else if (y >= kMargin + 1.0 && y < kMargin + 1.4) {
        AddRamp(row, kMargin + 0.4, stripRight, 100, 3600);
    }
    DrawNumber(row, y, inner - 0.3, kMargin + 0.2, film->number);
    if (y >= L - kMargin - 1.1 && y < L - kMargin - 0.3) DrawLinePairs(row, kMargin + 0.5);
}

void RenderFileRow(VdFilm* film, const Row& row, double y)
{
    int64_t fileRow = (int64_t)floor(y * film->fileDpi);
    if (fileRow < 0 || fileRow >= (int64_t)film->fileHeight) return;
    if (fileRow != film->rowLoaded) {
        int64_t stored = film->bottomUp ? (int64_t)film->fileHeight - 1 - fileRow : fileRow;
        size_t bytes = (size_t)film->fileWidth * film->sampleBytes;
        if (fseek(film->file, film->dataOffset + (long)(stored * film->rowStride), SEEK_SET) != 0 ||
            fread(film->row, 1, bytes, film->file) != bytes) {
            memset(film->row, 0, bytes);
        }
        film->rowLoaded = fileRow;
    }
    uint32_t from, to;
    if (!Span(row, 0, film->width, &from, &to)) return;
    double scale = film->fileDpi / row.resolution;
    for (uint32_t x = from; x < to; ++x) {
        uint32_t column = (uint32_t)((x + 0.5 + row.firstPixel) * scale);
        if (column >= film->fileWidth) column = film->fileWidth - 1;
        uint32_t value = film->sampleBytes == 2
                             ? (uint32_t)(film->row[2 * column] << 8 | film->row[2 * column + 1])
                             : film->row[column];
        if (value >= film->valueCount) value = film->valueCount - 1;
        row.levels[x] = film->valueLevels[value];
    }
}

}  // namespace

void VdFilmRenderRow(VdFilm* film, double filmY, double resolution, double firstPixel,
                     int16_t* levels, uint32_t count)
{
    memset(levels, 0, count * sizeof *levels);
    if (filmY < 0 || filmY >= film->length || resolution <= 0) return;
    Row row = {resolution, firstPixel, levels, count};
    if (film->file) {
        RenderFileRow(film, row, filmY);
        DrawNumber(row, filmY, film->width - kMargin - 0.3, kMargin + 0.2, film->number);
        DrawBarCode(row, filmY, film->number);
    } else {
        RenderSynthetic(film, row, filmY);
    }
}
