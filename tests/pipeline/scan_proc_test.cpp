// The file scan pipeline against a scripted digitizer: exact requests,
// split and stalled reads, the length limit, 1-bit packing, the empty
// digitizer, cancel, landscape rotation, region cuts and the release of
// everything a scan takes.
#include <windows.h>

#include "box_responder.h"
#include "frame/clock.h"
#include "frame/sysblock.h"
#include "pipeline/scan_proc.h"
#include "scan_test_support.h"

namespace {

std::vector<uint8_t> PackedLine(uint32_t line, uint32_t width, uint32_t threshold)
{
    const std::vector<uint8_t> samples = ScriptLine(line);
    std::vector<uint8_t> bits((width + 7) / 8, 0);
    for (uint32_t x = 0; x < width; ++x)
        if (samples[x] >= threshold)
            bits[x / 8] |= uint8_t(0x80 >> (x % 8));
    return bits;
}

void ExpectRowsAreLines(const BmpImage& bmp, uint32_t lines, uint32_t rowBytes)
{
    ASSERT_TRUE(bmp.valid);
    ASSERT_EQ(bmp.rows.size(), lines);
    for (uint32_t y = 0; y < lines; ++y) {
        std::vector<uint8_t> line = ScriptLine(y);
        line.resize(rowBytes);
        ASSERT_EQ(bmp.rows[y], line) << "row " << y;
    }
}

}  // namespace

struct RequestCase {
    uint16_t averageCount;
    uint32_t pixels, depth, lines, maxChunk;
    std::vector<uint32_t> requests;
};

TEST_F(ScanTest, RequestsAreWholeLinesOrAFullReadAndSplitLinesAreCompleted)
{
    const RequestCase cases[] = {
        // 15 lines a read, shrinking to the 10 still missing.
        {1, 2100, 8, 40, 0, {31500, 31500, 21000}},
        // at most 64 lines a read
        {1, 100, 8, 150, 0, {6400, 6400, 2200}},
        {1, 2100, 16, 20, 0, {29400, 29400, 25200}},
        // averaging: 32768 whatever the line, the split line completed
        {4, 2100, 8, 40, 0, {32768, 832, 32768, 832, 32768}},
        // a digitizer that hands out 1000 bytes at a time
        {1, 2100, 8, 3, 1000, {31500, 1100, 100, 4200, 1100, 100, 2100, 1100, 100}},
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pixels << " px, depth " << c.depth << ", average "
                                        << c.averageCount);
        Program(c.pixels, c.lines, c.depth, "scanproc_requests.bmp");
        Image().averageCount = c.averageCount;
        Image().maxChunk = c.maxChunk;
        bool roomForReadAndLine = true;
        Image().onCall = [&](int) {
            const ImageControl& ic = s.image;
            roomForReadAndLine &= uint32_t(ic.lineArea - ic.rawArea) >= 32768 + ic.bytesPerLine;
        };
        ASSERT_EQ(Run(), 1);
        EXPECT_EQ(Image().requests, c.requests);
        EXPECT_TRUE(roomForReadAndLine);
        ExpectRowsAreLines(ReadBmp("scanproc_requests.bmp"), c.lines, c.pixels * (c.depth > 8 ? 2 : 1));
        EXPECT_EQ(s.settings.imageHeight, c.lines);
        EXPECT_EQ(StubStatusText(), "Scan Completed Successfully.");
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_NE(s.settings.scanPreviewBits, nullptr);
        FreePreviews();
        EXPECT_EQ(MemoryNow(), before);
        InstallScriptedImage();
    }
}

TEST_F(ScanTest, StalledDigitizerEndsWithErrorOnTheLibraryClock)
{
    WriteFileBytes("scanproc_stall.bmp", "earlier image");
    Program(2100, 40, 8, "scanproc_stall.bmp");
    std::remove("scanproc_stall.bmp");
    WriteFileBytes("scanproc_stall.bmp", "earlier image");
    Image().stallAt = 5 * 2100 + 1050;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"ERROR: Error in Scan process."});
    EXPECT_GE(ClockSleptTotal(), 10000u);
    EXPECT_LT(ClockSleptTotal(), 11000u);
    EXPECT_GE(Image().stopScans, 2);
    EXPECT_TRUE(FileHolds("scanproc_stall.bmp", "earlier image"));
    EXPECT_EQ(MemoryNow(), before);
}

TEST_F(ScanTest, LengthLimitStopsAfterTheLongestFilm)
{
    Program(200, 3000, 8, "scanproc_limit.bmp");
    Image().endless = true;
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(s.image.linesDone, 2550u);
    EXPECT_EQ(ReadBmp("scanproc_limit.bmp").rows.size(), 2550u);
    EXPECT_EQ(s.settings.imageHeight, 2550u);
    FreePreviews();
    EXPECT_EQ(MemoryNow(), before);
}

TEST_F(ScanTest, OneBitLinesAreThresholdedWiderThan4800Pixels)
{
    Program(5000, 300, 1, "scanproc_bits.bmp");
    s.image.bitThreshold = 100;
    Image().sample = [](uint32_t line, uint32_t x) { return uint16_t((x * 7 + line) & 0xFF); };
    ASSERT_EQ(Run(), 1);
    const BmpImage bmp = ReadBmp("scanproc_bits.bmp");
    ASSERT_TRUE(bmp.valid);
    EXPECT_EQ(bmp.bits, 1);
    EXPECT_EQ(bmp.width, 5000);
    ASSERT_EQ(bmp.rows.size(), 300u);
    for (uint32_t y = 0; y < 300; ++y)
        EXPECT_EQ(bmp.rows[y], PackedLine(y, 5000, 100)) << "row " << y;
    // x = 0 on line 2 is sample 2 (clear); x = 14 on line 2 is 100, the threshold itself (set).
    EXPECT_EQ(bmp.rows[2][1] & 0x02, 0x02);
    EXPECT_NE(s.settings.scanPreviewBits, nullptr);
    FreePreviews();
    EXPECT_EQ(MemoryNow(), before);
}

struct NoFilmCase {
    uint32_t resolution, lines, depth;
    uint16_t sample;
    bool warned;
};

TEST_F(ScanTest, EmptyDigitizerIsRecognisedOnShortScansOnly)
{
    const NoFilmCase cases[] = {
        {150, 200, 8, 255, true},
        {150, 200, 8, 90, false},
        {100, 300, 8, 255, false},    // not short: not checked
        {150, 0, 8, 0, true},         // no preview line at all
        {150, 200, 16, 0xFFFF, true},
        {150, 200, 12, 0x0FFF, true},
        {150, 200, 12, 0x0400, false},   // film, with some grain
        {150, 200, 1, 255, true},     // the 1-bit list read as bits
        {150, 200, 1, 20, false},
    };
    for (const NoFilmCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lines << " lines at " << c.resolution << " dpi, depth "
                                        << c.depth << ", sample " << c.sample);
        BoxResponderClear();
        Program(600, c.lines, c.depth, "scanproc_nofilm.bmp");
        s.settings.resolution = c.resolution;
        const uint16_t sample = c.sample;
        // Film has grain; light through an empty digitizer is even.
        Image().sample = [sample, &c](uint32_t, uint32_t x) { return uint16_t(c.warned ? sample : sample + x % 64); };
        const int32_t result = Run();
        if (c.warned) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(BoxTexts(), std::vector<std::string>{"WARNING: Please Load a Film in the Digitizer."});
            EXPECT_FALSE(FileExists("scanproc_nofilm.bmp"));
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_TRUE(BoxTexts().empty());
            EXPECT_EQ(ReadBmp("scanproc_nofilm.bmp").rows.size(), c.lines);
        }
        FreePreviews();
        EXPECT_EQ(MemoryNow(), before);
        InstallScriptedImage();
    }
}

TEST_F(ScanTest, CancelDuringScanAndPrescanLeavesNoFile)
{
    for (uint32_t prescan : {0u, 1u}) {
        SCOPED_TRACE(prescan ? "prescan" : "final scan");
        WriteFileBytes("scanproc_cancel.bmp", "earlier image");
        Program(2100, 200, 8, "scanproc_cancel.bmp");
        WriteFileBytes("scanproc_cancel.bmp", "earlier image");
        s.area.prescanMode = prescan;
        // The click lands while the digitizer is reading the third block.
        Image().onCall = [](int call) { if (call == 3) StubClickCancel(); };
        ResetScanDialogStub();
        EXPECT_EQ(Run(), 1);
        EXPECT_EQ(StubStatusText(), "Scan Cancelled.");
        EXPECT_EQ(s.settings.scanCancelled, 1);
        EXPECT_EQ(Image().requests.size(), 3u);
        EXPECT_GE(Image().stopScans, 2);
        EXPECT_TRUE(FileHolds("scanproc_cancel.bmp", "earlier image"));
        EXPECT_FALSE(FileExists("scanproc_cancel.bmp.tmp"));
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_EQ(MemoryNow(), before);
        InstallScriptedImage();
    }
}

TEST_F(ScanTest, CancelOnAProgressUpdate)
{
    Program(2100, 200, 8, "scanproc_cancel_progress.bmp");
    StubCancelAfterProgress(1);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(StubProgressCount(), 1);
    EXPECT_EQ(StubStatusText(), "Scan Cancelled.");
    EXPECT_FALSE(FileExists("scanproc_cancel_progress.bmp"));
    EXPECT_EQ(s.settings.scanPreviewBits, nullptr);
    EXPECT_EQ(MemoryNow(), before);
}

struct RotationCase {
    uint32_t pixels, lines, depth;
};

TEST_F(ScanTest, LandscapeTurnsTheImageWithTheLastLineAtTheLeft)
{
    const RotationCase cases[] = {{800, 1000, 8}, {300, 200, 16}, {37, 21, 1}};
    for (const RotationCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pixels << " x " << c.lines << " depth " << c.depth);
        Program(c.pixels, c.lines, c.depth, "scanproc_landscape.bmp");
        s.image.landscape = 1;
        ASSERT_EQ(Run(), 1);
        const BmpImage bmp = ReadBmp("scanproc_landscape.bmp");
        ASSERT_TRUE(bmp.valid);
        EXPECT_EQ(bmp.width, int32_t(c.lines));
        ASSERT_EQ(bmp.rows.size(), c.pixels);
        for (uint32_t r = 0; r < c.pixels; ++r) {
            for (uint32_t x = 0; x < c.lines; ++x) {
                const uint32_t line = c.lines - 1 - x;
                bool same;
                if (c.depth == 1) {
                    const bool set = PackedLine(line, c.pixels, s.image.bitThreshold)[r / 8] & (0x80 >> (r % 8));
                    same = set == bool(bmp.rows[r][x / 8] & (0x80 >> (x % 8)));
                } else {
                    const uint32_t n = c.depth > 8 ? 2 : 1;
                    same = std::equal(bmp.rows[r].begin() + x * n, bmp.rows[r].begin() + (x + 1) * n,
                                      ScriptLine(line).begin() + r * n);
                }
                ASSERT_TRUE(same) << "row " << r << " pixel " << x;
            }
        }
        // Callers see the size as scanned.
        EXPECT_EQ(s.settings.imageWidth, c.pixels);
        EXPECT_EQ(s.settings.imageHeight, c.lines);
        EXPECT_FALSE(FileExists("scanproc_landscape.bmp.tmp"));
        FreePreviews();
        EXPECT_EQ(MemoryNow(), before);
        InstallScriptedImage();
    }
}

TEST_F(ScanTest, RegionCutKeepsTheSelectionWithinTheDeliveredLine)
{
    struct { float right; uint32_t depth, width; } cases[] = {
        {2.0f, 8, 300}, {2.0f, 16, 300}, {10.0f, 8, 700}};   // 10 inches is past the 700 pixels
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.right << " in, depth " << c.depth);
        Program(700, 30, c.depth, "scanproc_region.bmp");
        s.settings.selectionFlags = 0;
        s.area.cropLeft = 0.0f;
        s.area.cropRight = c.right;
        ASSERT_EQ(Run(), 1);
        EXPECT_EQ(s.settings.scanWidth, c.width);
        const BmpImage bmp = ReadBmp("scanproc_region.bmp");
        EXPECT_EQ(bmp.width, int32_t(c.width));
        ExpectRowsAreLines(bmp, 30, c.width * (c.depth > 8 ? 2 : 1));
        FreePreviews();
        EXPECT_EQ(MemoryNow(), before);
        InstallScriptedImage();
    }
}

TEST_F(ScanTest, EmptyOutputPathWritesTheDefaultBitmap)
{
    Program(100, 10, 8, "");
    s.output.outputPath[0] = '\0';
    std::remove("c:\\nqt\\temp\\temp.bmp");
    ASSERT_EQ(Run(), 1);
    EXPECT_STREQ(s.output.outputPath, "c:\\nqt\\temp\\temp.bmp");
    ExpectRowsAreLines(ReadBmp("c:\\nqt\\temp\\temp.bmp"), 10, 100);
    FreePreviews();
    EXPECT_EQ(MemoryNow(), before);
}

TEST_F(ScanTest, InitialisationFailuresAreReportedAndReleaseOnlyWhatWasTaken)
{
    struct { uint16_t average; uint32_t depth, pixels; const char* box; } cases[] = {
        {0, 8, 100, "ERROR: Bad averageCount"},
        {1, 4, 100, "ERROR: Bad BitDepth"},
        {1, 8, 0, "ERROR: Bad scanWidth"},
    };
    for (const auto& c : cases) {
        BoxResponderClear();
        Program(c.pixels, 10, c.depth, "scanproc_badinit.bmp");
        Image().averageCount = c.average;
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.box});
        EXPECT_EQ(s.image.preview.group, FC_NO_GROUP);
        EXPECT_EQ(MemoryNow(), before);
    }
    // Refuse each system allocation of a scan in turn: whatever fails, all
    // is given back, and a file under the final name is a whole image.
    for (int allowed = 0; allowed < 14; ++allowed) {
        for (uint32_t variant = 0; variant < 3; ++variant) {
            SCOPED_TRACE(testing::Message() << allowed << " allocations allowed, variant " << variant);
            const uint32_t depth = variant == 1 ? 1 : 8;
            Program(700, 30, depth, variant == 0 ? "scanproc_refused.dcm" : "scanproc_refused.bmp",
                    variant == 0 ? 3 : 1);
            s.image.landscape = variant == 2;
            SysBlockRefuseAfter(allowed);
            const int32_t result = Run();
            SysBlockRefuseAfter(-1);
            EXPECT_EQ(s.image.preview.group, FC_NO_GROUP);
            EXPECT_EQ(s.image.blockMemory, nullptr);
            if (variant != 0 && FileExists("scanproc_refused.bmp")) {
                const BmpImage bmp = ReadBmp("scanproc_refused.bmp");
                EXPECT_TRUE(bmp.valid);
                EXPECT_EQ(bmp.rows.size(), variant == 2 ? 700u : 30u);
            } else if (variant != 0) {
                EXPECT_EQ(result, 0);
            }
            FreePreviews();
            EXPECT_EQ(MemoryNow(), before);
            InstallScriptedImage();
        }
    }
}

TEST_F(ScanTest, FreeMemTwiceNeverFreesAnotherOwnersGroup)
{
    for (uint32_t depth : {8u, 1u}) {
        Program(700, 30, depth, "scanproc_twice.bmp");
        ASSERT_EQ(Run(), 1);
        FreePreviews();
        // The scan's preview group number is free again: someone else takes it.
        int32_t other = FC_NO_GROUP;
        ASSERT_EQ(MemGetGroupID(&other), FC_OK);
        EXPECT_EQ(ScanProcFreeMem(dialog, &s.ds), 1);
        EXPECT_EQ(ScanProcFreeMem(dialog, &s.ds), 1);
        EXPECT_EQ(MemGetGroupPtr(other, nullptr), FC_OK);
        EXPECT_EQ(s.image.preview.group, FC_NO_GROUP);
        MemFreeGroup(other);
        EXPECT_EQ(MemoryNow(), before);
        InstallScriptedImage();
    }
}
