#include <gtest/gtest.h>

#include "frame/memgroups.h"
#include "frame/sysblock.h"
#include "pipeline/rsz_lines.h"
#include "rsz_test_support.h"

namespace {

uint32_t Ramp(uint32_t x, uint32_t y) { return (x * 3 + y * 1000) & 0xFFFF; }

// Feeds the image in blocks of the given size (a block may end anywhere,
// also inside a sample).
uint16_t Feed(RszData* record, const std::vector<uint8_t>& bytes, size_t block)
{
    for (size_t at = 0; at < bytes.size(); at += block) {
        const size_t take = bytes.size() - at < block ? bytes.size() - at : block;
        const uint16_t result = RszInputDataBlock(record, bytes.data() + at, uint32_t(take));
        if (result != 0) return result;
    }
    return 0;
}

std::vector<uint8_t> ExpectedReduction16(uint32_t width, uint32_t lines, uint32_t factor)
{
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < lines; y += factor)
        for (uint32_t x = 0; x < width; x += factor) {
            out.push_back(uint8_t(Ramp(x, y)));
            out.push_back(uint8_t(Ramp(x, y) >> 8));
        }
    return out;
}

TEST(RszResampler, KeepsEveryFthSampleOfEveryFthLineWhateverTheBlocks)
{
    const uint32_t width = 1000, lines = 31, factor = 3;
    const std::vector<uint8_t> image = MakeImage16(width, lines, Ramp);
    for (size_t block : {size_t(1), size_t(7), size_t(1999), size_t(2000), size_t(32768)}) {
        RszData record;
        ASSERT_EQ(0, RszInitData(&record, width, 2, 12, factor));
        EXPECT_EQ(334u, record.previewWidth);
        ASSERT_EQ(0, Feed(&record, image, block)) << "block " << block;
        EXPECT_EQ(11u, record.previewLines);
        EXPECT_EQ(uint32_t(lines), record.sourceLine);
        EXPECT_EQ(ExpectedReduction16(width, lines, factor), PreviewBytes(record)) << "block " << block;
        EXPECT_EQ(0, FreeRszData(&record));
        EXPECT_EQ(-1, record.group);
    }
}

TEST(RszResampler, FactorOneCopiesLinesAndKeepsAPartialLineOutOfTheCount)
{
    std::vector<uint8_t> image(5 * 7 + 3);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 5);
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, 7, 1, 8, 1));
    ASSERT_EQ(0, Feed(&record, image, 4));
    EXPECT_EQ(5u, record.previewLines);
    EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 35), PreviewBytes(record));
    EXPECT_EQ(3u, record.linePosition);
    FreeRszData(&record);
}

// A landscape 51-inch film at 800 dpi has 40800 samples a line.
TEST(RszResampler, LinesWiderThan32767SamplesLoad)
{
    const uint32_t width = 40800, lines = 3;
    const std::vector<uint8_t> image = MakeImage16(width, lines, Ramp);
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, width, 2, 16, 1));
    ASSERT_EQ(0, Feed(&record, image, 32768));
    EXPECT_EQ(3u, record.previewLines);
    EXPECT_EQ(image, PreviewBytes(record));
    FreeRszData(&record);
}

TEST(RszResampler, RefusesBadArgumentsAndRecordsWithoutTheMark)
{
    RszData record;
    EXPECT_EQ(1, RszInitData(&record, 0, 1, 8, 1));
    EXPECT_EQ(1, RszInitData(&record, 100, 1, 8, 0));
    EXPECT_EQ(1, RszInitData(&record, 100, 3, 24, 1));
    EXPECT_EQ(1, RszInitData(nullptr, 100, 1, 8, 1));

    memset(&record, 0, sizeof(record));
    const uint8_t byte = 0;
    void* bits = nullptr;
    void* info = nullptr;
    int32_t group = -1;
    EXPECT_EQ(2, RszInputDataBlock(&record, &byte, 1));
    EXPECT_EQ(2, RszGetBitmap(&record, &bits, &info, &group));
    EXPECT_EQ(2, RszChangeYOrientation(&record));
    EXPECT_EQ(2, FreeRszData(&record));

    ASSERT_EQ(0, RszInitData(&record, 10, 1, 0, 2));
    EXPECT_EQ(8, record.bitDepth);
    ASSERT_EQ(0, FreeRszData(&record));
    EXPECT_EQ(2, RszInputDataBlock(&record, &byte, 1)) << "freed record still accepted";
}

TEST(RszResampler, ChangeYOrientationReversesCompletedLinesAndInputGoesOn)
{
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, 2, 1, 8, 1));
    const uint8_t lines[] = {1, 1, 2, 2, 3, 3, 4};
    ASSERT_EQ(0, RszInputDataBlock(&record, lines, sizeof(lines)));
    ASSERT_EQ(0, RszChangeYOrientation(&record));
    EXPECT_EQ((std::vector<uint8_t>{3, 3, 2, 2, 1, 1}), PreviewBytes(record));
    EXPECT_EQ(nullptr, record.firstLine->previous);

    const uint8_t rest[] = {4, 5, 5};
    ASSERT_EQ(0, RszInputDataBlock(&record, rest, sizeof(rest)));
    EXPECT_EQ((std::vector<uint8_t>{3, 3, 2, 2, 1, 1, 4, 4, 5, 5}), PreviewBytes(record));
    // Walking back from the last line meets every line once.
    size_t backwards = 0;
    for (const RszLine* node = record.lastLine; node != nullptr; node = node->previous) ++backwards;
    EXPECT_EQ(6u, backwards);  // five lines and the spare node
    FreeRszData(&record);
}

// An exhausted group stops the input with 102 but keeps the completed lines;
// once memory is back the input goes on where it stopped.
TEST(RszResampler, ExhaustedGroupKeepsTheLinesReceivedSoFar)
{
    std::vector<uint8_t> image(3 * 2000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i / 2000 + 1);
    RszData record;
    ASSERT_EQ(0, RszInitData(&record, 2000, 1, 8, 1));
    SysBlockRefuseAfter(0);
    EXPECT_EQ(102, RszInputDataBlock(&record, image.data(), 2000));
    SysBlockRefuseAfter(-1);
    EXPECT_EQ(1u, record.previewLines);
    EXPECT_EQ(std::vector<uint8_t>(2000, 1), PreviewBytes(record));

    ASSERT_EQ(0, RszInputDataBlock(&record, image.data() + 2000, 4000));
    EXPECT_EQ(3u, record.previewLines);
    EXPECT_EQ(image, PreviewBytes(record));
    FreeRszData(&record);
}

}  // namespace
