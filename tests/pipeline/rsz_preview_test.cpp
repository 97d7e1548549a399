// The preview resampler, its bitmaps and the 1-bit preview list. Every
// test gives back the memory groups it took.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FilmCore.h"
#include "frame/memgroups.h"
#include "frame/sysblock.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_bitlist.h"

namespace {

class MemoryGroups : public ::testing::Environment {
    void SetUp() override { ASSERT_EQ(0, MemInit(4000)); }
    void TearDown() override { MemDeinit(); }
};

class GroupsComeBack : public ::testing::EmptyTestEventListener {
    uint32_t atStart = 0;
    void OnTestStart(const ::testing::TestInfo&) override { atStart = MemGroupCount(); }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        EXPECT_EQ(atStart, MemGroupCount()) << "memory groups in use after the test";
    }
};

const bool registered = [] {
    ::testing::AddGlobalTestEnvironment(new MemoryGroups);
    ::testing::UnitTest::GetInstance()->listeners().Append(new GroupsComeBack);
    return true;
}();

// The completed preview lines in list order, flattened.
std::vector<uint8_t> PreviewBytes(const RszData& record)
{
    std::vector<uint8_t> out;
    const RszLine* node = record.firstLine;
    const uint32_t lineBytes = record.previewWidth * record.bytesPerSample;
    for (uint32_t line = 0; line < record.previewLines && node; ++line, node = node->next)
        out.insert(out.end(), node->data, node->data + lineBytes);
    return out;
}

DibInfoHeader HeaderOf(const void* info)
{
    DibInfoHeader header;
    std::memcpy(&header, info, sizeof header);
    return header;
}

struct Bitmap {
    void* bits = nullptr;
    void* info = nullptr;
    int32_t group = FC_NO_GROUP;
    ~Bitmap() { if (group != FC_NO_GROUP) MemFreeGroup(group); }
};

// An 8-bit preview W x H whose pixel is (x + 7 y) mod 256.
void MakePreview8(RszData* record, uint32_t width, uint32_t height, uint16_t depth = 8)
{
    ASSERT_EQ(0, RszInitData(record, width, 1, depth, 1));
    std::vector<uint8_t> image(size_t(width) * height);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i % width + 7 * (i / width));
    ASSERT_EQ(0, RszInputDataBlock(record, image.data(), uint32_t(image.size())));
}

}  // namespace

TEST(RszResampler, KeepsEveryFthSampleOfEveryFthLineWhateverTheBlocks)
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

TEST(RszResampler, RefusesBadArgumentsAndRecordsWithoutTheMark)
{
    RszData record;
    EXPECT_EQ(1, RszInitData(&record, 100, 1, 8, 0));
    EXPECT_EQ(1, RszInitData(&record, 100, 3, 24, 1));
    EXPECT_EQ(1, RszInitData(nullptr, 100, 1, 8, 1));
    std::memset(&record, 0, sizeof record);
    const uint8_t byte = 0;
    Bitmap bitmap;
    EXPECT_EQ(2, RszInputDataBlock(&record, &byte, 1));
    EXPECT_EQ(2, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group));
    EXPECT_EQ(2, RszChangeYOrientation(&record));
    EXPECT_EQ(2, FreeRszData(&record));
    ASSERT_EQ(0, RszInitData(&record, 10, 1, 0, 2));
    EXPECT_EQ(8, record.bitDepth);
    ASSERT_EQ(0, FreeRszData(&record));
    EXPECT_EQ(2, RszInputDataBlock(&record, &byte, 1)) << "freed record still accepted";
}

// An exhausted group stops the input with 102 but keeps the completed lines;
// once memory is back the input goes on where it stopped.
TEST(RszResampler, ExhaustedGroupKeepsTheLinesReceivedSoFar)
{
    std::vector<uint8_t> image(3 * 2000);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i / 2000 + 1);
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, 2000, 1, 8, 1));
    SysBlockRefuseAfter(0);
    EXPECT_EQ(102, RszInputDataBlock(&record, image.data(), 2000));
    SysBlockRefuseAfter(-1);
    EXPECT_EQ(std::vector<uint8_t>(2000, 1), PreviewBytes(record));
    ASSERT_EQ(0, RszInputDataBlock(&record, image.data() + 2000, 4000));
    EXPECT_EQ(image, PreviewBytes(record));
    FreeRszData(&record);
}

TEST(RszBitmap, FitsIntoTheBoundKeepingTheAspect)
{
    const struct { uint32_t width, height; uint16_t boundWidth, boundHeight; int32_t w, h; } cases[] = {
        {600, 400, 200, 200, 200, 133},
        {400, 600, 200, 200, 136, 204},  // 133 rounded up to 136: may pass the height bound
        {100, 80, 200, 200, 100, 80},    // never enlarged
        {300, 20, 0xFF00, 10, 300, 20},  // a bound of 0xFF00 or more: own size
    };
    for (const auto& c : cases) {
        RszData record;
        MakePreview8(&record, c.width, c.height);
        Bitmap bitmap;
        ASSERT_EQ(0, RszGetBitmapWithUpBound(&record, c.boundWidth, c.boundHeight, &bitmap.bits, &bitmap.info,
                                             &bitmap.group));
        EXPECT_EQ(c.w, HeaderOf(bitmap.info).width) << c.width << "x" << c.height;
        EXPECT_EQ(c.h, HeaderOf(bitmap.info).height) << c.width << "x" << c.height;
        FreeRszData(&record);
    }
}

TEST(RszBitmap, PackedGreyDibInTheGroupTheCallerNames)
{
    RszData record;
    MakePreview8(&record, 13, 5, 6);
    Bitmap bitmap;
    ASSERT_EQ(0, MemGetGroupID(&bitmap.group));
    const int32_t named = bitmap.group;
    ASSERT_EQ(0, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group));
    EXPECT_EQ(named, bitmap.group);
    ASSERT_EQ(0, FreeRszData(&record));   // the bitmap outlives the resampler
    const DibInfoHeader h = HeaderOf(bitmap.info);
    const DibInfoHeader expected{40, 13, 5, 1, 8, 0, 16 * 5, 2000, 2000, 256, 0};
    EXPECT_EQ(0, std::memcmp(&h, &expected, sizeof h));
    const uint8_t* table = static_cast<const uint8_t*>(bitmap.info) + 40;
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(uint32_t(i * 0x010101), uint32_t(table[4 * i] | table[4 * i + 1] << 8 | table[4 * i + 2] << 16 |
                                                   table[4 * i + 3] << 24)) << i;
    ASSERT_EQ(static_cast<uint8_t*>(bitmap.info) + 1064, bitmap.bits);
    // First row in memory is the first preview line, masked to 6 bits; padding is zero.
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            ASSERT_EQ(x < 13 ? uint8_t((x + 7 * y) & 0x3F) : 0, static_cast<uint8_t*>(bitmap.bits)[16 * y + x]);
}

TEST(RszBitmap, RefusesWhatCannotBeDrawn)
{
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, 3, 2, 16, 1));
    const uint8_t oneBin[] = {10, 0, 11, 0, 10, 0};
    ASSERT_EQ(0, RszInputDataBlock(&record, oneBin, sizeof oneBin));
    Bitmap bitmap;
    EXPECT_EQ(1, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group));
    EXPECT_EQ(FC_NO_GROUP, bitmap.group) << "a group taken for a failed bitmap is kept";
    FreeRszData(&record);
    ASSERT_EQ(0, RszInitData(&record, 3, 1, 8, 1));
    EXPECT_EQ(2, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group)) << "no line";
    FreeRszData(&record);
    MakePreview8(&record, 1000, 3);
    EXPECT_EQ(1, RszGetBitmapWithUpBound(&record, 200, 200, &bitmap.bits, &bitmap.info, &bitmap.group))
        << "a reduction to a single row";
    FreeRszData(&record);
}

namespace {

struct BitSession {
    ScanSettings settings{};
    ImageControl control{};
    DSData data{};
    explicit BitSession(uint32_t scanWidth)
    {
        settings.scanWidth = scanWidth;
        data.ScanSettings = &settings;
        data.ImageControl = &control;
    }
    ~BitSession() { EXPECT_EQ(0, RszBitFree(&data)); }
};

bool BitAt(const uint8_t* line, uint32_t k) { return (line[k / 8] >> (7 - k % 8)) & 1; }

}  // namespace

TEST(RszBitList, KeepsLinesFTwoFAndBitsZeroFTwoF)
{
    BitSession session(1000);
    ASSERT_EQ(0, RszBitInit(&session.data, 3));
    const RszData& list = session.control.preview;
    EXPECT_EQ(333u, list.previewWidth);
    uint8_t line[600];
    for (uint32_t y = 1; y <= 10; ++y) {
        // Source bit x set when x + y is a multiple of 5.
        std::memset(line, 0, sizeof line);
        for (uint32_t x = 0; x < 1000; ++x)
            if ((x + y) % 5 == 0)
                line[x / 8] |= uint8_t(0x80 >> (x % 8));
        ASSERT_EQ(0, RszBitInputLine(&session.data, line));
    }
    ASSERT_EQ(3u, list.previewLines);   // source lines 3, 6 and 9
    const RszLine* node = list.firstLine;
    for (uint32_t y : {3u, 6u, 9u}) {
        ASSERT_NE(nullptr, node);
        for (uint32_t k = 0; k < 333; ++k)
            ASSERT_EQ((3 * k + y) % 5 == 0, BitAt(node->data, k)) << y << " " << k;
        node = node->next;
    }
}

// Width 913 with F = 3: k = 304 has k x F = 912 < 913 but is past the
// 304-bit preview line, whose 38 bytes end at bit 303.
TEST(RszBitList, NeverWritesPastThePreviewLine)
{
    BitSession session(913);
    ASSERT_EQ(0, RszBitInit(&session.data, 3));
    EXPECT_EQ(304u, session.control.preview.previewWidth);
    uint8_t line[600];
    std::memset(line, 0xFF, sizeof line);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(0, RszBitInputLine(&session.data, line));
    const RszLine* node = session.control.preview.firstLine;
    ASSERT_NE(nullptr, node);
    for (uint32_t k = 0; k < 304; ++k)
        ASSERT_TRUE(BitAt(node->data, k));
    EXPECT_EQ(0, node->data[38]) << "the line's piece is rounded up to 40 bytes";
}

TEST(RszBitList, BuildsABlackAndWhiteDib)
{
    BitSession session(80);
    ASSERT_EQ(0, RszBitInit(&session.data, 0));   // 0 counts as 1
    uint8_t line[600] = {0xA5};
    line[9] = 0x01;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(0, RszBitInputLine(&session.data, line));
    Bitmap bitmap;
    ASSERT_EQ(0, RszBitGetBitmap(&session.data, &bitmap.bits, &bitmap.info, &bitmap.group));
    EXPECT_NE(session.control.preview.group, bitmap.group) << "the bitmap has a group of its own";
    const DibInfoHeader h = HeaderOf(bitmap.info);
    const DibInfoHeader expected{40, 80, 3, 1, 1, 0, 12 * 3, 2000, 2000, 2, 0};
    EXPECT_EQ(0, std::memcmp(&h, &expected, sizeof h));
    const uint8_t table[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    EXPECT_EQ(0, std::memcmp(table, static_cast<uint8_t*>(bitmap.info) + 40, 8));
    ASSERT_EQ(static_cast<uint8_t*>(bitmap.info) + 48, bitmap.bits);
    const uint8_t row[12] = {0xA5, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0};
    EXPECT_EQ(0, std::memcmp(row, static_cast<uint8_t*>(bitmap.bits) + 24, 12));
}

// Records RszBitInit never set up: their group number is someone else's.
TEST(RszBitList, FreeingAListThatWasNeverSetUpIsRefused)
{
    int32_t other = FC_NO_GROUP;
    ASSERT_EQ(0, MemGetGroupID(&other));
    const struct { const char* what; uint16_t bitDepth, factor; } cases[] = {
        {"a zeroed record", 0, 0}, {"an 8-bit resampler's", 8, 2}, {"no factor", 1, 0}};
    for (const auto& c : cases) {
        ScanSettings settings{};
        ImageControl control{};
        DSData data{};
        data.ScanSettings = &settings;
        data.ImageControl = &control;
        control.preview.group = other;
        control.preview.bitDepth = c.bitDepth;
        control.preview.factor = c.factor;
        EXPECT_EQ(2, RszBitFree(&data)) << c.what;
        EXPECT_EQ(0, MemGetGroupPtr(other, nullptr)) << c.what << ": the other owner's group stays";
    }
    EXPECT_EQ(0, MemFreeGroup(other));
}
