// Image files in and out of the preview: damaged data sets and bitmaps
// refused with a code, window/level by palette, and what a saved bitmap may
// be. Files that load and save: check_preview_readers.py.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FilmCore.h"
#include "frame/memgroups.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_image_source.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void Put(Bytes& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void Element(Bytes& out, uint16_t group, uint16_t element, uint32_t length, uint32_t value = 0)
{
    Put(out, group, 2);
    Put(out, element, 2);
    Put(out, length, 4);
    if (length == 2)
        Put(out, value, 2);
}

// An 8-bit data set of 6 rows of 8 columns with its five group-0028 values.
Bytes DataSet(uint32_t values[5], int omit = -1, uint32_t pixelBytes = 48)
{
    Bytes out;
    Element(out, 0x0008, 0x0060, 2, 'O' | 'T' << 8);
    const uint16_t tags[] = {0x0002, 0x0010, 0x0011, 0x0100, 0x0101};
    for (int i = 0; i < 5; ++i)
        if (i != omit)
            Element(out, 0x0028, tags[i], 2, values[i]);
    Element(out, 0x7FE0, 0x0010, pixelBytes);
    out.resize(out.size() + pixelBytes, 0x11);
    return out;
}

// A bitmap 5 x 3 at `bitCount`, 40-byte header, pixels at 1078.
Bytes Bitmap(int32_t width = 5, int32_t height = 3, uint32_t bitCount = 8, uint32_t sizeImage = 24)
{
    Bytes out{'B', 'M'};
    for (uint32_t v : {0u, 0u, 1078u, 40u, uint32_t(width), uint32_t(height)})
        Put(out, v, 4);
    Put(out, 1, 2);
    Put(out, bitCount, 2);
    for (uint32_t v : {0u, sizeImage, 0u, 0u, 0u, 0u})
        Put(out, v, 4);
    out.resize(1078);
    for (int i = 0; i < 24; ++i)
        out.push_back(uint8_t(i * 5));
    return out;
}

Bytes Patched(Bytes bytes, size_t at, uint8_t value)
{
    bytes[at] = value;
    return bytes;
}

uint16_t LoadResult(const Bytes& file)
{
    RszMemorySource memory{file.data(), file.size()};
    const RszImageSource source = RszMakeMemorySource(&memory);
    void *bits = nullptr, *info = nullptr, *fitBits = nullptr, *fitInfo = nullptr;
    int32_t group = FC_NO_GROUP;
    const uint16_t result = RszLoadImage(&source, 1u << 20, &bits, &info, 100, 100, &fitBits, &fitInfo, &group);
    EXPECT_TRUE(result == 0 || group == FC_NO_GROUP) << "a failed load keeps its group";
    if (group != FC_NO_GROUP)
        MemFreeGroup(group);
    return result;
}

std::string TempPath(const char* name)
{
    const char* dir = getenv("TMPDIR") ? getenv("TMPDIR") : getenv("TEMP");
    return std::string(dir ? dir : ".") + "/" + name;
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

TEST(RszLoadImage, RefusesDamagedDataSetsAndBitmapsWithACode)
{
    uint32_t good[5] = {1, 6, 8, 8, 8};
    for (int omit = 0; omit < 5; ++omit)
        EXPECT_EQ(202, LoadResult(DataSet(good, omit))) << "without element " << omit;
    const uint32_t unusable[][5] = {{1, 0, 8, 8, 8}, {1, 6, 0, 8, 8}, {1, 6, 8, 12, 8}, {1, 6, 8, 32, 8},
                                    {1, 6, 8, 8, 9}, {3, 6, 8, 8, 8}};
    for (const auto& values : unusable) {
        uint32_t v[5] = {values[0], values[1], values[2], values[3], values[4]};
        EXPECT_EQ(1, LoadResult(DataSet(v))) << v[0] << " " << v[1] << " " << v[2] << " " << v[3] << " " << v[4];
    }
    const Bytes set = DataSet(good), bmp = Bitmap();
    Bytes past, undefined;
    Element(past, 0x0010, 0x0010, 0x7FFFFFF0);
    Element(undefined, 0x0008, 0x1140, 0xFFFFFFFF);
    Put(undefined, 0, 4);
    const struct { Bytes file; uint16_t code; const char* what; } cases[] = {
        {set, 0, "a whole data set"},
        {Bytes(set.begin(), set.end() - 1), 202, "pixel data cut short"},
        {Bytes(set.begin(), set.begin() + 30), 202, "ends before Pixel Data"},
        {DataSet(good, -1, 47), 202, "Pixel Data shorter than rows x columns"},
        {Bytes{0x08}, 202, "one byte"},
        {past, 202, "element length past the end"},
        {undefined, 1, "undefined length cannot be walked"},
        {bmp, 0, "a whole bitmap"},
        {Bitmap(5, -3), 0, "rows stored top down"},
        {Bitmap(5, 3, 8, 0), 0, "no image size: whole rows"},
        {Bitmap(3, 3, 16), 0, "16 bits"},
        {Bitmap(5, 3, 0), 1, "0 bits"}, {Bitmap(5, 3, 1), 1, "1 bit"}, {Bitmap(5, 3, 24), 1, "24 bits"},
        {Bitmap(5, 3, 0xFFFF), 1, "65535 bits"}, {Bitmap(-5), 1, "negative width"}, {Bitmap(5, 0), 1, "no rows"},
        {Bitmap(5, 3, 8, 8), 202, "fewer bytes than the rows"},
        {Bitmap(0x7FFFFFFF, 2, 8, 0), 202, "huge width"},
        {Bitmap(5, INT32_MIN, 8, 0), 202, "huge height"},
        {Patched(bmp, 30, 1), 1, "compressed"},
        {Patched(Patched(bmp, 10, 14 + 39), 11, 0), 202, "information header shorter than 40 bytes"},
        {Patched(bmp, 14, 12), 202, "a 12-byte core header"},
        {Bytes(bmp.begin(), bmp.end() - 3), 202, "pixels cut short"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, LoadResult(c.file)) << c.what;
    void *bits = nullptr, *info = nullptr, *fitBits = nullptr, *fitInfo = nullptr;
    int32_t group = FC_NO_GROUP;
    const std::string missing = TempPath("no_such_file.dcm");
    EXPECT_EQ(1, LoadDICOMImageFile(missing.c_str(), 1000, &bits, &info, 1, 100, &fitBits, &fitInfo, &group));
    EXPECT_EQ(1, LoadDICOMImageFile(missing.c_str(), 1000, &bits, &info, 100, 1, &fitBits, &fitInfo, &group));
    EXPECT_EQ(201, LoadDICOMImageFile(missing.c_str(), 1000, &bits, &info, 100, 100, &fitBits, &fitInfo, &group));
    EXPECT_EQ(FC_NO_GROUP, group);
}

TEST(RszWinLevel, RewritesTheGreyTableOfWhatHasOne)
{
    Bytes dib = GreyDib(4, 4);
    ASSERT_EQ(0, SetWinLevel(dib.data(), 128, 64));
    for (int i = 0; i < 256; ++i) {
        const uint32_t want = i <= 96 ? 0 : i < 160 ? (i - 96) * 256 / 64 : 255, entry = 40 + 4 * i;
        ASSERT_EQ(want * 0x010101 + 0x5A000000, uint32_t(dib[entry] | dib[entry + 1] << 8 | dib[entry + 2] << 16 |
                                                           dib[entry + 3] << 24)) << i << ": the fourth byte left";
    }
    ASSERT_EQ(16, dib[40 + 4 * 100]);
    // Width 0 counts as 1: a hard threshold at the level.
    ASSERT_EQ(0, SetWinLevel(dib.data(), 50, 0));
    EXPECT_EQ(0, dib[40 + 4 * 50]);
    EXPECT_EQ(255, dib[40 + 4 * 51]);
    EXPECT_EQ(1, SetWinLevel(nullptr, 128, 64));
    Bytes mono = GreyDib(8, 1, 2, 1);
    EXPECT_EQ(1, SetWinLevel(mono.data(), 128, 64)) << "a 1-bit DIB has two entries, not 256";
}

TEST(RszSaveBitmap, RefusesLargeOrUnsuitableBitmapsAndUnopenableFiles)
{
    const std::string path = TempPath("rsz_save_test.bmp");
    const Bytes large = GreyDib(257, 256);   // 260 x 256 = 66560 bytes of pixels
    EXPECT_EQ(501, SaveBitmapToFile(path.c_str(), large.data(), large.data() + 1064));
    const Bytes limit = GreyDib(256, 256);   // exactly 65536
    EXPECT_EQ(0, SaveBitmapToFile(path.c_str(), limit.data(), limit.data() + 1064));
    EXPECT_EQ(1078u + 65536, ReadAll(path).size());
    std::remove(path.c_str());
    const Bytes mono = GreyDib(8, 1, 2, 1);
    EXPECT_EQ(1, SaveBitmapToFile(path.c_str(), mono.data(), mono.data() + 48));
    EXPECT_EQ(1, SaveBitmapToFile(path.c_str(), nullptr, limit.data()));
    EXPECT_EQ(201, SaveBitmapToFile(TempPath("no_such_dir/x.bmp").c_str(), limit.data(), limit.data() + 1064));
}

// A bitmap from outside with a 16-entry table, in a block that ends with
// it: only the entries the header counts are read or written.
TEST(RszShortColourTable, IsHonouredAndImpossibleCountsAreRefused)
{
    Bytes dib = GreyDib(4, 4, 16);
    dib.resize(40 + 16 * 4);
    ASSERT_EQ(0, SetWinLevel(dib.data(), 8, 8));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i <= 4 ? 0 : i < 12 ? (i - 4) * 32 : 255, dib[40 + 4 * i]) << i;
    const Bytes pixels(16, 7);
    const std::string path = TempPath("rsz_short_table.bmp");
    ASSERT_EQ(0, SaveBitmapToFile(path.c_str(), dib.data(), pixels.data()));
    const Bytes file = ReadAll(path);
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
