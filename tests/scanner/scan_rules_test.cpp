// Portable rules of scan programming at edges the dialogs cannot reach:
// resolution bounds, truncation, a bed narrower than 14 inches, unterminated replies.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "digitizer/line_width.h"
#include "digitizer/reply_word.h"
#include "digitizer/scan_region.h"
#include "digitizer/units.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(Units, ResolutionSnapsByTheBoundsOfItsUnit)
{
    const struct { float value; uint32_t units; int snapped; } cases[] = {
        {140, UNITS_INCHES, 142}, {825, UNITS_INCHES, 75}, {824, UNITS_CENTIMETRES, 800},
        {64.9f, UNITS_PIXELS, 60}, {65, UNITS_INCHES, 71}, {-5, UNITS_INCHES, 60},
        {kNaN, UNITS_INCHES, 75}, {300, 4, 60}, {300, 0, 60}};
    for (const auto& c : cases)
        EXPECT_EQ(SnapResolution(c.value, c.units), c.snapped) << c.value << " " << c.units;
}

TEST(Units, TruncationAndFormattingAreDefinedForEveryValue)
{
    EXPECT_EQ(TruncateToU32(-150.0), 0u);
    EXPECT_EQ(TruncateToU32(kNaN), 0u);
    EXPECT_EQ(TruncateToU32(kInf), UINT32_MAX);
    EXPECT_EQ(TruncateToU32(2099.99), 2099u);
    EXPECT_EQ(TruncateToInt(-kInf), INT32_MIN);
    EXPECT_EQ(FromPixels(INT32_MAX, UNITS_PIXELS, 0), INT32_MAX) << "clamped, not wrapped";
    char text[32], tiny[4];
    FormatLength(1e30, UNITS_PIXELS, 300, text, sizeof text);
    EXPECT_STREQ(text, "2147483647");
    FormatLength(0.5, UNITS_CENTIMETRES, 150, text, sizeof text);
    EXPECT_STREQ(text, "1.3") << "127 hundredths";
    FormatLength(123456.0, UNITS_INCHES, 300, tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), 3u);
}

// A left beyond the bed puts a one-inch window on the bed's last inch.
TEST(ScanRegion, WindowPastTheBedGoesToItsLastInch)
{
    const struct { double bedWidth, left, width, expectLeft, expectWidth; } cases[] = {
        {14, 15, 2, 13, 1},     // 14-inch bed
        {8, 15, 2, 7, 1},       // narrower bed: on it, not at 13
        {8, 8.5, 0.5, 7, 1},    // just past the edge
        {8, 7.5, 2, 7.5, 0.5},  // still on the bed: only the width shrinks
        {8, 6, 2, 6, 2},        // an exact fit stays
    };
    for (const auto& c : cases) {
        ManualRegion r = {c.width, 10.0, 0.0, c.left};
        LimitManualPosition(&r, c.bedWidth, 17);
        EXPECT_DOUBLE_EQ(r.left, c.expectLeft) << c.bedWidth << " " << c.left;
        EXPECT_DOUBLE_EQ(r.width, c.expectWidth) << c.bedWidth << " " << c.left;
    }
}

TEST(ScanRegion, InvertedAutoSelectionIsEmpty)
{
    ScanArea area = {};
    area.left = 8.0f;
    area.right = 3.0f;
    area.bottom = 10.0f;
    uint32_t pixels = 1, lines = 1;
    SelectAutoRegion(&area, 14, 100, 1400, &pixels, &lines);
    EXPECT_EQ(pixels, 0u) << "not 4 billion pixels";
}

// Replies of the digitizer need not be terminated; what is read of them
// stops at their length and at the field's size (ASan watches).
TEST(DigitizerReplies, LineWidthAndFirstWordAreBounded)
{
    uint8_t page[16];
    std::memset(page, '7', sizeof page);
    EXPECT_EQ(ParseLineWidth(page, 8), 777);
    std::memcpy(page + 5, "99999999999", 11);
    EXPECT_EQ(ParseLineWidth(page, sizeof page), 65535);
    char reply[80], word[5];
    std::memset(reply, 'X', sizeof reply);
    CopyFirstWord(reply, sizeof reply, word, sizeof word);
    EXPECT_STREQ(word, "XXXX");
}

}  // namespace
