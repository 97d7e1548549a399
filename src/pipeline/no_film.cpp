// Recognises an empty digitizer from the preview of a short scan: with no
// film the light passes unhindered and even the darkest tenth of the
// samples is close to full scale.
#include <string.h>

#include "pipeline/scan_proc.h"

namespace {

constexpr uint32_t kBins = 32000;
constexpr int kAnswerFilm = 0;
constexpr int kAnswerNoFilm = 1;
constexpr int kAnswerListShort = 2;

uint32_t SampleAt(const RszData* preview, const uint8_t* line, uint32_t x)
{
    if (preview->bitDepth == 1)  // the 1-bit list: each bit a sample
        return (line[x / 8] >> (7 - x % 8)) & 1u;
    if (preview->bytesPerSample == 2) {
        uint16_t v;
        memcpy(&v, line + 2 * x, 2);
        return v;
    }
    return line[x];
}

int Answer(uint16_t* counts, uint64_t total, uint32_t depth)
{
    int64_t remainder = int64_t(total / 10);
    uint32_t bin = 0;
    for (; bin < kBins; ++bin) {
        remainder -= counts[bin];
        if (remainder < 0)
            break;
    }
    const uint64_t level = depth > 8 ? uint64_t(bin) * 2 : bin;
    const uint64_t fullScale = uint64_t(1) << depth;
    return level >= uint64_t(double(fullScale) * 0.95) ? kAnswerNoFilm : kAnswerFilm;
}

}  // namespace

int ScanProcDetectNoFilm(DSData* ds)
{
    if (!ds || !ds->ImageControl)
        return kAnswerFilm;
    const RszData* preview = &ds->ImageControl->preview;
    uint32_t depth = preview->bitDepth;
    if (depth == 0 || depth > 16)
        depth = 16;
    const uint32_t mask = (1u << depth) - 1;
    const uint32_t w = preview->previewWidth, h = preview->previewLines;

    int32_t group = FC_NO_GROUP;
    if (MemGetGroupID(&group) != FC_OK)
        return kAnswerFilm;
    uint16_t* counts = static_cast<uint16_t*>(MemGetBuffer(group, int32_t(kBins * sizeof(uint16_t))));
    if (!counts) {
        MemFreeGroup(group);
        return kAnswerFilm;
    }
    memset(counts, 0, kBins * sizeof(uint16_t));

    const uint32_t mx = w / 50, my = h / 50;
    const uint32_t step = uint64_t(w) + h < 1024 ? 1 : 2;
    const uint32_t lines = h - 2 * my;
    uint64_t total = 0;
    int answer = -1;
    const RszLine* node = preview->firstLine;
    for (uint32_t y = 0; y < lines; ++y, node = node->next) {
        if (!node || !node->data) {
            answer = kAnswerListShort;
            break;
        }
        if (y % step != 0)
            continue;
        for (uint32_t x = mx; x + mx < w; x += step) {
            const uint32_t sample = SampleAt(preview, node->data, x) & mask;
            uint32_t bin = depth <= 8 ? sample : sample / 2;
            if (bin >= kBins)
                bin = kBins - 1;
            if (counts[bin] < 0xFFFF)
                ++counts[bin];
            ++total;
        }
    }
    if (answer < 0)
        answer = Answer(counts, total, depth);
    MemFreeGroup(group);
    return answer;
}
