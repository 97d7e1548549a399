#include <gtest/gtest.h>

#include "frame/memgroups.h"
#include "rsz_test_support.h"

namespace {

struct Bitmap {
    void* bits = nullptr;
    void* info = nullptr;
    int32_t group = -1;
    ~Bitmap()
    {
        if (group != -1) MemFreeGroup(group);
    }
    const uint8_t* Row(uint32_t row) const
    {
        const DibInfoHeader header = HeaderOf(info);
        return static_cast<const uint8_t*>(bits) + row * ((uint32_t(header.width) + 3) & ~3u);
    }
};

// An 8-bit preview W x H whose pixel is (x + 7 y) mod 256.
void MakePreview8(RszData* record, uint32_t width, uint32_t height, uint16_t depth = 8)
{
    ASSERT_EQ(0, RszInitData(record, width, 1, depth, 1));
    std::vector<uint8_t> image(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) image[size_t(y) * width + x] = uint8_t(x + 7 * y);
    ASSERT_EQ(0, RszInputDataBlock(record, image.data(), uint32_t(image.size())));
}

TEST(RszBitmap, FitsIntoTheBoundKeepingTheAspect)
{
    struct Case {
        uint32_t width, height;
        uint16_t boundWidth, boundHeight;
        int32_t expectWidth, expectHeight;
    } cases[] = {
        {600, 400, 200, 200, 200, 133},
        {400, 600, 200, 200, 136, 204},  // 133 rounded up to 136: may pass the height bound
        {100, 80, 200, 200, 100, 80},    // never enlarged
        {300, 20, 0xFF00, 10, 300, 20},  // a bound of 0xFF00 or more: own size
    };
    for (const Case& c : cases) {
        RszData record;
        MakePreview8(&record, c.width, c.height);
        Bitmap bitmap;
        ASSERT_EQ(0, RszGetBitmapWithUpBound(&record, c.boundWidth, c.boundHeight, &bitmap.bits, &bitmap.info,
                                             &bitmap.group));
        const DibInfoHeader header = HeaderOf(bitmap.info);
        EXPECT_EQ(c.expectWidth, header.width) << c.width << "x" << c.height;
        EXPECT_EQ(c.expectHeight, header.height) << c.width << "x" << c.height;
        FreeRszData(&record);
    }
}

TEST(RszBitmap, HeaderAndGreyRampAreThoseOfAPackedDib)
{
    RszData record;
    MakePreview8(&record, 13, 5);
    Bitmap bitmap;
    ASSERT_EQ(0, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group));
    const DibInfoHeader header = HeaderOf(bitmap.info);
    EXPECT_EQ(40u, header.size);
    EXPECT_EQ(13, header.width);
    EXPECT_EQ(5, header.height);
    EXPECT_EQ(1, header.planes);
    EXPECT_EQ(8, header.bitCount);
    EXPECT_EQ(0u, header.compression);
    EXPECT_EQ(16u * 5, header.sizeImage);
    EXPECT_EQ(2000, header.xPelsPerMeter);
    EXPECT_EQ(2000, header.yPelsPerMeter);
    EXPECT_EQ(256u, header.clrUsed);
    EXPECT_EQ(0u, header.clrImportant);
    const uint8_t* table = static_cast<const uint8_t*>(bitmap.info) + 40;
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(i, table[4 * i]);
        ASSERT_EQ(i, table[4 * i + 1]);
        ASSERT_EQ(i, table[4 * i + 2]);
        ASSERT_EQ(0, table[4 * i + 3]);
    }
    EXPECT_EQ(static_cast<uint8_t*>(bitmap.info) + 1064, bitmap.bits);
    // First row in memory is the first preview line; padding is zero.
    for (uint32_t y = 0; y < 5; ++y) {
        for (uint32_t x = 0; x < 13; ++x) ASSERT_EQ(uint8_t(x + 7 * y), bitmap.Row(y)[x]);
        for (uint32_t x = 13; x < 16; ++x) ASSERT_EQ(0, bitmap.Row(y)[x]);
    }
    FreeRszData(&record);
}

TEST(RszBitmap, ReductionTakesFirstAndLastPixelsFromTheEdges)
{
    RszData record;
    MakePreview8(&record, 600, 400);
    Bitmap bitmap;
    ASSERT_EQ(0, RszGetBitmapWithUpBound(&record, 200, 200, &bitmap.bits, &bitmap.info, &bitmap.group));
    // Output column i comes from 600 i / 199 (at most 599), row j from 400 j / 132 (at most 399).
    for (uint32_t j : {0u, 1u, 66u, 131u, 132u})
        for (uint32_t i : {0u, 1u, 100u, 198u, 199u}) {
            uint32_t x = 600 * i / 199, y = 400 * j / 132;
            x = x > 599 ? 599 : x;
            y = y > 399 ? 399 : y;
            ASSERT_EQ(uint8_t(x + 7 * y), bitmap.Row(j)[i]) << i << "," << j;
        }
    FreeRszData(&record);
}

TEST(RszBitmap, OneByteSamplesAreMaskedToTheirDepth)
{
    RszData record;
    MakePreview8(&record, 4, 2, 6);
    Bitmap bitmap;
    ASSERT_EQ(0, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group));
    EXPECT_EQ(uint8_t((3 + 7) & 0x3F), bitmap.Row(1)[3]);
    FreeRszData(&record);
}

TEST(RszBitmap, ChoosesTheWindowFromTheHistogramAndKeepsIt)
{
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, 4, 2, 12, 1));
    // 12-bit samples; bits above the depth must be ignored.
    const std::vector<uint8_t> image =
        MakeImage16(4, 2, [](uint32_t x, uint32_t y) { return uint32_t(0xF000 | (1000 + 1000 * x + 11 * y)); });
    ASSERT_EQ(0, RszInputDataBlock(&record, image.data(), uint32_t(image.size())));
    Bitmap bitmap;
    ASSERT_EQ(0, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group));
    EXPECT_EQ(1000, record.windowLow);
    EXPECT_EQ(4010, record.windowHigh);  // 2 x bin of 4011
    const uint8_t* row0 = bitmap.Row(0);
    const uint8_t* row1 = bitmap.Row(1);
    EXPECT_EQ(0, row0[0]);                                  // at the low end
    EXPECT_EQ(uint8_t((2000 - 1000) * 256 / 3011), row0[1]);
    EXPECT_EQ(uint8_t((1011 - 1000) * 256 / 3011), row1[0]);
    EXPECT_EQ(uint8_t((4010 - 1000) * 256 / 3011), row1[3]);  // 4011 limited to the high end
    // A window set by the caller is used as it stands.
    record.windowLow = 2000;
    record.windowHigh = 2999;
    Bitmap second;
    ASSERT_EQ(0, RszGetBitmap(&record, &second.bits, &second.info, &second.group));
    EXPECT_EQ(0, second.Row(0)[0]);
    EXPECT_EQ(0, second.Row(0)[1]);
    EXPECT_EQ(255, second.Row(0)[3]);
    FreeRszData(&record);
}

TEST(RszBitmap, RefusesWhatCannotBeDrawn)
{
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, 3, 2, 16, 1));
    const uint8_t oneBin[] = {10, 0, 11, 0, 10, 0};
    ASSERT_EQ(0, RszInputDataBlock(&record, oneBin, sizeof(oneBin)));
    Bitmap bitmap;
    EXPECT_EQ(1, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group));
    EXPECT_EQ(-1, bitmap.group) << "a group taken for a failed bitmap is kept";
    FreeRszData(&record);

    RszData empty;
    ASSERT_EQ(0, RszInitData(&empty, 3, 1, 8, 1));
    EXPECT_EQ(2, RszGetBitmap(&empty, &bitmap.bits, &bitmap.info, &bitmap.group));
    FreeRszData(&empty);

    // A reduction to a single row cannot be indexed.
    RszData flat;
    MakePreview8(&flat, 1000, 3);
    EXPECT_EQ(1, RszGetBitmapWithUpBound(&flat, 200, 200, &bitmap.bits, &bitmap.info, &bitmap.group));
    FreeRszData(&flat);
}

TEST(RszBitmap, BitmapsGoIntoTheGroupTheCallerNames)
{
    RszData record;
    MakePreview8(&record, 20, 20);
    int32_t group = -1;
    ASSERT_EQ(0, MemGetGroupID(&group));
    void* bits = nullptr;
    void* info = nullptr;
    ASSERT_EQ(0, RszGetBitmap(&record, &bits, &info, &group));
    EXPECT_NE(-1, group);
    ASSERT_EQ(0, FreeRszData(&record));
    // The bitmap outlives the resampler.
    EXPECT_EQ(20, HeaderOf(info).width);
    EXPECT_EQ(0, MemFreeGroup(group));
}

}  // namespace
