// The preview area's arithmetic against worked numbers.
#include <gtest/gtest.h>

#include <string>

#include "pipeline/preview_geometry.h"

namespace {

void ExpectRect(const PreviewRect& r, int l, int t, int rt, int b)
{
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rt);
    EXPECT_EQ(r.bottom, b);
}

std::string Pointer(int32_t distance, int32_t scale, uint32_t units, bool inside = true)
{
    char text[64];
    FormatPointerValue(text, sizeof text, "X", distance, scale, units, inside);
    return text;
}

TEST(PreviewGeometry, FrameImageFitAndScale)
{
    ExpectRect(PreviewFrameFromClient({0, 0, 700, 500}), 217, 25, 595, 425);
    // 385 x 300 / 900 = 128 wide, (334 - 128) / 2 = 103 each side.
    ExpectRect(FitImageInFrame({190, 20, 524, 405}, 300, 900), 293, 20, 421, 405);
    ExpectRect(FitImageInFrame({190, 20, 524, 405}, 900, 300), 190, 157, 524, 268);
    EXPECT_EQ(RulerScale(334, 75, 1050), 238);
    EXPECT_EQ(RulerScale(334, 75, 0), 0);
    EXPECT_EQ(Pointer(119, 238, 1), "X:   5.00 in");
    EXPECT_EQ(Pointer(119, 238, 2), "X:  12.70 cm");
    EXPECT_EQ(Pointer(119, 238, 3), "X: 119");
    EXPECT_EQ(Pointer(119, 238, 1, false), "X:");
    char text[64];
    FormatSelectionValue(text, sizeof text, "W", 119, 238, 3, 150);  // scan pixels: 5 in at 150 dpi
    EXPECT_STREQ(text, "W: 750");
}

TEST(PreviewGeometry, RulerTicksStartAtTheImageEdge)
{
    // Horizontal: 11.9 px a half inch from an image edge 103 px into the strip.
    RulerTicks t = PlanRulerTicks(238, 1, 190, 293);
    EXPECT_EQ(t.step, 119);
    EXPECT_EQ(RulerTickPosition(t, 0), 198);  // index -8: the first inside the strip
    EXPECT_TRUE(RulerTickIsLong(t, 0));
    EXPECT_EQ(RulerTickPosition(t, 8), 293);  // index 0 on the image edge
    EXPECT_EQ(RulerTickPosition(t, 10), 316);  // one inch on
    EXPECT_FALSE(RulerTickIsLong(t, 9));
    // Vertical, counting upward from the image's last row; centimetres.
    t = PlanRulerTicks(-238, 2, 405, 404);
    EXPECT_EQ(t.step, -93);
    EXPECT_EQ(RulerTickPosition(t, 0), 404);
    EXPECT_EQ(RulerTickPosition(t, 5), 404 - 46);
    EXPECT_TRUE(RulerTickIsLong(t, 5));
    // Below a scale of 2 (3 in centimetres) there is no step to tick by.
    EXPECT_EQ(PlanRulerTicks(1, 1, 190, 293).step, 0);
    EXPECT_EQ(PlanRulerTicks(-2, 2, 405, 404).step, 0);
}

TEST(PreviewGeometry, SelectionNormalisedClampedAndInInches)
{
    const PreviewRect image = {293, 20, 421, 405};  // 128 x 385 for 4 x 12 inches
    const PreviewRect dragged = {400, 300, 300, 100};  // bottom-right to top-left
    const PreviewRect sel = ClampRectToRect(NormaliseRect(dragged), image);
    ExpectRect(sel, 300, 100, 400, 300);
    const SelectionInches in = SelectionToInches(sel, image, 300, 900, 75);
    EXPECT_FLOAT_EQ(in.left, 7 / 128.0f * 4);
    EXPECT_FLOAT_EQ(in.right, 107 / 128.0f * 4);
    // Counted up from the image's bottom row (404), the first line scanned.
    EXPECT_FLOAT_EQ(in.top, 104 / 385.0f * 12);
    EXPECT_FLOAT_EQ(in.bottom, 304 / 385.0f * 12);
    // A selection down to the image's bottom starts at the leading edge.
    const SelectionInches whole = SelectionToInches(image, image, 300, 900, 75);
    EXPECT_FLOAT_EQ(whole.top, 0.0f);
    EXPECT_FLOAT_EQ(whole.bottom, 384 / 385.0f * 12);
    // Wholly in the left margin: nothing of the film is left.
    EXPECT_FALSE(RectHasArea(ClampRectToRect(NormaliseRect({250, 100, 200, 300}), image)));
}

}  // namespace
