#include "scan_fixture.h"

#include <cstdio>
#include <cstring>

#include "box_responder.h"
#include "pipeline/scan_proc.h"
#include "digitizer/toolkit.h"

static ImageScript g_image;

ImageScript& Image(void) { return g_image; }

std::vector<uint8_t> ScriptLine(uint32_t line)
{
    std::vector<uint8_t> bytes(g_image.lineBytes);
    for (uint32_t x = 0; x < g_image.lineBytes / g_image.bytesPerSample; ++x) {
        const uint16_t v = g_image.sample ? g_image.sample(line, x) : uint16_t((line + x) & 0xFF);
        std::memcpy(&bytes[g_image.bytesPerSample * x], &v, g_image.bytesPerSample);
    }
    return bytes;
}

static TkStatus ScriptGetImage(uint8_t* buffer, uint32_t wanted, int32_t* got)
{
    g_image.requests.push_back(wanted);
    if (g_image.onCall)
        g_image.onCall(int(g_image.requests.size()));
    const uint64_t total = uint64_t(g_image.lines) * g_image.lineBytes, from = g_image.delivered;
    uint64_t end = from + (g_image.maxChunk && wanted > g_image.maxChunk ? g_image.maxChunk : wanted);
    if (end > total)
        end = total;
    std::vector<uint8_t> line;
    for (uint64_t at = from; at < end; ++at) {
        if (at == from || at % g_image.lineBytes == 0)
            line = ScriptLine(uint32_t(at / g_image.lineBytes));
        buffer[at - from] = line[at % g_image.lineBytes];
    }
    *got = int32_t(end - from);
    g_image.delivered = end;
    return end == total ? 10 : 0;
}

std::vector<std::vector<uint8_t>> BmpRows(const std::string& path, int32_t* width)
{
    std::vector<std::vector<uint8_t>> rows;
    const std::string b = ReadFileText(path);
    auto u32 = [&](size_t at) { uint32_t v; std::memcpy(&v, b.data() + at, 4); return v; };
    if (b.size() < 54 || b.compare(0, 2, "BM") != 0)
        return rows;
    if (width)
        *width = int32_t(u32(18));
    const size_t rowBytes = (size_t(u32(28) & 0xFFFF) * u32(18) + 7) / 8, stride = (rowBytes + 3) & ~size_t(3);
    const int32_t height = int32_t(u32(22));
    for (int32_t y = 0; height > 0 && u32(10) + stride * size_t(height) <= b.size() && y < height; ++y)
        rows.emplace_back(b.data() + u32(10) + y * stride, b.data() + u32(10) + y * stride + rowBytes);
    return rows;
}

void ScanFixture::TearDown()
{
    // The preview bitmaps outlive a scan by design; the rest is the scan's.
    for (int32_t group : {s.settings.scanPreviewGroup, s.settings.prescanGroup})
        if (group != FC_NO_GROUP)
            MemFreeGroup(group);
    EXPECT_EQ(MemGroupCount(), groupsBefore) << "memory groups still held";
    EXPECT_EQ(MemBlocksInUse(), blocksBefore) << "memory blocks still held";
    for (const std::string& file : files)
        for (const std::string& name : {file, file + ".tmp", file + "~"})
            DeleteFileA(name.c_str());
    DigitizerSessionTest::TearDown();
}

int32_t ScanFixture::Run()
{
    s.settings.scanState = 1;
    const int32_t result = ScanProcRun(main, &s.ds);
    s.settings.scanState = 0;
    return result;
}

void ScriptedScan::SetUp()
{
    Open(nullptr);
    NewImage();
    NoteMemory();
}

void ScriptedScan::NewImage()
{
    g_image = ImageScript();
    // Over the stand-ins: a scan asks nothing else of the digitizer.
    ScanKit table = {};
    table.getImage = ScriptGetImage;
    table.getAverageCount = [](uint16_t* count) -> TkStatus { *count = g_image.averageCount; return 0; };
    table.stopScan = []() -> TkStatus { ++g_image.stopScans; return 0; };
    ToolkitInstall(&table);
    BoxResponderClear();
}

void ScanFixture::SetScan(uint16_t resolution, uint32_t pixels, uint32_t lines, uint32_t depth,
                          const std::string& path, uint32_t format)
{
    s.settings.resolution = resolution;
    s.settings.scanPixels = pixels;
    s.settings.scanLines = lines;
    s.settings.maxLength = 17;
    s.settings.bitDepth = depth;
    s.settings.sampleBits = depth < 12 ? 8 : depth;
    s.settings.selectionFlags = 1;
    s.settings.progressTotal = pixels * lines * (depth > 8 ? 2 : 1);
    s.area.prescanMode = 0;
    s.image.autoEject = 1;
    s.area.cropLeft = 0.0f;
    s.image.landscape = 0;
    s.output.outputFormat = format;
    snprintf(s.output.outputPath, sizeof s.output.outputPath, "%s", path.c_str());
}

void ScriptedScan::Program(uint32_t pixels, uint32_t lines, uint32_t depth, const std::string& path, uint32_t format)
{
    SetScan(150, pixels, lines, depth, path, format);
    g_image.bytesPerSample = depth > 8 ? 2 : 1;
    g_image.lineBytes = pixels * g_image.bytesPerSample;
    g_image.lines = lines;
    std::remove(path.c_str());
    if (!path.empty())
        files.push_back(path);
}
