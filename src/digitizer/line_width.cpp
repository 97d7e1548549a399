#include "line_width.h"

#include <string.h>

#include "digitizer/toolkit.h"
#include "frame/clock.h"
#include "frame/phase_timing.h"

static const uint16_t kPageBytes = 128;
static const int kAttempts = 20;

uint16_t ParseLineWidth(const uint8_t* page, uint32_t length)
{
    uint32_t value = 0;
    uint32_t i = 5;
    while (i < length && (page[i] == ' ' || page[i] == '\t'))
        ++i;
    for (; i < length && page[i] >= '0' && page[i] <= '9'; ++i) {
        value = value * 10 + (page[i] - '0');
        if (value > 0xFFFF)
            return 0xFFFF;
    }
    return static_cast<uint16_t>(value);
}

uint16_t QueryLineWidth(uint32_t bitDepth)
{
    PHASE_SPAN("QueryLineWidth");
    uint16_t width = 0;
    for (int attempt = 0; attempt < kAttempts && width == 0; ++attempt) {
        ClockSleep(50);
        uint8_t page[kPageBytes + 1];
        memset(page, 0, sizeof page);
        Toolkit()->diagReportStatus(0, page, kPageBytes);
        width = ParseLineWidth(page, kPageBytes);
    }
    if (bitDepth == 8)
        width = static_cast<uint16_t>(width & 0xFFFEu);
    return width;
}
