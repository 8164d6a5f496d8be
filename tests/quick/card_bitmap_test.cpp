#include "quick/card_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

// A row against up to thirteen columns, some shorter than the selection: each figure is the
// count of the cards set in all the bitmaps it names, card by card.
TEST(CardBitmapTest, RowCountedAgainstEveryColumn) {
    std::mt19937 rng(3);
    auto random = [&rng](size_t bytes) {
        std::vector<uint8_t> b(bytes);
        for (uint8_t& x : b) x = uint8_t(rng());
        return CardBitmap(b.data(), b.size());
    };
    for (int round = 0; round < 60; ++round) {
        const size_t bytes = rng() % 700;
        const CardBitmap mask = random(bytes);
        const CardBitmap row = random(mask.WordCount() * 8);
        std::vector<CardBitmap> columns;
        for (size_t k = rng() % 14; k > 0; --k) columns.push_back(random(rng() % 3 ? bytes : rng() % 800));
        std::vector<int64_t> counts(columns.size() + 1, 5), expected(columns.size() + 1, 5);
        CountRowAgainst(row.Words(), mask, columns, counts.data());
        for (int64_t card = 0; card < int64_t(bytes) * 8; ++card) {
            if (!row.Has(card) || !mask.Has(card)) continue;
            ++expected.back();
            for (size_t k = 0; k < columns.size(); ++k) expected[k] += columns[k].Has(card);
        }
        EXPECT_EQ(counts, expected) << "round " << round;
    }
}

}  // namespace
}  // namespace qv
