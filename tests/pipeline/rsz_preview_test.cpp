// The preview resampler and the 1-bit preview list. Every test gives back
// the memory groups it took. The grey bitmaps, their windows and fitting:
// check_preview_readers.py.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FilmCore.h"
#include "frame/memgroups.h"
#include "frame/sysblock.h"
#include "pipeline/dib.h"
#include "pipeline/rsz_bitlist.h"

namespace {

class Rsz : public ::testing::Test {
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

bool SameHeader(const void* info, const DibInfoHeader& expected) { return !std::memcmp(info, &expected, 40); }

struct Bitmap {
    void* bits = nullptr;
    void* info = nullptr;
    int32_t group = FC_NO_GROUP;
    ~Bitmap() { if (group != FC_NO_GROUP) MemFreeGroup(group); }
};

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
};

bool BitAt(const uint8_t* line, uint32_t k) { return (line[k / 8] >> (7 - k % 8)) & 1; }

}  // namespace

TEST_F(Rsz, KeepsEveryFthSampleOfEveryFthLineWhateverTheBlocks)
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

TEST_F(Rsz, RefusesBadArgumentsUnmarkedRecordsAndWhatCannotBeDrawn)
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
    EXPECT_EQ(2, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group)) << "no line yet";
    ASSERT_EQ(0, FreeRszData(&record));
    EXPECT_EQ(2, RszInputDataBlock(&record, &byte, 1)) << "freed record still accepted";
    ASSERT_EQ(0, RszInitData(&record, 3, 2, 16, 1));
    const uint8_t oneBin[] = {10, 0, 11, 0, 10, 0};
    ASSERT_EQ(0, RszInputDataBlock(&record, oneBin, sizeof oneBin));
    EXPECT_EQ(1, RszGetBitmap(&record, &bitmap.bits, &bitmap.info, &bitmap.group)) << "one histogram bin";
    EXPECT_EQ(FC_NO_GROUP, bitmap.group) << "a group taken for a failed bitmap is kept";
    FreeRszData(&record);
}

// An exhausted group stops the input with 102 but keeps the completed lines;
// once memory is back the input goes on where it stopped.
TEST_F(Rsz, ExhaustedGroupKeepsTheLinesReceivedSoFar)
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

// Width 913 with F = 3: 304 bits a line, whose 38 bytes end at bit 303,
// though 304 x F = 912 is still a source pixel.
TEST_F(Rsz, BitListKeepsLinesFTwoFAndBitsZeroFTwoFWithinItsLine)
{
    BitSession session(913);
    ASSERT_EQ(0, RszBitInit(&session.data, 3));
    const RszData& list = session.control.preview;
    EXPECT_EQ(304u, list.previewWidth);
    uint8_t line[600];
    for (uint32_t y = 1; y <= 10; ++y) {
        // Source bit x set when x + y is a multiple of 5.
        std::memset(line, 0, sizeof line);
        for (uint32_t x = 0; x < 913; ++x)
            line[x / 8] |= (x + y) % 5 ? 0 : uint8_t(0x80 >> (x % 8));
        ASSERT_EQ(0, RszBitInputLine(&session.data, line));
    }
    ASSERT_EQ(3u, list.previewLines);   // source lines 3, 6 and 9
    const RszLine* node = list.firstLine;
    for (uint32_t y = 3; y <= 9; y += 3, node = node->next) {
        ASSERT_NE(nullptr, node);
        for (uint32_t k = 0; k < 304; ++k)
            ASSERT_EQ((3 * k + y) % 5 == 0, BitAt(node->data, k)) << y << " " << k;
        EXPECT_EQ(0, node->data[38]) << "the line's piece is rounded up to 40 bytes";
    }
    EXPECT_EQ(0, RszBitFree(&session.data));
}

TEST_F(Rsz, BitListBuildsABlackAndWhiteDib)
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
    EXPECT_TRUE(SameHeader(bitmap.info, {40, 80, 3, 1, 1, 0, 12 * 3, 2000, 2000, 2, 0}));
    const uint8_t table[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    EXPECT_EQ(0, std::memcmp(table, static_cast<uint8_t*>(bitmap.info) + 40, 8));
    ASSERT_EQ(static_cast<uint8_t*>(bitmap.info) + 48, bitmap.bits);
    const uint8_t row[12] = {0xA5, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0};
    EXPECT_EQ(0, std::memcmp(row, static_cast<uint8_t*>(bitmap.bits) + 24, 12));
    EXPECT_EQ(0, RszBitFree(&session.data));
}

// Records RszBitInit never set up: their group number is someone else's.
TEST_F(Rsz, FreeingABitListThatWasNeverSetUpIsRefused)
{
    int32_t other = FC_NO_GROUP;
    ASSERT_EQ(0, MemGetGroupID(&other));
    const struct { const char* what; uint16_t bitDepth, factor; } cases[] = {
        {"a zeroed record", 0, 0}, {"an 8-bit resampler's", 8, 2}, {"no factor", 1, 0}};
    for (const auto& c : cases) {
        BitSession session(0);
        session.control.preview.group = other;
        session.control.preview.bitDepth = c.bitDepth;
        session.control.preview.factor = c.factor;
        EXPECT_EQ(2, RszBitFree(&session.data)) << c.what;
        EXPECT_EQ(0, MemGetGroupPtr(other, nullptr)) << c.what << ": the other owner's group stays";
    }
    EXPECT_EQ(0, MemFreeGroup(other));
}
