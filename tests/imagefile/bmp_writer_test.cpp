#include <gtest/gtest.h>

#include <stdio.h>

#include "image_test_support.h"

namespace {

class BmpFiles : public ::testing::TestWithParam<ImageCase> {};

// Pillow checks the pixels, palette and row order; the bytes it ignores are
// checked here: the sizes, the resolution and the zero padding of each row.
TEST_P(BmpFiles, ReadByPillowWithPaddedRows)
{
    const ImageCase c = GetParam();
    const uint32_t rows = 7;
    std::string path = TestFilePath("bmp_" + CaseName({c, 0}) + ".bmp");
    ASSERT_EQ(0, WriteTestImage(path, OUTPUT_BITMAP, c.width, rows, c.bits, 300));
    std::vector<uint8_t> f = ReadFileBytes(path);
    uint32_t rowBytes = ((c.bits >= 12 ? 16 : c.bits) * c.width + 7) / 8;
    uint32_t stride = (rowBytes + 3) / 4 * 4;
    uint32_t dataOffset = c.bits == 1 ? 62 : 1078;
    ASSERT_EQ(dataOffset + rows * stride, f.size());
    EXPECT_EQ(f.size(), U32At(f, 2));
    EXPECT_EQ(dataOffset, U32At(f, 10));
    EXPECT_EQ(rows * stride, U32At(f, 34));
    EXPECT_EQ(11700u, U32At(f, 38));
    EXPECT_EQ(c.bits == 1 ? 2u : 256u, U32At(f, 46));
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t p = rowBytes; p < stride; ++p)
            ASSERT_EQ(0, f[dataOffset + y * stride + p]) << "pad of row " << y;
#ifndef _WIN32
    EXPECT_EQ("match\n", RunImageCheck("bmp", path, c.width, rows, c.bits));
#endif
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpFiles,
                         ::testing::Values(ImageCase{1, 13}, ImageCase{1, 64}, ImageCase{8, 101},
                                           ImageCase{8, 104}, ImageCase{12, 33}, ImageCase{16, 34}),
                         CaseName);

TEST(BmpWriter, CancelledScanStatesTheRowsWritten)
{
    std::string path = TestFilePath("bmp_cancelled.bmp");
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_BITMAP));
    uint32_t width = 101, bits = 8, expected = 2000;
    uint16_t dpi = 150;  // a 2-byte value is taken too
    uint64_t ignored = 999;
    SetWriterParam(&writer, ImageLength, &expected, 4);
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    SetWriterParam(&writer, Resolution, &dpi, 2);
    EXPECT_EQ(0, SetWriterParam(&writer, ImageWidth, &ignored, 8)) << "other sizes are ignored";
    EXPECT_EQ(1, SetWriterParam(&writer, 5, &width, 4));
    ASSERT_EQ(0, BeginOutputImage(&writer));
    std::vector<uint8_t> row = TestRow(width, 0, 8);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));
    ASSERT_EQ(0, FinishOutputImage(&writer));
    EXPECT_EQ(2, WriteOutputRow(&writer, row.data())) << "closed by finish";
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    std::vector<uint8_t> f = ReadFileBytes(path);
    ASSERT_EQ(1078u + 10 * 104, f.size());
    EXPECT_EQ(10u, U32At(f, 22)) << "the rows written";
    EXPECT_EQ(5850u, U32At(f, 38));
    remove(path.c_str());
}

#ifndef _WIN32
// A disk that fills during the last flush must not pass for a good image.
TEST(OutputWriter, FullDiskAtFinishIsReported)
{
    for (uint32_t format : {OUTPUT_BITMAP, OUTPUT_TIFF, OUTPUT_DICOM}) {
        OutputWriter writer = {};
        ASSERT_EQ(0, OpenOutputWriter(&writer, "/dev/full", format));
        uint32_t width = 16, bits = 8;
        SetWriterParam(&writer, ImageWidth, &width, 4);
        SetWriterParam(&writer, BitsPerSample, &bits, 4);
        if (format != OUTPUT_TIFF) { ASSERT_EQ(0, BeginOutputImage(&writer)); }
        ASSERT_EQ(0, WriteOutputRow(&writer, TestRow(width, 0, 8).data()));  // still buffered
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(203, FinishOutputImage(&writer)) << format;
        EXPECT_EQ(format == OUTPUT_TIFF ? "AppendImageToTIF: fwrite error.\n" : "", ::testing::internal::GetCapturedStderr());
        EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    }
}
#endif

// A record reused for an unknown format answers 1, not with the state the
// previous format left behind; a fresh record does the same.
TEST(OutputWriterDispatch, UnknownFormatOnAReusedRecordAnswersOne)
{
    std::string path = TestFilePath("writer_reused.bmp");
    for (int run = 0; run < 4; ++run) {
        uint32_t format = run % 2 ? 4 : 0, width = 8;
        uint8_t row[8] = {0};
        OutputWriter writer = {};
        if (run >= 2) {  // reused
            ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_BITMAP));
            ASSERT_EQ(0, ReleaseOutputWriter(&writer));
        }
        SCOPED_TRACE(run);
        EXPECT_EQ(1, OpenOutputWriter(&writer, path.c_str(), format));
        EXPECT_EQ(1, SetWriterParam(&writer, ImageWidth, &width, 4));
        EXPECT_EQ(1, BeginOutputImage(&writer));
        EXPECT_EQ(1, WriteOutputRow(&writer, row));
        EXPECT_EQ(1, FinishOutputImage(&writer));
        EXPECT_EQ(1, ReleaseOutputWriter(&writer));
    }
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(0, FixImageOrientation(nullptr));
}

}  // namespace
