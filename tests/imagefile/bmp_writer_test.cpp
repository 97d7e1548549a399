#include <gtest/gtest.h>

#include "image_test_support.h"

namespace {

struct BmpCase {
    uint32_t bits;
    uint32_t width;
};

class BmpFiles : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpFiles, HeaderAndPixelsAsAViewerSeesThem)
{
    const BmpCase c = GetParam();
    const uint32_t rows = 7;
    std::string name = "bmp_" + std::to_string(c.bits) + "_" + std::to_string(c.width);
    std::string path = TestFilePath(name + ".bmp");
    ASSERT_EQ(0, WriteTestImage(path, OUTPUT_BITMAP, c.width, rows, c.bits, 300));

    std::vector<uint8_t> f = ReadFileBytes(path);
    uint32_t storedBits = c.bits >= 12 ? 16 : c.bits;
    uint32_t rowBytes = (storedBits * c.width + 7) / 8;
    uint32_t stride = (rowBytes + 3) / 4 * 4;
    uint32_t dataOffset = c.bits == 1 ? 62 : 1078;
    ASSERT_EQ(dataOffset + rows * stride, f.size());
    EXPECT_EQ('B', f[0]);
    EXPECT_EQ('M', f[1]);
    EXPECT_EQ(f.size(), U32At(f, 2));
    EXPECT_EQ(0u, U32At(f, 6));
    EXPECT_EQ(dataOffset, U32At(f, 10));
    EXPECT_EQ(40u, U32At(f, 14));
    EXPECT_EQ(c.width, U32At(f, 18));
    EXPECT_EQ(rows, U32At(f, 22));
    EXPECT_EQ(1u, U16At(f, 26));
    EXPECT_EQ(storedBits, U16At(f, 28));
    EXPECT_EQ(0u, U32At(f, 30));
    EXPECT_EQ(rows * stride, U32At(f, 34));
    EXPECT_EQ(11700u, U32At(f, 38));
    EXPECT_EQ(11700u, U32At(f, 42));
    EXPECT_EQ(c.bits == 1 ? 2u : 256u, U32At(f, 46));
    EXPECT_EQ(0u, U32At(f, 50));
    if (c.bits == 1) {
        EXPECT_EQ(0x00000000u, U32At(f, 54));
        EXPECT_EQ(0x00FFFFFFu, U32At(f, 58));
    } else {
        for (uint32_t i = 0; i < 256; ++i)
            ASSERT_EQ(i | i << 8 | i << 16, U32At(f, 54 + 4 * i)) << i;
    }
    // Rows in delivery order, each padded with zeros.
    for (uint32_t y = 0; y < rows; ++y) {
        std::vector<uint8_t> row = TestRow(c.width, y, c.bits);
        size_t at = dataOffset + (size_t)y * stride;
        ASSERT_TRUE(std::equal(row.begin(), row.end(), f.begin() + at)) << "row " << y;
        for (uint32_t p = rowBytes; p < stride; ++p)
            ASSERT_EQ(0, f[at + p]) << "pad of row " << y;
    }
#ifndef _WIN32
    // A bitmap viewer shows the first delivered row at the bottom.
    std::string expected = TestFilePath(name + ".expect");
    WriteExpectedSamples(expected, c.width, rows, c.bits, false);
    EXPECT_EQ("match\n", RunImageCheck("bmp", path, expected, c.width, rows, c.bits));
#endif
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpFiles,
                         ::testing::Values(BmpCase{1, 13}, BmpCase{1, 64}, BmpCase{8, 101},
                                           BmpCase{8, 104}, BmpCase{12, 33}, BmpCase{16, 34}),
                         [](const ::testing::TestParamInfo<BmpCase>& info) {
                             return "bits" + std::to_string(info.param.bits) + "_width" +
                                    std::to_string(info.param.width);
                         });

TEST(BmpWriter, CancelledScanStatesTheRowsWritten)
{
    std::string path = TestFilePath("bmp_cancelled.bmp");
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_BITMAP));
    uint32_t width = 101, bits = 8, expected = 2000, dpi = 150;
    SetWriterParam(&writer, ImageLength, &expected, 4);
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    uint16_t dpi16 = (uint16_t)dpi;
    SetWriterParam(&writer, Resolution, &dpi16, 2);
    uint64_t ignored = 999;
    EXPECT_EQ(0, SetWriterParam(&writer, ImageWidth, &ignored, 8));  // other sizes are ignored
    EXPECT_EQ(1, SetWriterParam(&writer, 5, &width, 4));
    ASSERT_EQ(0, BeginOutputImage(&writer));
    std::vector<uint8_t> row = TestRow(width, 0, 8);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));
    ASSERT_EQ(0, FinishOutputImage(&writer));
    EXPECT_EQ(2, WriteOutputRow(&writer, row.data()));  // closed by finish
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));

    std::vector<uint8_t> f = ReadFileBytes(path);
    ASSERT_EQ(1078u + 10 * 104, f.size());
    EXPECT_EQ(101u, U32At(f, 18));
    EXPECT_EQ(10u, U32At(f, 22));
    EXPECT_EQ(1040u, U32At(f, 34));
    EXPECT_EQ(5850u, U32At(f, 38));
}

TEST(BmpWriter, OperationsWithoutAnOpenFileReport2)
{
    OutputWriter writer = {};
    writer.format = OUTPUT_BITMAP;
    uint8_t row[4] = {0};
    EXPECT_EQ(2, BeginOutputImage(&writer));
    EXPECT_EQ(2, WriteOutputRow(&writer, row));
    EXPECT_EQ(2, FinishOutputImage(&writer));
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    EXPECT_EQ(201, OpenOutputWriter(&writer, "no_such_folder_here/x.bmp", OUTPUT_BITMAP));
}

#ifndef _WIN32
// A disk that fills during the last flush must not pass for a good image.
TEST(BmpWriter, FullDiskAtFinishIsReported)
{
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, "/dev/full", OUTPUT_BITMAP));
    uint32_t width = 16, bits = 8;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    ASSERT_EQ(0, BeginOutputImage(&writer));
    std::vector<uint8_t> row = TestRow(width, 0, 8);
    ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));  // still in the stream buffer
    EXPECT_EQ(203, FinishOutputImage(&writer));
    EXPECT_EQ(nullptr, writer.state.bmp.file);
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
}
#endif

}  // namespace

namespace {

// A record reused for an unknown format answers 1, not with the state the
// previous format left behind.
TEST(OutputWriterDispatch, UnknownFormatOnAReusedRecordAnswersOne)
{
    std::string path = TestFilePath("writer_reused.bmp");
    for (uint32_t format : {0u, 4u}) {
        OutputWriter writer = {};
        ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_BITMAP));
        ASSERT_EQ(0, ReleaseOutputWriter(&writer));
        EXPECT_EQ(1, OpenOutputWriter(&writer, path.c_str(), format)) << format;
        uint32_t width = 8;
        uint8_t row[8] = {0};
        EXPECT_EQ(1, SetWriterParam(&writer, ImageWidth, &width, 4)) << format;
        EXPECT_EQ(1, BeginOutputImage(&writer)) << format;
        EXPECT_EQ(1, WriteOutputRow(&writer, row)) << format;
        EXPECT_EQ(1, FinishOutputImage(&writer)) << format;
        EXPECT_EQ(1, ReleaseOutputWriter(&writer)) << format;
    }
    remove(path.c_str());
}

}  // namespace
