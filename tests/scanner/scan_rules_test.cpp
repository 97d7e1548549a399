// The portable rules behind scan programming and parameter sync: units,
// resolution snapping, ranges, the region on the bed, digitizer replies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "scanner/param_rules.h"
#include "scanner/line_width.h"
#include "scanner/reply_word.h"
#include "scanner/scan_region.h"
#include "scanner/units.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(Units, SnapResolutionBounds)
{
    EXPECT_EQ(SnapResolution(140, UNITS_INCHES), 142);
    EXPECT_EQ(SnapResolution(825, UNITS_INCHES), 75);
    EXPECT_EQ(SnapResolution(824, UNITS_CENTIMETRES), 800);
    EXPECT_EQ(SnapResolution(64.9f, UNITS_PIXELS), 60);
    EXPECT_EQ(SnapResolution(65, UNITS_INCHES), 71);
    EXPECT_EQ(SnapResolution(-5, UNITS_INCHES), 60);
    EXPECT_EQ(SnapResolution(kNaN, UNITS_INCHES), 75);
    EXPECT_EQ(SnapResolution(300, 4), 60);
    EXPECT_EQ(SnapResolution(300, 0), 60);
}

TEST(Units, ToInchesAndFormatLength)
{
    EXPECT_DOUBLE_EQ(ToInches(8.5f, UNITS_INCHES, 150), 8.5);
    EXPECT_NEAR(ToInches(2.54f, UNITS_CENTIMETRES, 150), 1.0, 1e-6);
    EXPECT_DOUBLE_EQ(ToInches(300, UNITS_PIXELS, 150), 2.0);
    EXPECT_DOUBLE_EQ(ToInches(300, UNITS_PIXELS, 0), 0.0);
    EXPECT_DOUBLE_EQ(ToInches(300, 9, 150), 0.0);

    char text[32];
    FormatLength(13.0, UNITS_INCHES, 150, text, sizeof text);
    EXPECT_STREQ(text, "13.0");
    FormatLength(0.5, UNITS_CENTIMETRES, 150, text, sizeof text);
    EXPECT_STREQ(text, "1.3") << "(int)(50 x 2.54) = 127 hundredths";
    FormatLength(1.999, UNITS_PIXELS, 300, text, sizeof text);
    EXPECT_STREQ(text, "599");
    FormatLength(1.0, 7, 300, text, sizeof text);
    EXPECT_STREQ(text, "0.0");
    FormatLength(1e30, UNITS_PIXELS, 300, text, sizeof text);
    EXPECT_STREQ(text, "2147483647");
    char tiny[4];
    FormatLength(123456.0, UNITS_INCHES, 300, tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), 3u);
}

TEST(Units, PixelConversions)
{
    EXPECT_EQ(ToPixels(1700, UNITS_INCHES, 300), 5100);
    EXPECT_EQ(ToPixels(4318, UNITS_CENTIMETRES, 300), 5100);
    EXPECT_EQ(ToPixels(5199, UNITS_PIXELS, 300), 51);
    EXPECT_EQ(ToPixels(1700, 0, 300), 0);
    EXPECT_EQ(FromPixels(5100, UNITS_CENTIMETRES, 300), 4318);
    EXPECT_EQ(FromPixels(5100, UNITS_INCHES, 300), 1700);
    EXPECT_EQ(FromPixels(51, UNITS_PIXELS, 300), 5100);
    EXPECT_EQ(FromPixels(5100, UNITS_INCHES, 0), 0);
    EXPECT_EQ(FromPixels(INT32_MAX, UNITS_PIXELS, 0), INT32_MAX) << "clamped, not wrapped";
}

TEST(Units, TruncationIsDefinedForEveryValue)
{
    EXPECT_EQ(TruncateToU32(-150.0), 0u);
    EXPECT_EQ(TruncateToU32(kNaN), 0u);
    EXPECT_EQ(TruncateToU32(kInf), UINT32_MAX);
    EXPECT_EQ(TruncateToU32(2099.99), 2099u);
    EXPECT_EQ(TruncateToInt(-2.7), -2);
    EXPECT_EQ(TruncateToInt(-kInf), INT32_MIN);
    EXPECT_EQ(TruncateToInt(kNaN), 0);
}

TEST(ParamRules, ResolutionAndDepth)
{
    EXPECT_EQ(NormaliseResolution(140), 142u);
    EXPECT_EQ(NormaliseResolution(1200), 75u);
    EXPECT_EQ(NormaliseResolution(581), 800u) << "snapped by the bounds, not to the nearest";
    EXPECT_EQ(NormaliseResolution(285), 285u);
    EXPECT_EQ(NormaliseResolution(0), 60u);
    EXPECT_EQ(NormaliseDepth(10), 8u);
    EXPECT_EQ(NormaliseDepth(14), 12u);
    EXPECT_EQ(NormaliseDepth(24), 16u);
    EXPECT_EQ(NormaliseDepth(0), 1u);
    EXPECT_EQ(NormaliseDepth(12), 12u);
    EXPECT_EQ(NormaliseDepth(0xFFFFFFFFu), 16u);
}

TEST(ParamRules, LengthsAndExposure)
{
    EXPECT_EQ(LimitLength(20.0f, 14.0f), 14.0f);
    EXPECT_EQ(LimitLength(-1.0f, 14.0f), 0.0f);
    EXPECT_EQ(LimitLength(kNaN, 17.0f), 0.0f);
    EXPECT_EQ(LimitLength(kInf, 17.0f), 17.0f);
    EXPECT_EQ(LimitLength(-kInf, 17.0f), 0.0f);
    EXPECT_EQ(LimitLength(8.5f, 14.0f), 8.5f);
    EXPECT_EQ(LimitExposure(5, 10, 40), 10);
    EXPECT_EQ(LimitExposure(70000, 10, 40), 40);
    EXPECT_EQ(LimitExposure(25, 10, 40), 25);
}

TEST(ScanRegion, ManualWindowEndsOnTheBed)
{
    ManualRegion r = {2.0, 10.0, 1.0, 13.5};
    LimitManualPosition(&r, 14, 17);
    EXPECT_DOUBLE_EQ(r.width, 0.5);
    EXPECT_DOUBLE_EQ(r.left, 13.5);

    r = {2.0, 10.0, 20.0, 15.0};
    LimitManualPosition(&r, 14, 17);
    EXPECT_DOUBLE_EQ(r.left, 13.0);
    EXPECT_DOUBLE_EQ(r.width, 1.0);
    EXPECT_DOUBLE_EQ(r.top, 17.0);

    r = {-1.0, std::nan(""), -0.5, -1.0};
    LimitManualPosition(&r, 14, 17);
    EXPECT_DOUBLE_EQ(r.width, 0.0);
    EXPECT_DOUBLE_EQ(r.length, 0.0);
    EXPECT_DOUBLE_EQ(r.top, 0.0);
    EXPECT_DOUBLE_EQ(r.left, 0.0);

    r = {30.0, 60.0, 0, 0};
    LimitManualSize(&r, 14, 51);
    EXPECT_DOUBLE_EQ(r.width, 14.0);
    EXPECT_DOUBLE_EQ(r.length, 51.0);
    r = {-3.0, -kInf, 0, 0};
    LimitManualSize(&r, 14, 51);
    EXPECT_DOUBLE_EQ(r.width, 0.0);
    EXPECT_DOUBLE_EQ(r.length, 0.0);
}

TEST(ScanRegion, AutoSelectionCropsWithinTheDeliveredStrip)
{
    ScanArea area = {};
    area.left = 2.0f;
    area.right = 6.0f;
    area.top = -1.0f;
    area.bottom = 10.0f;
    uint32_t pixels = 0, lines = 0;
    // The strip is 14 inches: 14 - 6 > 2, so the crop starts at the strip's edge.
    SelectAutoRegion(&area, 14, 100, 1400, &pixels, &lines);
    EXPECT_EQ(area.top, 0.0f);
    EXPECT_EQ(area.cropLeft, 0.0f);
    EXPECT_EQ(area.cropRight, 4.0f);
    EXPECT_EQ(pixels, 400u);
    EXPECT_EQ(lines, 1000u);

    area.left = 5.0f;
    area.right = 20.0f;
    SelectAutoRegion(&area, 14, 100, 1000, &pixels, &lines);  // a 10-inch strip
    EXPECT_EQ(area.right, 14.0f);
    EXPECT_EQ(area.cropLeft, 9.0f);
    EXPECT_EQ(area.cropRight, 18.0f);
    EXPECT_EQ(pixels, 900u);

    area.left = 8.0f;
    area.right = 3.0f;  // an inverted selection is empty, not 4 billion pixels
    SelectAutoRegion(&area, 14, 100, 1400, &pixels, &lines);
    EXPECT_EQ(pixels, 0u);
}

TEST(DigitizerReplies, LineWidthText)
{
    uint8_t page[16] = {0};
    std::memcpy(page + 5, " 2101", 5);
    EXPECT_EQ(ParseLineWidth(page, sizeof page), 2101);
    std::memcpy(page + 5, "abc", 4);
    EXPECT_EQ(ParseLineWidth(page, sizeof page), 0);
    std::memcpy(page + 5, "99999999999", 11);
    EXPECT_EQ(ParseLineWidth(page, sizeof page), 65535);
    std::memset(page, '7', sizeof page);  // unterminated: stops at the length
    EXPECT_EQ(ParseLineWidth(page, 8), 777);
}

TEST(DigitizerReplies, FirstWordIsBounded)
{
    char reply[80];
    std::memset(reply, 'X', sizeof reply);  // no terminator, no blank
    char word[5];
    CopyFirstWord(reply, sizeof reply, word, sizeof word);
    EXPECT_STREQ(word, "XXXX");
    const char text[] = "  9E rest";
    CopyFirstWord(text, sizeof text, word, sizeof word);
    EXPECT_STREQ(word, "9E");
    CopyFirstWord("", 1, word, sizeof word);
    EXPECT_STREQ(word, "");
}

}  // namespace

namespace {

// A left beyond the bed puts a one-inch window on the bed's last inch.
TEST(ScanRegion, WindowPastTheBedGoesToItsLastInch)
{
    struct Case {
        double bedWidth, left, width, expectLeft, expectWidth;
    } cases[] = {
        {14, 15, 2, 13, 1},    // 14-inch bed: as before
        {8, 15, 2, 7, 1},      // narrower bed: on it, not at 13
        {8, 8.5, 0.5, 7, 1},   // just past the edge
        {8, 7.5, 2, 7.5, 0.5}, // still on the bed: only the width shrinks
        {8, 6, 2, 6, 2},       // an exact fit stays
    };
    for (const Case& c : cases) {
        ManualRegion r = {c.width, 10.0, 0.0, c.left};
        LimitManualPosition(&r, c.bedWidth, 17);
        EXPECT_DOUBLE_EQ(r.left, c.expectLeft) << c.bedWidth << " " << c.left;
        EXPECT_DOUBLE_EQ(r.width, c.expectWidth) << c.bedWidth << " " << c.left;
        EXPECT_LE(r.left + r.width, c.bedWidth);
    }
}

}  // namespace
