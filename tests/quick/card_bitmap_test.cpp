#include "quick/card_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qv {
namespace {

CardBitmap Of(std::vector<uint8_t> bytes) {
    return CardBitmap(bytes.data(), bytes.size());
}

std::vector<uint8_t> BytesOf(const CardBitmap& b) {
    return std::vector<uint8_t>(b.Bytes(), b.Bytes() + b.ByteCount());
}

TEST(CardBitmapTest, FirstCardsAndTheirCommonCount) {
    std::vector<uint8_t> all(20, 0xFF), some(20, 0xFF);
    some[1] = 0x0F;
    struct Case {
        int64_t last;
        int64_t common;
        size_t bytes;
    };
    // Byte 0 holds cards 0-7, byte 1 cards 8-15 of which 12-15 are in both; card 0 is the top bit.
    const Case cases[] = {{-1, 0, 0},  {0, 1, 1},   {7, 8, 1},      {11, 8, 2},     {12, 9, 2},
                          {15, 12, 2}, {16, 13, 3}, {159, 156, 20}, {5000, 156, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        CardBitmap x = Of(all), y = Of(some);
        x.KeepFirst(c.last + 1);
        y.KeepFirst(c.last + 1);
        EXPECT_EQ(x.ByteCount(), c.bytes);
        EXPECT_EQ(x.CountCommon(y), c.common);
        EXPECT_EQ(CardBitmap::Common(x, y).Count(), c.common);
        EXPECT_EQ(x.Count(), std::min<int64_t>(c.last + 1, 160));
        EXPECT_TRUE(c.last < 0 || x.Has(std::min<int64_t>(c.last, 159)));
        EXPECT_FALSE(x.Has(c.last + 1));
    }
}

TEST(CardBitmapTest, CombinesOverTheBytesBothHold) {
    // Eleven bytes take a whole word and three single bytes; `from` is shorter by one.
    const std::vector<uint8_t> into = {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0};
    const std::vector<uint8_t> from = {0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C};
    struct Case {
        char item;
        uint8_t result;
    };
    for (const Case& c : {Case{'-', 0x30}, Case{'+', 0xFC}, Case{'#', 0xC0}}) {
        SCOPED_TRACE(std::string(1, c.item));
        CardBitmap x = Of(into);
        x.Combine(*ItemOperation(c.item), Of(from));
        std::vector<uint8_t> expected(10, c.result);
        expected.push_back(0xF0);  // past `from`: as it was
        EXPECT_EQ(BytesOf(x), expected);
    }
    EXPECT_FALSE(ItemOperation('x'));
    EXPECT_FALSE(ItemOperation(0));
}

TEST(CardBitmapTest, ClearsPastACardAndVisitsTheCardsSet) {
    CardBitmap x(20);
    const std::vector<int64_t> cards = {0, 7, 8, 63, 64, 100, 130};
    for (int64_t c : cards) x.Set(c);
    x.Set(160);  // past the bitmap: no card
    EXPECT_EQ(x.Count(), 7);
    std::vector<int64_t> seen;
    x.ForEachCommon(CardBitmap(20, 0xFF), [&](int64_t c) { seen.push_back(c); });
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, cards);

    x.ClearFrom(64);
    EXPECT_EQ(x.Count(), 4);
    EXPECT_TRUE(x.Has(63));
    EXPECT_FALSE(x.Has(64));
    EXPECT_EQ(x.ByteCount(), 20u);
    x.ClearFrom(1);
    EXPECT_EQ(BytesOf(x)[0], 0x80);
}

}  // namespace
}  // namespace qv
