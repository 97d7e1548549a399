// The preview resampler, the 1-bit preview list, window/level by palette
// and what a saved bitmap may be; every test gives back the memory groups
// it took. Grey bitmaps, their windows and fitting, files that load and
// save: check_preview_readers.py; damaged files: the fuzz corpus's replay.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FilmCore.h"
#include "frame/memgroups.h"
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

typedef std::vector<uint8_t> Bytes;

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

TEST_F(Rsz, WinLevelRewritesTheGreyTableOfWhatHasOne)
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

// A bitmap from outside with a 16-entry table, in a block that ends with
// it: only the entries the header counts are read or written.
TEST_F(Rsz, ShortColourTableIsHonouredAndImpossibleCountsAreRefused)
{
    Bytes dib = GreyDib(4, 4, 16);
    dib.resize(40 + 16 * 4);
    ASSERT_EQ(0, SetWinLevel(dib.data(), 8, 8));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i <= 4 ? 0 : i < 12 ? (i - 4) * 32 : 255, dib[40 + 4 * i]) << i;
    const Bytes pixels(16, 7);
    const std::string path = "rsz_short_table.bmp";
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

TEST_F(Rsz, SaveBitmapRefusesPixelsPast64KiBAndUnopenableFiles)
{
    const Bytes large = GreyDib(257, 256), limit = GreyDib(256, 256);   // 260 x 256 bytes of pixels; 65536
    EXPECT_EQ(501, SaveBitmapToFile("rsz_save_test.bmp", large.data(), large.data() + 1064));
    EXPECT_EQ(0, SaveBitmapToFile("rsz_save_test.bmp", limit.data(), limit.data() + 1064));
    EXPECT_EQ(1078u + 65536, ReadAll("rsz_save_test.bmp").size());
    std::remove("rsz_save_test.bmp");
    EXPECT_EQ(201, SaveBitmapToFile("no_such_dir/x.bmp", limit.data(), limit.data() + 1064));
}
