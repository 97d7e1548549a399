#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>

#include "image_test_support.h"


namespace {

// The entry of the image length: the third of the directory at offset 8.
uint32_t LengthEntryType(const std::vector<uint8_t>& f) { return f.at(10 + 24 + 2); }
uint32_t LengthEntryValue(const std::vector<uint8_t>& f) { return U32At(f, 10 + 24 + 8); }


class TiffFiles : public ::testing::TestWithParam<ImageCase> {};

// tiffdump reads the directory, Pillow the pixels with the orientation
// honoured: the first delivered row is shown on top.
TEST_P(TiffFiles, DirectoryAndUprightPixelsAsLibtiffAndPillowReadThem)
{
    const ImageCase c = GetParam();
    const uint32_t rows = 9;
    std::string path = TestFilePath("tiff_" + std::to_string(c.bits) + "_" + std::to_string(c.width) + ".tif");
    ASSERT_EQ(0, WriteTestImage(path, OUTPUT_TIFF, c.width, rows, c.bits, 150));
    uint32_t fileBits = c.bits == 12 ? 16 : c.bits;
    ASSERT_EQ(1024u + rows * ((fileBits * c.width + 7) / 8), ReadFileBytes(path).size());
#ifndef _WIN32
    // The entries Pillow does not need to show the pixels.
    std::string dump = RunCommand("tiffdump " + path);
    const uint32_t maxSample = c.bits == 1 ? 1 : c.bits == 8 ? 255 : 65535;
    for (const std::string& entry : {std::string("OldSubFileType (255) SHORT (3) 1<1>\n"),
                                     std::string("XResolution (282) RATIONAL (5) 1<150>\n"), "MaxSampleValue (281) SHORT (3) 1<" + std::to_string(maxSample) + ">\n"})
        EXPECT_NE(std::string::npos, dump.find(entry)) << dump;
    EXPECT_EQ("match\n", RunImageCheck("tiff", path, c.width, rows, c.bits));
#endif
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Depths, TiffFiles,
                         ::testing::Values(ImageCase{1, 13}, ImageCase{1, 2000}, ImageCase{8, 101},
                                           ImageCase{12, 33}, ImageCase{16, 34}),
                         CaseName);

TEST(TiffWriter, TwelveBitRowsAreShiftedInTheWritersOwnBuffer)
{
    std::string path = TestFilePath("tiff_12_caller.tif");
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_TIFF));
    uint32_t width = 3, bits = 12;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    ASSERT_EQ(0, BeginOutputImage(&writer));
    const uint8_t original[6] = {0xFF, 0x0F, 0x01, 0x00, 0x34, 0x02};
    uint8_t row[6];
    memcpy(row, original, sizeof row);
    ASSERT_EQ(0, WriteOutputRow(&writer, row));
    EXPECT_EQ(0, memcmp(row, original, sizeof row)) << "the preview sees what the scanner sent";
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
}

// Past 32767 rows (a 51-inch film at 800 dpi) the counters keep counting;
// past 65535 the length entry turns to LONG so the file stays readable.
TEST(TiffWriter, LongFilmsKeepTheirLength)
{
    for (uint32_t rows : {40800u, 65535u, 65536u}) {
        std::string path = TestFilePath("tiff_long.tif");
        ASSERT_EQ(0, WriteTestImage(path, OUTPUT_TIFF, 3, rows, 8));
        std::vector<uint8_t> f = ReadFileBytes(path);
        ASSERT_EQ(1024u + 3u * rows, f.size());
        EXPECT_EQ(rows > 65535 ? 4u : 3u, LengthEntryType(f)) << rows;
        EXPECT_EQ(rows, rows > 65535 ? LengthEntryValue(f) : LengthEntryValue(f) & 0xFFFF);
        std::vector<uint8_t> first = TestRow(3, 0, 8), last = TestRow(3, rows - 1, 8);
        EXPECT_TRUE(std::equal(last.begin(), last.end(), f.begin() + 1024)) << "last row first";
        EXPECT_TRUE(std::equal(first.begin(), first.end(), f.end() - 3));
        remove(path.c_str());
    }
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Rows of 64 KB are turned round in place 32 at a time from each end: row
// counts on both sides of one and two chunks, and an odd middle, must each
// land every row at its mirrored place, and leave no file but the image.
// No row at all leaves the header alone, 528 bytes.
TEST(TiffWriter, RowsAreTurnedRoundInPlaceAcrossChunks)
{
    const uint32_t width = 32767, bits = 16, rowBytes = 2 * width;
    std::string folder = TestFilePath("tiff_turn");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    for (uint32_t rows : {0u, 1u, 2u, 3u, 63u, 64u, 65u, 97u}) {
        SCOPED_TRACE(rows);
        std::string path = folder + "/film.tif";
        ASSERT_EQ(0, WriteTestImage(path, OUTPUT_TIFF, width, rows, bits));
        EXPECT_EQ(std::vector<std::string>{"film.tif"}, NamesIn(folder));
        std::vector<uint8_t> f = ReadFileBytes(path);
        ASSERT_EQ(rows ? 1024u + (size_t)rows * rowBytes : 528u, f.size());
        EXPECT_EQ(rows, LengthEntryValue(f) & 0xFFFF);
        for (uint32_t y = 0; y < rows; ++y)
            ASSERT_EQ(0, memcmp(TestRow(width, y, bits).data(), f.data() + 1024 + (size_t)(rows - 1 - y) * rowBytes,
                                rowBytes))
                << "row " << y;
        remove(path.c_str());
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
