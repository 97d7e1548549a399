// The portable pieces of the scan pipelines: request sizes, the block, the
// region width, 1-bit packing, the 12-bit shift, the temporary line file,
// the no-film check and the landscape rotation.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frame/memgroups.h"
#include "imagefile/output_writer.h"
#include "pipeline/rsz_bitlist.h"
#include "pipeline/scan_lines.h"
#include "pipeline/scan_proc.h"

namespace {

struct Records {
    DSData ds{};
    HostServices host{};
    ScannerInfo scanner{};
    ScanSettings settings{};
    ScanArea area{};
    ImageControl image{};
    OutputSettings output{};
    Records()
    {
        ds = {&host, &scanner, &settings, &area, &image, &output};
        image.preview.group = FC_NO_GROUP;
    }
};

class ScanLinesTest : public ::testing::Test {
protected:
    void SetUp() override { MemInit(4000); }
    void TearDown() override { MemDeinit(); }
};

bool Exists(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(uint8_t(c));
    std::fclose(f);
    return bytes;
}

}  // namespace

TEST(ScanRequest, WholeLinesWithinOneReadOrAFullReadWithAveraging)
{
    struct { uint32_t bytesPerLine, lines; uint16_t average; uint32_t request; } cases[] = {
        {2100, 15, 1, 31500}, {2000, 10, 1, 20000}, {2000, 64, 1, 32000}, {100, 64, 1, 6400},
        {4200, 0, 1, 0}, {2100, 15, 2, 32768}, {100, 1, 8, 32768},
        {40000, 1, 1, 40000},   // a line longer than a read is still asked for whole
        {3000, 0x7FFFFFFF, 1, 30000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileScanRequest(c.bytesPerLine, c.lines, c.average), c.request)
            << c.bytesPerLine << " x " << c.lines << " average " << c.average;
}

TEST(ScanRequest, BlockHoldsOneReadAndTheRestOfASplitLine)
{
    for (uint16_t average : {1, 2, 3, 4, 7, 16})
        for (uint32_t bytesPerLine : {1u, 2100u, 4200u, 22400u, 40000u}) {
            const uint32_t half = ScanBlockHalfBytes(average, 32768 / average, bytesPerLine);
            EXPECT_GE(half, std::max<uint32_t>(32768, bytesPerLine) + bytesPerLine);
        }
}

TEST(ScanWidth, RegionIsKeptInsideTheDeliveredLine)
{
    struct { uint32_t prescan, flags, depth; float left, right; uint32_t width, lineBytes; } cases[] = {
        {0, 0, 8, 1.0f, 3.0f, 300, 300},
        {0, 0, 16, 1.0f, 3.0f, 300, 600},
        {0, 0, 8, 0.0f, 20.0f, 2100, 2100},     // wider than the line
        {0, 0, 12, 0.0f, 20.0f, 2100, 4200},
        {0, 0, 8, 3.0f, 1.0f, 0, 0},            // reversed edges: nothing
        {0, 1, 8, 1.0f, 3.0f, 2100, 77},        // whole frame: lineBytes untouched
        {1, 0, 8, 1.0f, 3.0f, 2100, 77},        // prescan
    };
    for (const auto& c : cases) {
        Records r;
        r.area.prescanMode = c.prescan;
        r.area.cropLeft = c.left;
        r.area.cropRight = c.right;
        r.settings.selectionFlags = uint16_t(c.flags);
        r.settings.bitDepth = c.depth;
        r.settings.resolution = 150;
        r.settings.scanPixels = 2100;
        r.settings.lineBytes = 77;
        SetScanWidth(&r.area, &r.settings, &r.image);
        EXPECT_EQ(r.settings.scanWidth, c.width) << c.left << ".." << c.right;
        EXPECT_EQ(r.settings.lineBytes, c.lineBytes) << c.left << ".." << c.right;
    }
}

TEST(BitLine, ThresholdSetsTheBitAndWideLinesFit)
{
    for (uint32_t width : {1u, 8u, 4800u, 4801u, 11200u}) {
        std::vector<uint8_t> samples(width);
        for (uint32_t x = 0; x < width; ++x)
            samples[x] = uint8_t(x * 13);
        std::vector<uint8_t> bits(BitLineBytes(width), 0xEE);   // exact size: ASan sees an overrun
        PackBitLine(samples.data(), width, 130, bits.data());
        for (uint32_t x = 0; x < width; ++x)
            ASSERT_EQ(bool(bits[x / 8] & (0x80 >> (x % 8))), samples[x] >= 130) << x;
        for (uint32_t x = width; x < bits.size() * 8; ++x)
            ASSERT_FALSE(bits[x / 8] & (0x80 >> (x % 8))) << "padding bit " << x;
    }
    const uint8_t equal[1] = {130};
    uint8_t bit = 0;
    PackBitLine(equal, 1, 130, &bit);
    EXPECT_EQ(bit, 0x80);
}

TEST(TwelveHigh, ShiftsEachSample)
{
    uint16_t line[3] = {0x0ABC, 0x0FFF, 0x0001};
    ShiftTwelveHigh(reinterpret_cast<uint8_t*>(line), 2);
    EXPECT_EQ(line[0], 0xABC0);
    EXPECT_EQ(line[1], 0xFFF0);
    EXPECT_EQ(line[2], 0x0001);
}

TEST(LengthLimit, NoLinesPastTheLongestFilm)
{
    ScanSettings s{};
    s.maxLength = 17;
    s.resolution = 150;
    EXPECT_EQ(LinesWithinLengthLimit(&s, 2500, 64), 50u);
    EXPECT_EQ(LinesWithinLengthLimit(&s, 2550, 64), 0u);
    EXPECT_EQ(LinesWithinLengthLimit(&s, 0, 64), 64u);
    EXPECT_FALSE(LengthLimitReached(&s, 2549));
    EXPECT_TRUE(LengthLimitReached(&s, 2550));
}

TEST_F(ScanLinesTest, TempFileNameThatDoesNotFitIsRefusedWhole)
{
    Records r;
    const std::string tooLong = "pipeline_" + std::string(243, 'n');   // 252 + ".tmp" > 255
    std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", tooLong.c_str());
    EXPECT_EQ(ScanProcOpenTempFile(&r.ds), FC_OPEN_FAILED);
    EXPECT_STREQ(r.image.tempPath, "");
    EXPECT_EQ(r.image.tempFile, nullptr);
    EXPECT_FALSE(Exists((tooLong + ".tmp").substr(0, 255)));
    ScanProcCloseTempFile(&r.ds);   // nothing of ours to delete

    const std::string fits = "pipeline_" + std::string(242, 'f');   // 251 + ".tmp" = 255
    std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", fits.c_str());
    ASSERT_EQ(ScanProcOpenTempFile(&r.ds), FC_OK);
    EXPECT_EQ(std::string(r.image.tempPath), fits + ".tmp");
    struct { uint32_t depth, width, bytes; } lines[] = {{1, 13, 2}, {8, 13, 13}, {12, 13, 26}, {16, 5, 10}};
    const uint8_t data[32] = {0};
    uint32_t total = 0;
    for (const auto& l : lines) {
        r.settings.bitDepth = l.depth;
        r.settings.scanWidth = l.width;
        EXPECT_EQ(ScanProcWriteTempLine(&r.ds, data), FC_OK);
        total += l.bytes;
    }
    std::fflush(r.image.tempFile);
    EXPECT_EQ(ReadAll(fits + ".tmp").size(), total);
    ScanProcCloseTempFile(&r.ds);
    EXPECT_FALSE(Exists(fits + ".tmp"));
    EXPECT_STREQ(r.image.tempPath, "");
}

TEST_F(ScanLinesTest, NoFilmReadsThePreviewForWhatItIs)
{
    struct { uint32_t depth; uint16_t sample, grain; int answer; } cases[] = {
        {8, 250, 0, 1}, {8, 200, 40, 0}, {16, 0xFFFF, 0, 1}, {16, 40000, 500, 0},
        {12, 0x0FF0, 0, 1}, {12, 0x0E00, 0, 0},
        {1, 1, 0, 1},   // bits: all bright
        {1, 0, 0, 0},   // all dark
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " sample " << c.sample);
        Records r;
        const uint32_t width = 900, lines = 200;
        r.settings.scanWidth = width;
        RszData* preview = &r.image.preview;
        if (c.depth == 1) {
            ASSERT_EQ(RszBitInit(&r.ds, 3), FC_OK);
            std::vector<uint8_t> bits((width + 7) / 8, c.sample ? 0xFF : 0x00);
            for (uint32_t y = 0; y < lines; ++y)
                ASSERT_EQ(RszBitInputLine(&r.ds, bits.data()), FC_OK);
        } else {
            const uint16_t bytes = c.depth > 8 ? 2 : 1;
            ASSERT_EQ(RszInitData(preview, width, bytes, uint16_t(c.depth), 3), FC_OK);
            std::vector<uint8_t> line(width * bytes);
            for (uint32_t x = 0; x < width; ++x) {
                const uint16_t v = uint16_t(c.sample - (x % 7 == 0 ? c.grain : 0));
                std::memcpy(&line[x * bytes], &v, bytes);
            }
            for (uint32_t y = 0; y < lines; ++y)
                ASSERT_EQ(RszInputDataBlock(preview, line.data(), uint32_t(line.size())), FC_OK);
        }
        EXPECT_EQ(ScanProcDetectNoFilm(&r.ds), c.answer);
        // A preview claiming more lines than its list holds.
        preview->previewLines += 20;
        EXPECT_EQ(ScanProcDetectNoFilm(&r.ds), 2);
        preview->previewLines -= 20;
        c.depth == 1 ? RszBitFree(&r.ds) : FreeRszData(preview);
    }
}

TEST_F(ScanLinesTest, RotationTurnsColumnStripsIntoRows)
{
    struct { uint32_t depth, width, lines; } cases[] = {
        {8, 1000, 3000},   // two strips of 682 bytes
        {16, 700, 2500},   // even strips
        {1, 8000, 3000},   // bits, two strips
        {1, 13, 21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " " << c.width << " x " << c.lines);
        Records r;
        r.settings.bitDepth = c.depth;
        r.settings.scanWidth = c.width;
        r.image.linesDone = c.lines;
        const std::string path = "pipeline_rotation.bmp";
        std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", path.c_str());
        ASSERT_EQ(OpenOutputWriter(&r.image.outputWriter, path.c_str(), OUTPUT_BITMAP), FC_OK);
        const uint32_t bits = c.depth;
        SetWriterParam(&r.image.outputWriter, BitsPerSample, &bits, 4);
        ASSERT_EQ(ScanProcOpenTempFile(&r.ds), FC_OK);
        const uint32_t lineBytes = OutputLineBytes(c.depth, c.width);
        auto byteOf = [](uint32_t line, uint32_t i) { return uint8_t((line * 31 + i * 7 + (i >> 8)) & 0xFF); };
        std::vector<uint8_t> line(lineBytes);
        for (uint32_t y = 0; y < c.lines; ++y) {
            for (uint32_t i = 0; i < lineBytes; ++i)
                line[i] = byteOf(y, i);
            ASSERT_EQ(ScanProcWriteTempLine(&r.ds, line.data()), FC_OK);
        }
        ASSERT_EQ(ScanProcRotateFromTemp(&r.ds), FC_OK);
        EXPECT_EQ(r.settings.imageWidth, c.lines);
        EXPECT_EQ(r.settings.imageHeight, c.width);
        ASSERT_EQ(FinishOutputImage(&r.image.outputWriter), FC_OK);
        ReleaseOutputWriter(&r.image.outputWriter);
        ScanProcCloseTempFile(&r.ds);

        const std::vector<uint8_t> file = ReadAll(path);
        ASSERT_GT(file.size(), 62u);
        const uint32_t offset = file[10] | file[11] << 8 | file[12] << 16;
        const uint32_t rowBytes = OutputLineBytes(c.depth, c.lines), stride = (rowBytes + 3) & ~3u;
        ASSERT_EQ(file.size(), offset + uint64_t(stride) * c.width);
        for (uint32_t row = 0; row < c.width; ++row) {
            const uint8_t* out = &file[offset + uint64_t(row) * stride];
            for (uint32_t x = 0; x < c.lines; ++x) {
                const uint32_t source = c.lines - 1 - x;
                if (c.depth == 1) {
                    const bool want = byteOf(source, row / 8) & (0x80 >> (row % 8));
                    ASSERT_EQ(bool(out[x / 8] & (0x80 >> (x % 8))), want) << row << "," << x;
                } else {
                    const uint32_t n = c.depth > 8 ? 2 : 1;
                    for (uint32_t k = 0; k < n; ++k)
                        ASSERT_EQ(out[x * n + k], byteOf(source, row * n + k)) << row << "," << x;
                }
            }
        }
        std::remove(path.c_str());
    }
    Records empty;
    EXPECT_EQ(ScanProcRotateFromTemp(&empty.ds), FC_BAD_ARGUMENT);
}
