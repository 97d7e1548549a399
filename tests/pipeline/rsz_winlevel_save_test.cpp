#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rsz_test_support.h"

namespace {

std::vector<uint8_t> GreyDib(uint32_t width, uint32_t height)
{
    const uint32_t stride = (width + 3) & ~3u;
    std::vector<uint8_t> block(1064 + size_t(stride) * height);
    DibInfoHeader header{40, int32_t(width), int32_t(height), 1, 8, 0, stride * height, 2000, 2000, 256, 0};
    memcpy(block.data(), &header, sizeof(header));
    for (int i = 0; i < 256; ++i) memset(&block[40 + 4 * i], i, 3);
    for (size_t i = 1064; i < block.size(); ++i) block[i] = uint8_t(i * 13);
    return block;
}

TEST(RszWinLevel, RewritesTheGreyTable)
{
    std::vector<uint8_t> dib = GreyDib(4, 4);
    for (int i = 0; i < 256; ++i) dib[40 + 4 * i + 3] = 0x5A;
    ASSERT_EQ(0, SetWinLevel(dib.data(), 128, 64));
    auto entry = [&](int i) { return dib[40 + 4 * i]; };
    for (int i = 0; i <= 96; ++i) ASSERT_EQ(0, entry(i)) << i;
    EXPECT_EQ(16, entry(100));
    EXPECT_EQ((159 - 96) * 256 / 64, entry(159));
    for (int i = 160; i < 256; ++i) ASSERT_EQ(255, entry(i)) << i;
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(dib[40 + 4 * i], dib[40 + 4 * i + 1]);
        ASSERT_EQ(dib[40 + 4 * i], dib[40 + 4 * i + 2]);
        ASSERT_EQ(0x5A, dib[40 + 4 * i + 3]) << "fourth byte left as it was";
    }
    // Width 0 counts as 1: a hard threshold at the level.
    ASSERT_EQ(0, SetWinLevel(dib.data(), 50, 0));
    EXPECT_EQ(0, entry(50));
    EXPECT_EQ(255, entry(51));
}

TEST(RszWinLevel, RefusesWhatHasNoGreyTable)
{
    EXPECT_EQ(1, SetWinLevel(nullptr, 128, 64));
    std::vector<uint8_t> mono(48);
    DibInfoHeader header{40, 8, 1, 1, 1, 0, 4, 2000, 2000, 2, 0};
    memcpy(mono.data(), &header, sizeof(header));
    EXPECT_EQ(1, SetWinLevel(mono.data(), 128, 64)) << "a 1-bit DIB has two entries, not 256";
}

std::string TempPath(const char* name)
{
    const char* dir = getenv("TMPDIR");
    if (dir == nullptr) dir = getenv("TEMP");
    return std::string(dir != nullptr ? dir : ".") + "/" + name;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    int c;
    while ((c = fgetc(file)) != EOF) bytes.push_back(uint8_t(c));
    fclose(file);
    return bytes;
}

TEST(RszSaveBitmap, WritesFileHeaderInfoTableAndPixels)
{
    const std::vector<uint8_t> dib = GreyDib(5, 3);
    const std::string path = TempPath("rsz_save_test.bmp");
    ASSERT_EQ(0, SaveBitmapToFile(path.c_str(), dib.data(), dib.data() + 1064));
    const std::vector<uint8_t> file = ReadAll(path);
    remove(path.c_str());
    ASSERT_EQ(1078u + 24, file.size());
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    uint32_t fileSize, reserved, offset;
    memcpy(&fileSize, &file[2], 4);
    memcpy(&reserved, &file[6], 4);
    memcpy(&offset, &file[10], 4);
    EXPECT_EQ(1078u + 24, fileSize);
    EXPECT_EQ(0u, reserved);
    EXPECT_EQ(1078u, offset);
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
}

TEST(RszSaveBitmap, RefusesLargeOrUnsuitableBitmapsAndUnopenableFiles)
{
    const std::vector<uint8_t> large = GreyDib(257, 256);  // 260 x 256 = 66560 bytes of pixels
    EXPECT_EQ(501, SaveBitmapToFile(TempPath("rsz_large.bmp").c_str(), large.data(), large.data() + 1064));
    const std::vector<uint8_t> limit = GreyDib(256, 256);  // exactly 65536
    const std::string path = TempPath("rsz_limit.bmp");
    EXPECT_EQ(0, SaveBitmapToFile(path.c_str(), limit.data(), limit.data() + 1064));
    remove(path.c_str());

    std::vector<uint8_t> mono(48 + 4);
    DibInfoHeader header{40, 8, 1, 1, 1, 0, 4, 2000, 2000, 2, 0};
    memcpy(mono.data(), &header, sizeof(header));
    EXPECT_EQ(1, SaveBitmapToFile(path.c_str(), mono.data(), mono.data() + 48));
    EXPECT_EQ(1, SaveBitmapToFile(path.c_str(), nullptr, limit.data()));

    const std::vector<uint8_t> small = GreyDib(4, 4);
    EXPECT_EQ(201, SaveBitmapToFile(TempPath("no_such_dir/x.bmp").c_str(), small.data(), small.data() + 1064));
}

}  // namespace

// A bitmap from outside with a 16-entry table, in a block that ends with
// it: only the entries the header counts are read or written.
TEST(RszShortColourTable, IsHonouredAndImpossibleCountsAreRefused)
{
    std::vector<uint8_t> dib(40 + 16 * 4);
    DibInfoHeader header{40, 4, 4, 1, 8, 0, 16, 2000, 2000, 16, 0};
    memcpy(dib.data(), &header, sizeof(header));
    ASSERT_EQ(0, SetWinLevel(dib.data(), 8, 8));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(i <= 4 ? 0 : i < 12 ? (i - 4) * 32 : 255, dib[40 + 4 * i]) << i;

    const std::vector<uint8_t> pixels(16, 7);
    const std::string path = TempPath("rsz_short_table.bmp");
    ASSERT_EQ(0, SaveBitmapToFile(path.c_str(), dib.data(), pixels.data()));
    const std::vector<uint8_t> file = ReadAll(path);
    remove(path.c_str());
    ASSERT_EQ(1078u + 16, file.size());
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
    EXPECT_TRUE(std::all_of(file.begin() + 14 + 40 + 64, file.begin() + 1078, [](uint8_t b) { return b == 0; }))
        << "entries the bitmap does not have are written as zeros";
    EXPECT_EQ(7, file[1078]);

    header.clrUsed = 257;
    memcpy(dib.data(), &header, sizeof(header));
    EXPECT_EQ(1, SetWinLevel(dib.data(), 8, 8));
    EXPECT_EQ(1, SaveBitmapToFile(path.c_str(), dib.data(), pixels.data()));
}
