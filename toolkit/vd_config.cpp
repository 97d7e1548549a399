// The digitizer's configuration: built-in defaults and the INI reader.
#include "vd_config.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

void CopyBounded(char* dst, size_t size, const char* src)
{
    size_t n = strlen(src);
    if (n >= size) n = size - 1;
    memcpy(dst, src, n);
    dst[n] = '\0';
}

char* Trim(char* text)
{
    while (*text && isspace((unsigned char)*text)) ++text;
    char* end = text + strlen(text);
    while (end > text && isspace((unsigned char)end[-1])) --end;
    *end = '\0';
    return text;
}

long Number(const char* text)
{
    return strtol(text, nullptr, 0);
}

// Splits `value` at `separator` into at most `capacity` trimmed items.
template <typename Store>
uint16_t EachItem(char* value, char separator, uint16_t capacity, Store store)
{
    uint16_t count = 0;
    char* item = value;
    while (item && count < capacity) {
        char* next = strchr(item, separator);
        if (next) *next++ = '\0';
        char* trimmed = Trim(item);
        if (*trimmed) store(count++, trimmed);
        item = next;
    }
    return count;
}

uint16_t NumberList(char* value, uint16_t* list, uint16_t capacity)
{
    return EachItem(value, ',', capacity,
                    [list](uint16_t i, char* item) { list[i] = (uint16_t)Number(item); });
}

// "code" or "code:text"; "\n" in the text stands for a line feed.
void ParseStep(VdStep* step, char* item)
{
    char* colon = strchr(item, ':');
    step->text[0] = '\0';
    if (colon) {
        *colon = '\0';
        size_t out = 0;
        for (const char* in = colon + 1; *in && out + 1 < sizeof step->text; ++in) {
            if (in[0] == '\\' && in[1] == 'n') {
                step->text[out++] = '\n';
                ++in;
            } else {
                step->text[out++] = *in;
            }
        }
        step->text[out] = '\0';
    }
    step->code = (int16_t)Number(Trim(item));
}

uint8_t UnitAnswer(const char* word)
{
    if (strcmp(word, "tracking") == 0) return VD_UNIT_TRACKING;
    if (strcmp(word, "busy") == 0) return VD_UNIT_BUSY;
    if (strcmp(word, "lost") == 0) return VD_UNIT_LOST;
    if (strcmp(word, "stuck") == 0) return VD_UNIT_STUCK;
    return VD_UNIT_READY;
}

int Apply(VdConfig* c, const char* key, char* value)
{
#define TEXT_KEY(name) \
    if (strcmp(key, #name) == 0) { CopyBounded(c->name, sizeof c->name, value); return 1; }
#define NUMBER_KEY(name) \
    if (strcmp(key, #name) == 0) { c->name = (decltype(c->name))Number(value); return 1; }
    TEXT_KEY(product) TEXT_KEY(serialNumber) TEXT_KEY(firmware) TEXT_KEY(modelVariant)
    TEXT_KEY(optionString) TEXT_KEY(filmFile) TEXT_KEY(failCalls) TEXT_KEY(callLog)
    TEXT_KEY(truthFile)
    NUMBER_KEY(modelCode) NUMBER_KEY(hardwareVersion) NUMBER_KEY(ramSize) NUMBER_KEY(scsiId)
    NUMBER_KEY(scsiVersion) NUMBER_KEY(adapters) NUMBER_KEY(adapter) NUMBER_KEY(target)
    NUMBER_KEY(openResult) NUMBER_KEY(exposureKind) NUMBER_KEY(exposureMin)
    NUMBER_KEY(exposureMax) NUMBER_KEY(exposureDefault) NUMBER_KEY(lineAveraging)
    NUMBER_KEY(bedWidth) NUMBER_KEY(feederCapacity) NUMBER_KEY(prescan)
    NUMBER_KEY(feederPresent) NUMBER_KEY(feederSupport) NUMBER_KEY(films) NUMBER_KEY(fileDpi)
    NUMBER_KEY(noFilm) NUMBER_KEY(shortRead) NUMBER_KEY(splitReads) NUMBER_KEY(badStatus)
    NUMBER_KEY(badStatusLine) NUMBER_KEY(stallLine) NUMBER_KEY(stallMs) NUMBER_KEY(lineMicros) NUMBER_KEY(bandLines)
    NUMBER_KEY(stallInstant) NUMBER_KEY(overDeliver)
#undef TEXT_KEY
#undef NUMBER_KEY
    if (strcmp(key, "filmWidth") == 0) { c->filmWidth = (float)atof(value); return 1; }
    if (strcmp(key, "filmLength") == 0) { c->filmLength = (float)atof(value); return 1; }
    if (strcmp(key, "resolutions") == 0) {
        c->resolutionCount = NumberList(value, c->resolutions, VD_MAX_LIST);
        return 1;
    }
    if (strcmp(key, "depths") == 0) {
        c->depthCount = NumberList(value, c->depths, VD_MAX_LIST);
        return 1;
    }
    if (strcmp(key, "status") == 0) {
        c->statusCount = NumberList(value, c->status, VD_MAX_SEQUENCE);
        return 1;
    }
    if (strcmp(key, "stage") == 0) {
        c->stageCount = EachItem(value, ',', VD_MAX_SEQUENCE,
                                 [c](uint16_t i, char* item) { c->stage[i] = (int16_t)Number(item); });
        return 1;
    }
    if (strcmp(key, "unitReady") == 0) {
        c->unitReadyCount = EachItem(value, ',', VD_MAX_SEQUENCE,
                                     [c](uint16_t i, char* item) { c->unitReady[i] = UnitAnswer(item); });
        return 1;
    }
    if (strcmp(key, "calibrate") == 0) {
        c->calibrateCount = EachItem(value, ';', VD_MAX_SEQUENCE,
                                     [c](uint16_t i, char* item) { ParseStep(&c->calibrate[i], item); });
        return 1;
    }
    if (strcmp(key, "fullTest") == 0) {
        c->fullTestCount = EachItem(value, ';', VD_MAX_SEQUENCE,
                                    [c](uint16_t i, char* item) { ParseStep(&c->fullTest[i], item); });
        return 1;
    }
    return 0;
}

}  // namespace

void VdDefaultConfig(VdConfig* c)
{
    memset(c, 0, sizeof *c);
    CopyBounded(c->product, sizeof c->product, "NQT-12");
    c->modelCode = 8;
    CopyBounded(c->serialNumber, sizeof c->serialNumber, "VD0420");
    CopyBounded(c->firmware, sizeof c->firmware, "2.13");
    c->hardwareVersion = 7;
    c->ramSize = 512;
    c->scsiId = 3;
    c->scsiVersion = 2;
    CopyBounded(c->modelVariant, sizeof c->modelVariant, "A2");
    CopyBounded(c->optionString, sizeof c->optionString, "STD");
    c->adapters = 1;
    c->adapter = 0;
    c->target = 3;
    c->openResult = 0;

    static const uint16_t kResolutions[] = {75, 100, 150, 200, 285, 300, 400, 570, 800};
    c->resolutionCount = sizeof kResolutions / sizeof kResolutions[0];
    memcpy(c->resolutions, kResolutions, sizeof kResolutions);
    static const uint16_t kDepths[] = {1, 8, 12, 16};
    c->depthCount = sizeof kDepths / sizeof kDepths[0];
    memcpy(c->depths, kDepths, sizeof kDepths);
    c->exposureKind = 2;
    c->exposureMin = 1;
    c->exposureMax = 40;
    c->exposureDefault = 12;
    c->lineAveraging = 4;
    c->bedWidth = 14;
    c->feederCapacity = 25;
    c->prescan = 1;

    c->statusCount = 1;               // ready at once
    c->unitReadyCount = 1;
    c->unitReady[0] = VD_UNIT_READY;
    c->calibrateCount = 3;
    c->calibrate[0].code = 4;
    c->calibrate[1].code = 0;
    CopyBounded(c->calibrate[1].text, sizeof c->calibrate[1].text, "White level 238, dark level 3\n");
    c->calibrate[2].code = 6;
    c->fullTestCount = 1;
    c->fullTest[0].code = 6;

    c->feederPresent = 1;
    c->feederSupport = 13;
    c->films = 3;
    c->fileDpi = 100;
    c->filmWidth = 12.0f;
    c->filmLength = 16.0f;

    c->badStatusLine = -1;
    c->stallLine = -1;
    c->stallMs = 12000;
}

int VdParseConfig(VdConfig* config, const char* text)
{
    int unknown = 0;
    const char* line = text;
    while (line && *line) {
        const char* end = strchr(line, '\n');
        size_t length = end ? (size_t)(end - line) : strlen(line);
        char buffer[1024];
        if (length >= sizeof buffer) length = sizeof buffer - 1;
        memcpy(buffer, line, length);
        buffer[length] = '\0';
        line = end ? end + 1 : nullptr;

        char* content = Trim(buffer);
        if (!*content || *content == ';' || *content == '#' || *content == '[') continue;
        char* equals = strchr(content, '=');
        if (!equals) {
            ++unknown;
            continue;
        }
        *equals = '\0';
        if (!Apply(config, Trim(content), Trim(equals + 1))) ++unknown;
    }
    return unknown;
}

int VdLoadConfigFile(VdConfig* config, const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file) return 0;
    char text[16384];
    size_t got = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    text[got] = '\0';
    VdParseConfig(config, text);
    return 1;
}

int VdCallFails(const VdConfig* config, const char* name)
{
    size_t length = strlen(name);
    const char* at = config->failCalls;
    while ((at = strstr(at, name)) != nullptr) {
        bool startOk = at == config->failCalls || at[-1] == ',' || at[-1] == ' ';
        char after = at[length];
        if (startOk && (after == '\0' || after == ',' || after == ' ')) return 1;
        at += length;
    }
    return 0;
}
