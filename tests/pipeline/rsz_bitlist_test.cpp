#include <gtest/gtest.h>

#include "frame/memgroups.h"
#include "pipeline/rsz_bitlist.h"
#include "rsz_test_support.h"

namespace {

struct Session {
    ScanSettings settings{};
    ImageControl control{};
    DSData data{};
    Session(uint32_t scanWidth)
    {
        settings.scanWidth = scanWidth;
        data.ScanSettings = &settings;
        data.ImageControl = &control;
    }
    ~Session() { EXPECT_EQ(0, RszBitFree(&data)); }
};

bool BitAt(const uint8_t* line, uint32_t k) { return (line[k / 8] >> (7 - k % 8)) & 1; }

TEST(RszBitList, KeepsLinesFTwoFAndBitsZeroFTwoF)
{
    Session session(1000);
    ASSERT_EQ(0, RszBitInit(&session.data, 3));
    const RszData& list = session.control.preview;
    EXPECT_EQ(333u, list.previewWidth);
    EXPECT_EQ(1, list.bitDepth);
    uint8_t line[600];
    for (uint32_t y = 1; y <= 10; ++y) {
        // Source bit x set when x + y is a multiple of 5.
        memset(line, 0, sizeof(line));
        for (uint32_t x = 0; x < 1000; ++x)
            if ((x + y) % 5 == 0) line[x / 8] |= uint8_t(0x80 >> (x % 8));
        ASSERT_EQ(0, RszBitInputLine(&session.data, line));
    }
    ASSERT_EQ(3u, list.previewLines);  // source lines 3, 6 and 9
    const RszLine* node = list.firstLine;
    for (uint32_t y : {3u, 6u, 9u}) {
        ASSERT_NE(nullptr, node);
        for (uint32_t k = 0; k < 333; ++k) ASSERT_EQ((3 * k + y) % 5 == 0, BitAt(node->data, k)) << y << " " << k;
        node = node->next;
    }
}

// Width 913 with F = 3: k = 304 has k x F = 912 < 913 but is past the
// 304-bit preview line, whose 38 bytes end at bit 303.
TEST(RszBitList, NeverWritesPastThePreviewLine)
{
    Session session(913);
    ASSERT_EQ(0, RszBitInit(&session.data, 3));
    EXPECT_EQ(304u, session.control.preview.previewWidth);
    uint8_t line[600];
    memset(line, 0xFF, sizeof(line));
    for (int i = 0; i < 3; ++i) ASSERT_EQ(0, RszBitInputLine(&session.data, line));
    const RszLine* node = session.control.preview.firstLine;
    ASSERT_NE(nullptr, node);
    for (uint32_t k = 0; k < 304; ++k) ASSERT_TRUE(BitAt(node->data, k));
    // The line's piece is rounded up to 40 bytes; byte 38 is past the line.
    EXPECT_EQ(0, node->data[38]);
}

TEST(RszBitList, BuildsABlackAndWhiteDib)
{
    Session session(80);
    ASSERT_EQ(0, RszBitInit(&session.data, 0));  // 0 counts as 1
    uint8_t line[600] = {};
    line[0] = 0xA5;
    line[9] = 0x01;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(0, RszBitInputLine(&session.data, line));
    void* bits = nullptr;
    void* info = nullptr;
    int32_t group = -1;
    ASSERT_EQ(0, RszBitGetBitmap(&session.data, &bits, &info, &group));
    const DibInfoHeader header = HeaderOf(info);
    EXPECT_EQ(80, header.width);
    EXPECT_EQ(3, header.height);
    EXPECT_EQ(1, header.bitCount);
    EXPECT_EQ(1, header.planes);
    EXPECT_EQ(12u * 3, header.sizeImage);
    EXPECT_EQ(2u, header.clrUsed);
    EXPECT_EQ(2000, header.xPelsPerMeter);
    const uint8_t* table = static_cast<const uint8_t*>(info) + 40;
    const uint8_t expectTable[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    EXPECT_EQ(0, memcmp(expectTable, table, 8));
    EXPECT_EQ(static_cast<uint8_t*>(info) + 48, bits);
    const uint8_t* row = static_cast<const uint8_t*>(bits) + 12 * 2;
    EXPECT_EQ(0xA5, row[0]);
    EXPECT_EQ(0x01, row[9]);
    EXPECT_EQ(0, row[10]);
    // The bitmap lives in its own group; the list's group goes separately.
    const int32_t listGroup = session.control.preview.group;
    EXPECT_NE(listGroup, group);
    EXPECT_EQ(0, MemFreeGroup(group));
    EXPECT_EQ(0, RszBitFree(&session.data));
    EXPECT_EQ(-1, session.control.preview.group);
    EXPECT_EQ(3, MemFreeGroup(listGroup)) << "the list's group is still there";
}

}  // namespace

namespace {

// Records RszBitInit never set up: their group number is someone else's.
TEST(RszBitList, FreeingAListThatWasNeverSetUpIsRefused)
{
    int32_t other = -1;
    ASSERT_EQ(0, MemGetGroupID(&other));
    ScanSettings settings{};
    DSData data{};
    data.ScanSettings = &settings;
    struct Case {
        const char* what;
        uint16_t bitDepth;
        uint16_t factor;
    } cases[] = {{"a zeroed record", 0, 0}, {"an 8-bit resampler's", 8, 2}, {"no factor", 1, 0}};
    for (const Case& c : cases) {
        ImageControl control{};
        control.preview.group = other;
        control.preview.bitDepth = c.bitDepth;
        control.preview.factor = c.factor;
        data.ImageControl = &control;
        EXPECT_EQ(2, RszBitFree(&data)) << c.what;
        MemGroup* group = nullptr;
        EXPECT_EQ(0, MemGetGroupPtr(other, &group)) << c.what << ": the other owner's group stays";
    }
    EXPECT_EQ(0, MemFreeGroup(other));
}

}  // namespace
