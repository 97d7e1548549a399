// The portable pieces of the scan pipeline, natively and under Wine; every
// test gives back the memory groups it took. Grey bitmaps, their windows and
// fitting, files that load and save: check_readers.py; damaged files: the
// fuzz corpus's replay.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "FilmCore.h"
#include "frame/memgroups.h"
#include "imagefile/output_writer.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_bitlist.h"
#include "pipeline/scan_lines.h"
#include "pipeline/scan_proc.h"
#include "session_fixture.h"
#include "test_files.h"

namespace {

class PortablePipeline : public ::testing::Test {
    uint32_t groups = 0;
    void SetUp() override
    {
        ASSERT_EQ(0, MemInit(4000));
        groups = MemGroupCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(groups, MemGroupCount()) << "memory groups still held";
        MemDeinit();
    }
};

// The completed preview lines in list order, flattened.
std::vector<uint8_t> PreviewBytes(const RszData& record)
{
    std::vector<uint8_t> out;
    const RszLine* node = record.firstLine;
    for (uint32_t line = 0; line < record.previewLines && node; ++line, node = node->next)
        out.insert(out.end(), node->data, node->data + record.previewWidth * record.bytesPerSample);
    return out;
}

typedef std::vector<uint8_t> Bytes;

struct Records : TestSession {
    explicit Records(uint32_t scanWidth = 0)
    {
        NewTestSession(this);
        image.preview.group = FC_NO_GROUP, settings.scanWidth = scanWidth;
    }
};

// An 8-bit grey DIB in one block: header, `colours` table entries, pixels.
Bytes GreyDib(uint32_t width, uint32_t height, uint32_t colours = 256, uint16_t bitCount = 8)
{
    const uint32_t stride = (width * bitCount / 8 + 3) & ~3u;
    Bytes block(40 + 4 * colours + size_t(stride) * height);
    const DibInfoHeader header{40, int32_t(width), int32_t(height), 1, bitCount, 0, stride * height,
                               2000, 2000, colours, 0};
    std::memcpy(block.data(), &header, sizeof header);
    for (uint32_t i = 0; i < colours; ++i)
        block[40 + 4 * i] = block[40 + 4 * i + 1] = block[40 + 4 * i + 2] = uint8_t(i), block[43 + 4 * i] = 0x5A;
    return block;
}

}  // namespace

// The line file is a part file of the output, created new: a file that is
// there under any name a scan might think of stays as it was, and a name
// too long for tempPath is refused whole, never cut.
// The region cut at each depth: two bytes a sample only above 8 bits, and a
// region wider than the delivered line held to it.
TEST(ScanLines, ARegionKeepsTwoBytesASampleOnlyAbove8Bits)
{
    const struct { uint32_t depth, scanPixels, width, lineBytes; } cases[] = {
        {1, 1000, 300, 300}, {8, 1000, 300, 300}, {12, 1000, 300, 600}, {16, 1000, 300, 600}, {16, 200, 200, 400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " bits of " << c.scanPixels);
        ScanArea area = {};
        ScanSettings settings = {};
        ImageControl control = {};
        area.cropLeft = 0.5f;
        area.cropRight = 2.5f;  // 2 inches at 150 dpi
        settings.resolution = 150;
        settings.bitDepth = c.depth;
        settings.scanPixels = c.scanPixels;
        control.leftSkip = 7;
        SetScanWidth(&area, &settings, &control);
        EXPECT_EQ(settings.scanWidth, c.width);
        EXPECT_EQ(settings.lineBytes, c.lineBytes);
        EXPECT_EQ(control.leftSkip, 0u);
    }
}

TEST_F(PortablePipeline, LineFileIsANewPartFileOfTheOutputAndFitsTempPath)
{
    Records r(64);
    r.settings.bitDepth = 8;
    const std::string fits = "pipeline_" + std::string(241 - 9 - 4, 'f') + ".bmp";  // the longest name taken
    std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", fits.c_str());
    const std::vector<std::string> foreign = {fits + ".tmp", fits + "~", fits + ".part"};
    for (const std::string& name : foreign)
        WriteFileText(name, "kept: " + name);
    ASSERT_EQ(ScanProcOpenTempFile(&r.ds), FC_OK);
    const std::string linePath = r.image.tempPath;
    EXPECT_TRUE(std::regex_match(linePath, std::regex(fits + R"(\.[0-9a-f]{8}\.part)"))) << linePath;
    EXPECT_EQ(linePath.size(), 255u);
    std::vector<uint8_t> line(r.settings.scanWidth, 7);
    ASSERT_EQ(ScanProcWriteTempLine(&r.ds, line.data()), FC_OK);
    ScanProcCloseTempFile(&r.ds);
    EXPECT_FALSE(FileExists(linePath));
    EXPECT_STREQ(r.image.tempPath, "");
    for (const std::string& name : foreign) {
        EXPECT_EQ(ReadFileText(name), "kept: " + name);
        std::remove(name.c_str());
    }

    const std::string tooLong = "pipeline_" + std::string(242 - 9 - 4, 'n') + ".bmp";
    std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", tooLong.c_str());
    EXPECT_EQ(ScanProcOpenTempFile(&r.ds), FC_OPEN_FAILED);
    EXPECT_STREQ(r.image.tempPath, "");
    EXPECT_EQ(r.image.tempFile, nullptr);
    ScanProcCloseTempFile(&r.ds);   // nothing of ours to delete
}

TEST_F(PortablePipeline, NoFilmReadsThePreviewForWhatItIs)
{
    const struct { uint32_t depth; uint16_t sample, grain; int answer; } cases[] = {
        {8, 250, 0, 1}, {8, 200, 40, 0}, {16, 0xFFFF, 0, 1}, {16, 40000, 500, 0},
        // One pixel in seven dark: the median is bright, the darkest tenth is film.
        {8, 250, 150, 0}, {16, 0xFFFF, 0x8000, 0},
        {12, 0x0FF0, 0, 1}, {12, 0x0E00, 0, 0}, {12, 0xF400, 0, 0},   // bits above the depth are not the film's
        {1, 1, 0, 1},   // bits: all bright
        {1, 0, 0, 0},   // all dark
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " sample " << c.sample);
        const uint32_t width = 900, bytes = c.depth > 8 ? 2 : 1;
        Records r(width);
        RszData* preview = &r.image.preview;
        std::vector<uint8_t> line(width * bytes, c.sample ? 0xFF : 0);
        for (uint32_t x = 0; x < width && c.depth > 1; ++x) {
            const uint16_t v = uint16_t(c.sample - (x % 7 == 0 ? c.grain : 0));
            std::memcpy(&line[x * bytes], &v, bytes);
        }
        ASSERT_EQ(c.depth == 1 ? RszBitInit(&r.ds, 3) : RszInitData(preview, width, bytes, c.depth, 3), FC_OK);
        for (uint32_t y = 0; y < 200; ++y)
            ASSERT_EQ(c.depth == 1 ? RszBitInputLine(&r.ds, line.data())
                                   : RszInputDataBlock(preview, line.data(), uint32_t(line.size())), FC_OK);
        EXPECT_EQ(ScanProcDetectNoFilm(&r.ds), c.answer);
        preview->previewLines += 20;   // more lines than the list holds
        EXPECT_EQ(ScanProcDetectNoFilm(&r.ds), 2);
        preview->previewLines -= 20;
        c.depth == 1 ? RszBitFree(&r.ds) : FreeRszData(preview);
    }
}

// At most 2048000 bytes of line segments at once: 3000 lines of 8000 bits
// take two strips (two-byte samples in strips: scan_e2e_test).
TEST_F(PortablePipeline, RotationTurnsBitLinesInColumnStripsIntoRows)
{
    const uint32_t width = 8000, lines = 3000, lineBytes = 1000, stride = 376;   // 375 bytes a row
    Records r(width);
    r.settings.bitDepth = 1;
    r.image.linesDone = lines;
    const std::string path = "pipeline_rotation.bmp";
    std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", path.c_str());
    ASSERT_EQ(OpenOutputWriter(&r.image.outputWriter, path.c_str(), OUTPUT_BITMAP), FC_OK);
    SetWriterParam(&r.image.outputWriter, BitsPerSample, &r.settings.bitDepth, 4);
    ASSERT_EQ(ScanProcOpenTempFile(&r.ds), FC_OK);
    auto byteOf = [](uint32_t line, uint32_t i) { return uint8_t((line * 31 + i * 7 + (i >> 8)) & 0xFF); };
    std::vector<uint8_t> line(lineBytes);
    for (uint32_t y = 0; y < lines; ++y) {
        for (uint32_t i = 0; i < lineBytes; ++i)
            line[i] = byteOf(y, i);
        ASSERT_EQ(ScanProcWriteTempLine(&r.ds, line.data()), FC_OK);
    }
    ASSERT_EQ(ScanProcRotateFromTemp(&r.ds), FC_OK);
    ASSERT_EQ(FinishOutputImage(&r.image.outputWriter), FC_OK);
    ReleaseOutputWriter(&r.image.outputWriter);
    ScanProcCloseTempFile(&r.ds);
    const std::vector<uint8_t> file = ReadFileBytes(path);
    std::remove(path.c_str());
    ASSERT_EQ(file.size(), 62u + uint64_t(stride) * width);
    // Output row r is source column r; pixel x comes from line lines-1-x.
    for (uint32_t row = 0; row < width; ++row)
        for (uint32_t x = 0; x < lines; ++x)
            ASSERT_EQ(bool(file[62 + row * stride + x / 8] & (0x80 >> (x % 8))),
                      bool(byteOf(lines - 1 - x, row / 8) & (0x80 >> (row % 8)))) << row << "," << x;
    Records empty;
    EXPECT_EQ(ScanProcRotateFromTemp(&empty.ds), FC_BAD_ARGUMENT);
}

TEST_F(PortablePipeline, KeepsEveryFthSampleOfEveryFthLineWhateverTheBlocks)
{
    const struct { uint32_t width, lines; uint16_t bytes, factor; std::vector<size_t> blocks; } cases[] = {
        {1000, 31, 2, 3, {1, 7, 1999, 2000, 32768}},   // blocks end inside samples and lines
        {7, 5, 1, 1, {4}},
        {40800, 3, 2, 1, {32768}},   // a landscape 51-inch film at 800 dpi: past 32767 samples
    };
    for (const auto& c : cases) {
        const uint32_t lineBytes = c.width * c.bytes;
        // Sample (x, y) is 3x + 1000y; a partial line follows the last whole one.
        std::vector<uint8_t> image(size_t(lineBytes) * c.lines + 3), expected;
        for (size_t i = 0; i < image.size(); i += c.bytes) {
            const uint32_t x = uint32_t(i % lineBytes / c.bytes), y = uint32_t(i / lineBytes);
            const uint16_t v = uint16_t(3 * x + 1000 * y);
            std::memcpy(&image[i], &v, std::min<size_t>(c.bytes, image.size() - i));
            if (x % c.factor == 0 && y % c.factor == 0 && y < c.lines)
                expected.insert(expected.end(), &image[i], &image[i] + c.bytes);
        }
        for (size_t block : c.blocks) {
            SCOPED_TRACE(testing::Message() << c.width << " wide, factor " << c.factor << ", blocks of " << block);
            RszData record;
            ASSERT_EQ(0, RszInitData(&record, c.width, c.bytes, uint16_t(8 * c.bytes), c.factor));
            EXPECT_EQ((c.width + c.factor - 1) / c.factor, record.previewWidth);
            for (size_t at = 0; at < image.size(); at += block)
                ASSERT_EQ(0, RszInputDataBlock(&record, &image[at], uint32_t(std::min(block, image.size() - at))));
            EXPECT_EQ((c.lines + c.factor - 1) / c.factor, record.previewLines);
            EXPECT_EQ(expected, PreviewBytes(record));
            EXPECT_EQ(0, FreeRszData(&record));
            EXPECT_EQ(FC_NO_GROUP, record.group);
        }
    }
}

// Width 913 with F = 3: 304 bits a line, whose 38 bytes end at bit 303,
// though 304 x F = 912 is still a source pixel.
TEST_F(PortablePipeline, BitListKeepsLinesFTwoFAndBitsZeroFTwoFWithinItsLine)
{
    Records session(913);
    ASSERT_EQ(0, RszBitInit(&session.ds, 3));
    const RszData& list = session.image.preview;
    EXPECT_EQ(304u, list.previewWidth);
    uint8_t line[600];
    for (uint32_t y = 1; y <= 10; ++y) {
        // Source bit x set when x + y is a multiple of 5.
        std::memset(line, 0, sizeof line);
        for (uint32_t x = 0; x < 913; ++x)
            line[x / 8] |= (x + y) % 5 ? 0 : uint8_t(0x80 >> (x % 8));
        ASSERT_EQ(0, RszBitInputLine(&session.ds, line));
    }
    ASSERT_EQ(3u, list.previewLines);   // source lines 3, 6 and 9
    const RszLine* node = list.firstLine;
    for (uint32_t y = 3; y <= 9; y += 3, node = node->next) {
        ASSERT_NE(nullptr, node);
        for (uint32_t k = 0; k < 304; ++k)
            ASSERT_EQ((3 * k + y) % 5 == 0, bool(node->data[k / 8] & (0x80 >> (k % 8)))) << y << " " << k;
        EXPECT_EQ(0, node->data[38]) << "the line's piece is rounded up to 40 bytes";
    }
    EXPECT_EQ(0, RszBitFree(&session.ds));
}

// Records RszBitInit never set up: their group number is someone else's.
TEST_F(PortablePipeline, FreeingABitListThatWasNeverSetUpIsRefused)
{
    int32_t other = FC_NO_GROUP;
    ASSERT_EQ(0, MemGetGroupID(&other));
    const struct { const char* what; uint16_t bitDepth, factor; } cases[] = {
        {"a zeroed record", 0, 0}, {"an 8-bit resampler's", 8, 2}, {"no factor", 1, 0}};
    for (const auto& c : cases) {
        Records session;
        session.image.preview.group = other;
        session.image.preview.bitDepth = c.bitDepth;
        session.image.preview.factor = c.factor;
        EXPECT_EQ(2, RszBitFree(&session.ds)) << c.what;
        EXPECT_EQ(0, MemGetGroupPtr(other, nullptr)) << c.what << ": the other owner's group stays";
    }
    EXPECT_EQ(0, MemFreeGroup(other));
}

TEST_F(PortablePipeline, WinLevelRewritesTheGreyTableOfWhatHasOne)
{
    Bytes dib = GreyDib(4, 4);
    ASSERT_EQ(0, SetWinLevel(dib.data(), 128, 64));
    for (int i = 0; i < 256; ++i) {
        const uint32_t want = i <= 96 ? 0 : i < 160 ? (i - 96) * 256 / 64 : 255, entry = 40 + 4 * i;
        ASSERT_EQ(want * 0x010101 + 0x5A000000, uint32_t(dib[entry] | dib[entry + 1] << 8 | dib[entry + 2] << 16 |
                                                           dib[entry + 3] << 24)) << i << ": the fourth byte left";
    }
    // Width 0 counts as 1: a hard threshold at the level.
    ASSERT_EQ(0, SetWinLevel(dib.data(), 50, 0));
    EXPECT_EQ(0, dib[40 + 4 * 50]);
    EXPECT_EQ(255, dib[40 + 4 * 51]);
    EXPECT_EQ(1, SetWinLevel(nullptr, 128, 64));
    Bytes mono = GreyDib(8, 1, 2, 1);
    EXPECT_EQ(1, SetWinLevel(mono.data(), 128, 64)) << "a 1-bit DIB has two entries, not 256";
}

// A bitmap from outside with a 16-entry table, in a block that ends with
// it: only the entries the header counts are read or written.
TEST_F(PortablePipeline, ShortColourTableIsHonouredAndImpossibleCountsAreRefused)
{
    Bytes dib = GreyDib(4, 4, 16);
    dib.resize(40 + 16 * 4);
    ASSERT_EQ(0, SetWinLevel(dib.data(), 8, 8));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i <= 4 ? 0 : i < 12 ? (i - 4) * 32 : 255, dib[40 + 4 * i]) << i;
    const Bytes pixels(16, 7);
    const std::string path = "rsz_short_table.bmp";
    ASSERT_EQ(0, SaveBitmapToFile(path.c_str(), dib.data(), pixels.data()));
    const Bytes file = ReadFileBytes(path);
    std::remove(path.c_str());
    ASSERT_EQ(1078u + 16, file.size());
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
    EXPECT_EQ(Bytes(1078 - 14 - 40 - 64, 0), Bytes(file.begin() + 14 + 40 + 64, file.begin() + 1078))
        << "entries the bitmap does not have are written as zeros";
    EXPECT_EQ(7, file[1078]);
    const uint32_t tooMany = 257;
    std::memcpy(&dib[32], &tooMany, 4);
    EXPECT_EQ(1, SetWinLevel(dib.data(), 8, 8));
    EXPECT_EQ(1, SaveBitmapToFile(path.c_str(), dib.data(), pixels.data()));
}

TEST_F(PortablePipeline, SaveBitmapRefusesPixelsPast64KiBAndUnopenableFiles)
{
    const Bytes large = GreyDib(257, 256), limit = GreyDib(256, 256);   // 260 x 256 bytes of pixels; 65536
    EXPECT_EQ(501, SaveBitmapToFile("rsz_save_test.bmp", large.data(), large.data() + 1064));
    EXPECT_EQ(0, SaveBitmapToFile("rsz_save_test.bmp", limit.data(), limit.data() + 1064));
    EXPECT_EQ(1078u + 65536, ReadFileBytes("rsz_save_test.bmp").size());
    std::remove("rsz_save_test.bmp");
    EXPECT_EQ(201, SaveBitmapToFile("no_such_dir/x.bmp", limit.data(), limit.data() + 1064));
}
