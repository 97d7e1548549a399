// The quarter turn of a landscape scan's preview: the top edge becomes the
// left edge, rows stay padded, and rows that do not fit are dropped.
#include <gtest/gtest.h>

#include <vector>

#include "ui/bitmap_turn.h"

namespace {

DibInfoHeader Header(int width, int height, int bits)
{
    DibInfoHeader h = {40, width, height, 1, static_cast<uint16_t>(bits), 0, 0, 0, 0, 0, 0};
    return h;
}

TEST(BitmapTurn, EightBitTopRowBecomesLeftColumn)
{
    // 3 x 4, top row first: 1 2 3 / 4 5 6 / 7 8 9 / 10 11 12, stored bottom-up.
    std::vector<uint8_t> bits = {10, 11, 12, 0, 7, 8, 9, 0, 4, 5, 6, 0, 1, 2, 3, 0};
    DibInfoHeader h = Header(3, 4, 8);
    ASSERT_EQ(1, TurnBitmapQuarter(&h, bits.data()));
    EXPECT_EQ(4, h.width);
    EXPECT_EQ(3, h.height);
    // Turned, top row first: 3 6 9 12 / 2 5 8 11 / 1 4 7 10.
    EXPECT_EQ((std::vector<uint8_t>{1, 4, 7, 10, 2, 5, 8, 11, 3, 6, 9, 12}),
              std::vector<uint8_t>(bits.begin(), bits.begin() + 12));
}

TEST(BitmapTurn, OneBitRowsThatDoNotFitAreDropped)
{
    // 33 x 1: only pixels 31 and 32 set. 8 bytes hold 2 turned rows.
    std::vector<uint8_t> bits = {0, 0, 0, 0x01, 0x80, 0, 0, 0};
    DibInfoHeader h = Header(33, 1, 1);
    h.sizeImage = 8;
    ASSERT_EQ(1, TurnBitmapQuarter(&h, bits.data()));
    EXPECT_EQ(1, h.width);
    EXPECT_EQ(2, h.height);
    EXPECT_EQ(8u, h.sizeImage);
    EXPECT_EQ((std::vector<uint8_t>{0x80, 0, 0, 0, 0x80, 0, 0, 0}), bits);
}

TEST(BitmapTurn, OtherDepthsAndEmptyImagesAreLeftAlone)
{
    std::vector<uint8_t> bits(16, 7);
    for (DibInfoHeader h : {Header(2, 2, 24), Header(0, 2, 8), Header(2, -2, 8)}) {
        EXPECT_EQ(0, TurnBitmapQuarter(&h, bits.data()));
        EXPECT_EQ(2, h.height < 0 ? -h.height : h.height);
    }
    EXPECT_EQ(std::vector<uint8_t>(16, 7), bits);
}

}  // namespace
