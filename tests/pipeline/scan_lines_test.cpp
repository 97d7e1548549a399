// The portable pieces of the file scan pipeline: the temporary line file,
// the no-film check and the landscape rotation of bit lines in strips.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/memgroups.h"
#include "imagefile/output_writer.h"
#include "pipeline/rsz_bitlist.h"
#include "pipeline/scan_proc.h"

namespace {

struct Records {
    HostServices host{};
    ScannerInfo scanner{};
    ScanSettings settings{};
    ScanArea area{};
    ImageControl image{};
    OutputSettings output{};
    DSData ds{&host, &scanner, &settings, &area, &image, &output};
    Records() { image.preview.group = FC_NO_GROUP; }
};

class ScanLinesTest : public ::testing::Test {
    void SetUp() override { MemInit(4000); }
    void TearDown() override { MemDeinit(); }
};

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(ScanLinesTest, TempFileNameThatDoesNotFitIsRefusedWhole)
{
    Records r;
    const std::string tooLong = "pipeline_" + std::string(243, 'n');   // 252 + ".tmp" > 255
    std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", tooLong.c_str());
    EXPECT_EQ(ScanProcOpenTempFile(&r.ds), FC_OPEN_FAILED);
    EXPECT_STREQ(r.image.tempPath, "");
    EXPECT_EQ(r.image.tempFile, nullptr);
    EXPECT_FALSE(std::ifstream((tooLong + ".tmp").substr(0, 255)).good());
    ScanProcCloseTempFile(&r.ds);   // nothing of ours to delete

    const std::string fits = "pipeline_" + std::string(242, 'f');   // 251 + ".tmp" = 255
    std::snprintf(r.output.outputPath, sizeof r.output.outputPath, "%s", fits.c_str());
    ASSERT_EQ(ScanProcOpenTempFile(&r.ds), FC_OK);
    EXPECT_EQ(std::string(r.image.tempPath), fits + ".tmp");
    ScanProcCloseTempFile(&r.ds);
    EXPECT_FALSE(std::ifstream(fits + ".tmp").good());
    EXPECT_STREQ(r.image.tempPath, "");
}

TEST_F(ScanLinesTest, NoFilmReadsThePreviewForWhatItIs)
{
    const struct { uint32_t depth; uint16_t sample, grain; int answer; } cases[] = {
        {8, 250, 0, 1}, {8, 200, 40, 0}, {16, 0xFFFF, 0, 1}, {16, 40000, 500, 0},
        {12, 0x0FF0, 0, 1}, {12, 0x0E00, 0, 0},
        {1, 1, 0, 1},   // bits: all bright
        {1, 0, 0, 0},   // all dark
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " sample " << c.sample);
        Records r;
        const uint32_t width = 900, bytes = c.depth > 8 ? 2 : 1;
        r.settings.scanWidth = width;
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
TEST_F(ScanLinesTest, RotationTurnsBitLinesInColumnStripsIntoRows)
{
    const uint32_t width = 8000, lines = 3000, lineBytes = 1000, stride = 376;   // 375 bytes a row
    Records r;
    r.settings.bitDepth = 1;
    r.settings.scanWidth = width;
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
    const std::vector<uint8_t> file = ReadAll(path);
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
