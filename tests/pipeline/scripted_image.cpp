#include "scripted_image.h"

#include <cstring>

#include "scanner/toolkit.h"

static ImageScript g_image;

ImageScript& Image(void)
{
    return g_image;
}

std::vector<uint8_t> ScriptLine(uint32_t line)
{
    std::vector<uint8_t> bytes(g_image.lineBytes);
    const uint32_t samples = g_image.lineBytes / g_image.bytesPerSample;
    for (uint32_t x = 0; x < samples; ++x) {
        const uint16_t v = g_image.sample ? g_image.sample(line, x) : uint16_t((line + x) & 0xFF);
        if (g_image.bytesPerSample == 2)
            std::memcpy(&bytes[2 * x], &v, 2);
        else
            bytes[x] = uint8_t(v);
    }
    return bytes;
}

namespace image {

TkStatus getImage(uint8_t* buffer, uint32_t wanted, int32_t* got)
{
    g_image.requests.push_back(wanted);
    if (g_image.onCall)
        g_image.onCall(int(g_image.requests.size()));
    *got = 0;
    const uint64_t total = uint64_t(g_image.lines) * g_image.lineBytes;
    uint64_t end = g_image.delivered + wanted;
    if (g_image.maxChunk && end > g_image.delivered + g_image.maxChunk)
        end = g_image.delivered + g_image.maxChunk;
    if (!g_image.endless && end > total)
        end = total;
    if (g_image.stallAt >= 0 && end > uint64_t(g_image.stallAt))
        end = g_image.delivered > uint64_t(g_image.stallAt) ? g_image.delivered : uint64_t(g_image.stallAt);
    std::vector<uint8_t> line;
    uint32_t lineIndex = UINT32_MAX;
    for (uint64_t at = g_image.delivered; at < end; ++at) {
        const uint32_t index = uint32_t(at / g_image.lineBytes);
        if (index != lineIndex) {
            line = ScriptLine(index);
            lineIndex = index;
        }
        buffer[at - g_image.delivered] = line[at % g_image.lineBytes];
    }
    *got = int32_t(end - g_image.delivered);
    g_image.delivered = end;
    return !g_image.endless && g_image.delivered == total ? 10 : 0;
}

TkStatus getAverageCount(uint16_t* count)
{
    *count = g_image.averageCount;
    return 0;
}

TkStatus stopScan(void)
{
    ++g_image.stopScans;
    return 0;
}

TkStatus loadMedium(void)
{
    ++g_image.loadMediums;
    return 0;
}

}  // namespace image

ImageScript& InstallScriptedImage(void)
{
    g_image = ImageScript();
    ScanKit table = *Toolkit();
    table.getImage = image::getImage;
    table.getAverageCount = image::getAverageCount;
    table.stopScan = image::stopScan;
    table.loadMedium = image::loadMedium;
    ToolkitInstall(&table);
    return g_image;
}
