// The portable rules behind scan programming and parameter sync: units,
// resolution snapping, ranges, the region on the bed, digitizer replies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "scanner/line_width.h"
#include "scanner/param_rules.h"
#include "scanner/reply_word.h"
#include "scanner/scan_region.h"
#include "scanner/units.h"

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
    const uint32_t normalised[][2] = {{140, 142}, {1200, 75}, {581, 800}, {285, 285}, {0, 60}};
    for (const auto& n : normalised)
        EXPECT_EQ(NormaliseResolution(n[0]), n[1]) << n[0];
    const uint32_t depths[][2] = {{10, 8}, {14, 12}, {24, 16}, {0, 1}, {12, 12}, {0xFFFFFFFFu, 16}};
    for (const auto& d : depths)
        EXPECT_EQ(NormaliseDepth(d[0]), d[1]) << d[0];
}

TEST(Units, ConversionsAreTruncatedAndDefinedForEveryValue)
{
    EXPECT_NEAR(ToInches(2.54f, UNITS_CENTIMETRES, 150), 1.0, 1e-6);
    EXPECT_DOUBLE_EQ(ToInches(300, UNITS_PIXELS, 150), 2.0);
    EXPECT_DOUBLE_EQ(ToInches(300, UNITS_PIXELS, 0), 0.0);
    EXPECT_DOUBLE_EQ(ToInches(300, 9, 150), 0.0);
    EXPECT_EQ(ToPixels(4318, UNITS_CENTIMETRES, 300), 5100);
    EXPECT_EQ(ToPixels(5199, UNITS_PIXELS, 300), 51);
    EXPECT_EQ(ToPixels(1700, 0, 300), 0);
    EXPECT_EQ(FromPixels(5100, UNITS_CENTIMETRES, 300), 4318);
    EXPECT_EQ(FromPixels(5100, UNITS_INCHES, 0), 0);
    EXPECT_EQ(FromPixels(INT32_MAX, UNITS_PIXELS, 0), INT32_MAX) << "clamped, not wrapped";
    EXPECT_EQ(TruncateToU32(-150.0), 0u);
    EXPECT_EQ(TruncateToU32(kNaN), 0u);
    EXPECT_EQ(TruncateToU32(kInf), UINT32_MAX);
    EXPECT_EQ(TruncateToU32(2099.99), 2099u);
    EXPECT_EQ(TruncateToInt(-2.7), -2);
    EXPECT_EQ(TruncateToInt(-kInf), INT32_MIN);

    const struct { double inches; uint32_t units, dpi; const char* text; } shown[] = {
        {13.0, UNITS_INCHES, 150, "13.0"}, {0.5, UNITS_CENTIMETRES, 150, "1.3"},  // 127 hundredths
        {1.999, UNITS_PIXELS, 300, "599"}, {1.0, 7, 300, "0.0"}, {1e30, UNITS_PIXELS, 300, "2147483647"}};
    char text[32];
    for (const auto& s : shown) {
        FormatLength(s.inches, s.units, s.dpi, text, sizeof text);
        EXPECT_STREQ(text, s.text);
    }
    char tiny[4];
    FormatLength(123456.0, UNITS_INCHES, 300, tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), 3u);
}

TEST(ParamRules, LengthsAndExposureAreBroughtIntoRange)
{
    const float lengths[][3] = {{20, 14, 14}, {-1, 14, 0}, {kNaN, 17, 0}, {kInf, 17, 17},
                                {-kInf, 17, 0}, {8.5f, 14, 8.5f}};
    for (const auto& l : lengths)
        EXPECT_EQ(LimitLength(l[0], l[1]), l[2]) << l[0];
    EXPECT_EQ(LimitExposure(5, 10, 40), 10);
    EXPECT_EQ(LimitExposure(70000, 10, 40), 40);
    EXPECT_EQ(LimitExposure(25, 10, 40), 25);
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

TEST(ScanRegion, ManualWindowHasNoNegativeOrOversizedPart)
{
    ManualRegion r = {2.0, 10.0, 20.0, 1.0};
    LimitManualPosition(&r, 14, 17);
    EXPECT_DOUBLE_EQ(r.top, 17.0);
    r = {-1.0, std::nan(""), -0.5, -1.0};
    LimitManualPosition(&r, 14, 17);
    EXPECT_EQ(r.width + r.length + r.top + r.left, 0.0);
    r = {30.0, 60.0, 0, 0};
    LimitManualSize(&r, 14, 51);
    EXPECT_DOUBLE_EQ(r.width, 14.0);
    EXPECT_DOUBLE_EQ(r.length, 51.0);
    r = {-3.0, -kInf, 0, 0};
    LimitManualSize(&r, 14, 51);
    EXPECT_EQ(r.width + r.length, 0.0);
}

TEST(ScanRegion, AutoSelectionCropsWithinTheDeliveredStrip)
{
    ScanArea area = {};
    area.left = 2.0f;
    area.right = 6.0f;
    area.top = -1.0f;
    area.bottom = 10.0f;
    uint32_t pixels = 0, lines = 0;
    SelectAutoRegion(&area, 14, 100, 1400, &pixels, &lines);  // 14 - 6 > 2: crop from the strip's edge
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
    area.right = 3.0f;
    SelectAutoRegion(&area, 14, 100, 1400, &pixels, &lines);
    EXPECT_EQ(pixels, 0u) << "an inverted selection is empty, not 4 billion pixels";
}

TEST(DigitizerReplies, LineWidthAndFirstWordAreBounded)
{
    uint8_t page[16] = {0};
    const struct { const char* text; int width; } widths[] = {{" 2101", 2101}, {"abc", 0}, {"99999999999", 65535}};
    for (const auto& w : widths) {
        std::memset(page, 0, sizeof page);
        std::memcpy(page + 5, w.text, std::strlen(w.text));
        EXPECT_EQ(ParseLineWidth(page, sizeof page), w.width) << w.text;
    }
    std::memset(page, '7', sizeof page);
    EXPECT_EQ(ParseLineWidth(page, 8), 777) << "unterminated: stops at the length";

    char reply[80];
    std::memset(reply, 'X', sizeof reply);  // no terminator, no blank
    char word[5];
    CopyFirstWord(reply, sizeof reply, word, sizeof word);
    EXPECT_STREQ(word, "XXXX");
    CopyFirstWord("  9E rest", 10, word, sizeof word);
    EXPECT_STREQ(word, "9E");
}

}  // namespace
