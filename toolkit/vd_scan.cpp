// getImage: the programmed window, rendered one line at a time and handed
// out as a byte stream, with the configured faults.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vd_curves.h"
#include "vd_digitizer.h"
#include "vd_exports.h"
#include "vd_grain.h"

namespace {

const TkStatus kEndOfImage = 10;
bool StartScan(Digitizer* d)
{
    VdScan* s = &d->scan;
    const VdConfig* c = &d->config;
    // A scan runs with what was programmed last.
    d->applied = d->pending;
    s->program = d->applied;
    const VdProgram* p = &s->program;
    double resolution = p->resolution;

    s->filmPresent = d->filmInside != 0;
    if (s->filmPresent && !VdFilmOpen(&s->film, c, d->filmInside)) return false;
    double filmLeft = (c->bedWidth - s->film.width) / 2;   // the transport centres the film
    // Whole-width mode on newer digitizers counts the offset from the strip.
    double origin = (p->scanMode == 1 && c->hardwareVersion >= 7 && s->filmPresent) ? filmLeft * resolution : 0;
    s->firstPixel = origin + p->offsetX - filmLeft * resolution;

    uint32_t pixels = p->pixels ? p->pixels : VdLineWidth(d);
    s->bytesPerSample = p->outputMode == 6 ? 2 : 1;
    s->lineBytes = pixels * s->bytesPerSample;
    uint32_t lines = p->lines;
    if (s->filmPresent) {
        double filmLines = ceil(s->film.length * resolution) - p->offsetY;
        uint32_t untilFilmEnds = filmLines > 0 ? (uint32_t)filmLines : 0;
        if (lines == 0 || lines > untilFilmEnds) lines = untilFilmEnds;
    } else {
        // An empty transport: a short, bright pass before the digitizer gives up.
        uint32_t shortPass = p->resolution / 4 > 8 ? p->resolution / 4 : 8;
        if (lines == 0 || lines > shortPass) lines = shortPass;
    }
    // A faulty transport may go on past the window and the film's end.
    s->lineCount = pixels ? lines + c->overDeliver : 0;

    s->lineBuffer = (uint8_t*)malloc(s->lineBytes ? s->lineBytes : 1);
    s->levels = (int16_t*)malloc((pixels ? pixels : 1) * sizeof(int16_t));
    if (!s->lineBuffer || !s->levels) return false;
    // Without the band's memory the lines are simply all rendered.
    if (c->bandLines && s->lineBytes) s->band = (uint8_t*)malloc((size_t)c->bandLines * s->lineBytes);

    uint32_t maxValue = 255;
    if (s->bytesPerSample == 2) maxValue = p->bits >= 16 ? 65535u : (p->bits > 8 ? (1u << p->bits) - 1 : 255u);
    VdBuildCurve(s->curve, p->table, p->darkEnhance, maxValue);
    VdBuildGrain(s->noise, p->averageCount);
    s->line = 0;
    s->lineSent = s->lineBytes;   // nothing rendered yet
    s->active = 1;
    s->ended = 0;
    return true;
}

// Levels plus the film's grain through the curve into samples.
template <typename Store>
void Convert(VdScan* s, uint32_t pixels, uint32_t filmRow, int filmNumber, Store store)
{
    // Film column of pixel 0: the film pixel under its centre.
    int64_t filmColumn = (int64_t)floor(s->firstPixel + 0.5);
    VdApplyGrain(s->noise, s->levels, pixels, filmRow, filmColumn, filmNumber);
    const uint16_t* curve = s->curve;
    const int16_t* levels = s->levels;
    for (uint32_t x = 0; x < pixels; ++x) store(x, curve[levels[x]]);
}

void RenderLine(Digitizer* d)
{
    VdScan* s = &d->scan;
    const uint32_t band = d->config.bandLines;
    if (s->band && s->line >= band) {
        memcpy(s->lineBuffer, s->band + (size_t)(s->line % band) * s->lineBytes, s->lineBytes);
        ++s->line;
        s->lineSent = 0;
        return;
    }
    const VdProgram* p = &s->program;
    uint32_t pixels = s->lineBytes / s->bytesPerSample;
    if (s->filmPresent) {
        double filmY = (p->offsetY + s->line + 0.5) / p->resolution;
        VdFilmRenderRow(&s->film, filmY, p->resolution, s->firstPixel, s->levels, pixels);
    } else {
        memset(s->levels, 0, pixels * sizeof *s->levels);
    }
    uint32_t filmRow = p->offsetY + s->line;
    int film = d->filmInside;
    uint8_t* out = s->lineBuffer;
    if (s->bytesPerSample == 1) {
        Convert(s, pixels, filmRow, film, [out](uint32_t x, uint16_t v) { out[x] = (uint8_t)v; });
    } else if (p->bitOrder == 1) {
        Convert(s, pixels, filmRow, film, [out](uint32_t x, uint16_t v) {
            out[2 * x] = (uint8_t)v;
            out[2 * x + 1] = (uint8_t)(v >> 8);
        });
    } else {
        Convert(s, pixels, filmRow, film, [out](uint32_t x, uint16_t v) {
            out[2 * x] = (uint8_t)(v >> 8);
            out[2 * x + 1] = (uint8_t)v;
        });
    }
    if (s->band) memcpy(s->band + (size_t)s->line * s->lineBytes, s->lineBuffer, s->lineBytes);
    ++s->line;
    s->lineSent = 0;
    if (d->config.lineMicros) VdSleepMicros(d->config.lineMicros);
}

// True while the configured stall holds the data back.
bool Stalled(Digitizer* d)
{
    VdScan* s = &d->scan;
    const VdConfig* c = &d->config;
    if (c->stallLine < 0 || s->stallDone) return false;
    // The stall starts half-way through the line, so a read ends inside it.
    if (s->line != (uint32_t)c->stallLine + 1 || s->lineSent < s->lineBytes / 2) return false;
    if (c->stallInstant) return true;   // empty answers at once, for ever
    uint64_t now = VdMicros();
    if (!s->stallStart) s->stallStart = now ? now : 1;
    uint64_t waited = now - s->stallStart;
    if (waited >= (uint64_t)c->stallMs * 1000) {
        s->stallDone = 1;
        return false;
    }
    uint64_t rest = (uint64_t)c->stallMs * 1000 - waited;
    VdSleepMicros(rest < 20000 ? rest : 20000);   // a read blocks a little, then returns empty
    return true;
}

uint32_t AllowedBytes(const Digitizer* d, uint32_t wanted)
{
    const VdConfig* c = &d->config;
    uint32_t lineBytes = d->scan.lineBytes;
    if (c->shortRead && wanted > c->shortRead) wanted = c->shortRead;
    if (c->splitReads && wanted > 1) {
        if (wanted > lineBytes && lineBytes > 1) wanted -= lineBytes / 2;
        else wanted = wanted / 2;
    }
    return wanted;
}

}  // namespace

void VdScanStop(Digitizer* d)
{
    VdScan* s = &d->scan;
    if (s->filmPresent) VdFilmClose(&s->film);
    free(s->lineBuffer);
    free(s->band);
    free(s->levels);
    memset(s, 0, sizeof *s);
}

namespace {

TkStatus Deliver(Digitizer* d, uint8_t* buffer, uint32_t bytesWanted, int32_t* bytesGot)
{
    const VdConfig* c = &d->config;
    if (!bytesGot) return TK_FAILED;
    *bytesGot = 0;
    if (VdCallFails(c, "getImage") || (!buffer && bytesWanted) || !d->open) return TK_FAILED;
    VdScan* s = &d->scan;
    if (!s->active && !s->ended) {
        if (!d->armed) return TK_FAILED;   // nothing programmed since the last scan
        d->armed = 0;                      // each scan takes one initScanner
        if (!StartScan(d)) {
            VdScanStop(d);
            return TK_FAILED;
        }
        // Programming after a scan must not wipe what the scan delivered.
        VdTruthRestart(d);
    }
    if (s->ended) return kEndOfImage;
    if (bytesWanted > 0x7FFFFFFFu) bytesWanted = 0x7FFFFFFFu;

    uint32_t allowed = AllowedBytes(d, bytesWanted);
    uint32_t got = 0;
    TkStatus status = 0;
    while (got < allowed) {
        if (s->lineSent == s->lineBytes) {
            if (s->line == s->lineCount) break;
            if (c->badStatusLine >= 0 && s->line == (uint32_t)c->badStatusLine) {
                status = c->badStatus;
                break;
            }
            RenderLine(d);
        }
        if (Stalled(d)) break;
        uint32_t take = s->lineBytes - s->lineSent;
        if (take > allowed - got) take = allowed - got;
        // Stop at the stall's point, so the stall begins inside the line.
        if (c->stallLine >= 0 && !s->stallDone && s->line == (uint32_t)c->stallLine + 1 &&
            s->lineSent < s->lineBytes / 2 && s->lineSent + take > s->lineBytes / 2)
            take = s->lineBytes / 2 - s->lineSent;
        memcpy(buffer + got, s->lineBuffer + s->lineSent, take);
        s->lineSent += take;
        got += take;
    }
    *bytesGot = (int32_t)got;
    VdTruthAppend(d, buffer, got);
    if (status == 0 && s->line == s->lineCount && s->lineSent == s->lineBytes) {
        s->ended = 1;
        s->active = 0;
        status = kEndOfImage;
    }
    return status;
}

}  // namespace

extern "C" TkStatus getImage(uint8_t* buffer, uint32_t bytesWanted, int32_t* bytesGot)
{
    Digitizer* d = VdState();
    TkStatus status = Deliver(d, buffer, bytesWanted, bytesGot);
    if (d->callLog) {
        char line[64];
        snprintf(line, sizeof line, "getImage %lu %ld %d", (unsigned long)bytesWanted,
                 (long)(bytesGot ? *bytesGot : 0), (int)status);
        VdLogCall(d, line);
    }
    return status;
}
