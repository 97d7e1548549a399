// The memory transfer against a scripted digitizer: what is asked for, what
// the caller's buffer receives (never more than it holds), and the end.
#include <cstring>

#include "frame/memgroups.h"
#include "scan_fixture.h"
#include "res/resource.h"

namespace {

class MemScan : public ScriptedScan {
protected:
    struct Read { int32_t result; uint32_t bytes, lines; int32_t status; std::vector<uint8_t> data; };

    void Start()
    {
        s.settings.scanState = 1;
        ASSERT_EQ(MemScanInitialize(main, &s.ds), 1);
    }

    Read ReadBlock(uint32_t bufferBytes, uint32_t wanted)
    {
        // Guard bytes behind the buffer catch a write past byteCount.
        std::vector<uint8_t> buffer(bufferBytes + 64, 0xA5);
        Read r{0, bufferBytes, wanted, 0, {}};
        r.result = MemScanReadBlock(&s.ds, buffer.data(), &r.bytes, &r.lines, &r.status);
        EXPECT_EQ(std::vector<uint8_t>(64, 0xA5), std::vector<uint8_t>(buffer.end() - 64, buffer.end()))
            << "written past the buffer";
        r.data.assign(buffer.begin(), buffer.begin() + r.bytes);
        return r;
    }

    // The block is kept after the transfer until the next scan releases it.
    void TearDown() override
    {
        ScanProcFreeMem(main, &s.ds);
        ScriptedScan::TearDown();
    }
};

// A line as the transfer delivers it: cut to `width` samples, packed at depth 1.
std::vector<uint8_t> Delivered(uint32_t line, uint32_t width, uint32_t depth, uint32_t threshold)
{
    std::vector<uint8_t> raw = ScriptLine(line), bits((width + 7) / 8, 0);
    raw.resize(width * (depth > 8 ? 2 : 1));
    for (uint32_t x = 0; x < width && depth == 1; ++x)
        bits[x / 8] |= raw[x] >= threshold ? uint8_t(0x80 >> (x % 8)) : 0;
    return depth == 1 ? bits : raw;
}

}  // namespace

TEST_F(MemScan, AsksForExactlyTheLinesWantedUntilTheEndOfTheImageAndFinishes)
{
    Program(2000, 30, 8, "");
    int32_t stale = FC_NO_GROUP;   // the preview of an earlier scan
    ASSERT_EQ(MemGetGroupID(&stale), FC_OK);
    s.settings.scanPreviewGroup = stale;
    Start();
    const Read tooSmall = ReadBlock(1999, 5);
    EXPECT_TRUE(tooSmall.result == 1 && tooSmall.bytes == 0 && tooSmall.lines == 0 && Image().requests.empty());
    // The third call wants 20 lines: one read of 16 whole lines, of which 10 remain.
    for (uint32_t call = 0; call < 3; ++call) {
        const Read r = ReadBlock(64000, call == 2 ? 20 : 10);
        std::vector<uint8_t> lines;
        for (uint32_t i = 0; i < 10; ++i) {
            const std::vector<uint8_t> line = ScriptLine(call * 10 + i);
            lines.insert(lines.end(), line.begin(), line.end());
        }
        EXPECT_TRUE(r.result == 1 && r.lines == 10 && r.bytes == 20000 && r.data == lines) << "call " << call;
        EXPECT_EQ(r.status, call == 2 ? 10 : 0);
    }
    EXPECT_EQ(Image().requests, (std::vector<uint32_t>{20000, 20000, 32000}));
    EXPECT_EQ(s.settings.scanState, 1);
    const Read end = ReadBlock(64000, 10);
    EXPECT_TRUE(end.result == 1 && end.lines == 0 && end.bytes == 0);
    EXPECT_EQ(s.settings.scanState, 2);
    EXPECT_EQ(Image().requests.size(), 3u);
    EXPECT_EQ(StubStatusText(), "Scanning...");
    EXPECT_EQ(MemScanFinish(&s.ds), 1);
    EXPECT_TRUE(s.settings.imageWidth == 2000 && s.settings.imageHeight == 30 && s.settings.progressPercent == 100);
    EXPECT_EQ(MemGetGroupPtr(stale, nullptr), FC_NO_SUCH_GROUP) << "a memory transfer builds no preview";
    EXPECT_EQ(s.settings.scanPreviewGroup, FC_NO_GROUP);
    const int stops = Image().stopScans;
    s.settings.scanState = 1;
    EXPECT_EQ(MemStopScan(&s.ds), 1);
    EXPECT_TRUE(s.settings.scanState == 2 && Image().stopScans == stops) << "the digitizer is not told";
}

// Ending the transfer states what was delivered as the whole image, however
// much programming expected: 100 % of the bytes done, or 0 % of nothing.
TEST_F(MemScan, FinishCountsTheBytesDoneAsTheWholeImage)
{
    for (const uint32_t wanted : {0u, 1u, 9u}) {
        SCOPED_TRACE(testing::Message() << wanted << " lines read");
        NewImage();
        Program(2000, 30, 8, "");
        s.settings.progressTotal = 60000;
        s.settings.progressPercent = 7;
        s.settings.progressBytes = 1234;
        Start();
        if (wanted) {
            ASSERT_EQ(ReadBlock(64000, wanted).lines, wanted);
        }
        const int progress = StubCommandsReceived(IDM_REPAINT_PROGRESS);
        EXPECT_EQ(MemScanFinish(&s.ds), 1);
        const uint32_t done = wanted * 2000;
        EXPECT_EQ(s.settings.progressBytes, done);
        EXPECT_EQ(s.settings.progressTotal, done);
        EXPECT_EQ(s.settings.progressPercent, wanted ? 100u : 0u);
        EXPECT_EQ(StubCommandsReceived(IDM_REPAINT_PROGRESS), progress + 1);
        EXPECT_EQ(s.settings.imageHeight, wanted);
    }
}

TEST_F(MemScan, TwelveBitSamplesMoveIntoTheHighBitsOnlyAtDepth12)
{
    const struct { uint32_t depth, twelveHigh, selection; uint16_t delivered; } cases[] = {
        {12, 1, 1, 0xABC0}, {12, 0, 1, 0x0ABC}, {16, 1, 1, 0x0ABC},
        {12, 1, 0, 0xABC0},   // region: the copy that is delivered is shifted
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " bits, 12 HI " << c.twelveHigh << ", " << c.selection);
        NewImage();
        Program(400, 4, c.depth, "");
        s.settings.selectionFlags = uint16_t(c.selection);
        s.area.cropRight = 1.0f;   // 150 of the 400 samples
        s.image.twelveHigh = c.twelveHigh;
        Image().sample = [](uint32_t, uint32_t) { return uint16_t(0x0ABC); };
        Start();
        const uint32_t samples = c.selection ? 400 : 150;
        const Read r = ReadBlock(4 * 800, 4);
        ASSERT_EQ(r.lines, 4u);
        ASSERT_EQ(r.bytes, 4 * 2 * samples);
        std::vector<uint16_t> delivered(4 * samples);
        std::memcpy(delivered.data(), r.data.data(), r.bytes);
        EXPECT_EQ(delivered, std::vector<uint16_t>(4 * samples, c.delivered));
    }
}

TEST_F(MemScan, CancelReturnsZeroAndCompletesTheState)
{
    Program(2000, 400, 8, "");
    Start();
    Image().onCall = [](int call) { if (call == 2) StubClickCancel(); };
    const Read r = ReadBlock(200 * 2000, 200);
    EXPECT_TRUE(r.result == 0 && s.settings.scanState == 2 && Image().stopScans >= 1);
    EXPECT_EQ(Image().requests.size(), 2u);
    EXPECT_EQ(r.lines, 32u);   // two reads of 16 lines were delivered
}

TEST_F(MemScan, SurplusLinesWithAveragingWaitForTheNextCall)
{
    const struct { uint32_t depth, selection, width; } cases[] = {{8, 1, 1000}, {1, 0, 300}, {16, 0, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " selection " << c.selection);
        NewImage();
        Program(1000, 200, c.depth, "");
        s.settings.selectionFlags = uint16_t(c.selection);
        s.area.cropLeft = 0.5f;
        s.area.cropRight = 2.5f;   // 300 samples
        Image().averageCount = 2;
        Start();
        const uint32_t lineBytes = uint32_t(Delivered(0, c.width, c.depth, s.image.bitThreshold).size());
        uint32_t line = 0;
        for (int call = 0; call < 100 && line < 200; ++call) {
            const Read r = ReadBlock(10 * lineBytes + lineBytes / 2, 25);
            ASSERT_EQ(r.result, 1);
            ASSERT_LE(r.lines, 10u);
            ASSERT_EQ(r.bytes, r.lines * lineBytes);
            for (uint32_t i = 0; i < r.lines; ++i, ++line)
                ASSERT_TRUE(std::equal(r.data.begin() + i * lineBytes, r.data.begin() + (i + 1) * lineBytes,
                                       Delivered(line, c.width, c.depth, s.image.bitThreshold).begin()))
                    << "line " << line;
        }
        EXPECT_EQ(line, 200u);
        for (uint32_t request : Image().requests)
            EXPECT_TRUE(request == 32768 || request < 2 * 1000) << request;
        EXPECT_EQ(ReadBlock(10 * lineBytes, 10).lines, 0u);
        EXPECT_EQ(s.settings.scanState, 2);
    }
}
