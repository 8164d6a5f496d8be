#include "elaborations/category_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <span>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/card_classifier.h"
#include "elaborations/grid_files.h"
#include "elaborations/value_slots.h"

namespace qv {
namespace {

constexpr int kWords = 50;

// Which active categories a card falls in, read straight from the rules one category at a
// time: a field's value (a word, a date key, a 32-bit number, by its type) within the bounds; a
// group when any of its words is within them or, with a zero bound, when all are 0; then twice
// over, in line order, a true child whose parent is false or outside the grid becomes false.
std::vector<int32_t> ReferenceTruths(const CategoryGrid& g, const std::vector<uint8_t>& active,
                                     const uint16_t* card, int words) {
    auto word = [&](int position) -> int32_t {
        return position >= 1 && position <= words ? int16_t(card[position - 1]) : 0;
    };
    std::vector<uint8_t> truth(size_t(g.Count) + 2, 0);
    for (int i = 1; i <= g.Count; ++i) {
        const int f = g.Field[size_t(i)], n = g.FieldCount[size_t(i)];
        const int32_t low = g.Low[size_t(i)], high = g.High[size_t(i)];
        if (!active[size_t(i)] || !g.HasStar[size_t(i)] || f < 1 || f > kMaxFields) continue;
        auto in = [&](int64_t v) { return low <= v && v <= high; };
        bool t = false;
        if (n > 0) {
            if (f + n - 1 > kMaxFields) continue;
            bool anyIn = false, allEmpty = true;
            for (int k = f; k < f + n; ++k) {
                const int32_t w = word(FieldPositions[k]);
                anyIn = anyIn || in(w);
                allEmpty = allEmpty && w == 0;
            }
            t = low == 0 || high == 0 ? allEmpty : anyIn;
        } else {
            const int p = FieldPositions[f];
            switch (FieldWordCount(FieldTypes[f])) {
                case 1:
                    t = in(word(p));
                    break;
                case 2:
                    t = in(p >= 1 && p + 1 <= words ? DecodeCardNumber(card[p - 1], card[p]) : kEmptyNumber);
                    break;
                case 3: {
                    const int32_t d = word(p), m = word(p + 1), y = word(p + 2);
                    t = in(int64_t(y <= 0 ? d : y) * 10000 + m * 100 + d);
                    break;
                }
                default:
                    break;
            }
        }
        truth[size_t(i)] = t;
    }
    if (g.ParentRepetitions == 2)
        for (int sweep = 0; sweep < 2; ++sweep)
            for (int i = 1; i <= g.Count; ++i) {
                const int32_t p = g.Parent[size_t(i)];
                if (active[size_t(i)] && p > 0 && truth[size_t(i)] && (p > g.Count || !truth[size_t(p)]))
                    truth[size_t(i)] = 0;
            }
    std::vector<int32_t> out;
    for (int i = 1; i <= g.Count; ++i)
        if (truth[size_t(i)]) out.push_back(i);
    return out;
}

// The card-by-card count the counter replaces, from the reference truths: list the true columns,
// add the weight to every true category in each of them. The classifier's truths of every card,
// one by one and all cards in one batch, are the reference ones.
std::vector<int64_t> CardByCardTable(CardClassifier& classifier, const std::vector<uint8_t>& active,
                                     const std::vector<int32_t>& columns,
                                     const std::vector<std::vector<uint16_t>>& cards,
                                     const std::vector<int64_t>& weights) {
    const CategoryGrid& g = classifier.Grid();
    std::vector<int64_t> counts(size_t(g.Count + 2) * 12, 0);
    std::vector<uint16_t> block;
    for (const auto& card : cards) block.insert(block.end(), card.begin(), card.end());
    // The batch's bits, the first card at a bit of its own, read back as each card's categories;
    // set in two calls, the second's first card in the byte of the first's last one.
    std::vector<std::vector<int32_t>> batch(cards.size());
    const size_t skip = cards.size() % 8, span = (skip + cards.size() + 15) / 16 * 2;
    std::vector<uint8_t> rows(size_t(g.Count + 2) * span + 1, 0);
    const size_t half = cards.size() / 2, stride = cards.empty() ? 0 : cards[0].size();
    if (half > 0) classifier.SetTrueBits(block.data(), stride, half, skip, rows.data(), span);
    if (cards.size() > half)
        classifier.SetTrueBits(block.data() + half * stride, stride, cards.size() - half, (skip + half) % 8,
                               rows.data() + (skip + half) / 8, span);
    EXPECT_EQ(rows.back(), 0) << "past the last row";
    for (int32_t c = 1; c <= g.Count + 1; ++c)  // row 0 takes the cards in no category
        for (size_t b = 0; b < span * 8; ++b)
            if (rows[size_t(c) * span + b / 8] & (0x80 >> (b % 8))) {
                EXPECT_TRUE(c <= g.Count && b >= skip && b < skip + cards.size())
                    << "bit " << b << " of row " << c;
                if (b >= skip && b < skip + cards.size()) batch[b - skip].push_back(c);
            }
    for (size_t i = 0; i < cards.size(); ++i) {
        const std::vector<int32_t> truths = ReferenceTruths(g, active, cards[i].data(), int(cards[i].size()));
        classifier.Classify(cards[i].data());
        std::vector<int32_t> found = classifier.True();
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, truths) << "card " << i;
        classifier.Clear();
        EXPECT_EQ(batch[i], truths) << "card " << i << " of the batch";
        const int64_t w = weights[i];
        counts[11] += w;
        std::vector<int> trueColumns;
        for (size_t c = 0; c < columns.size(); ++c)
            if (std::binary_search(truths.begin(), truths.end(), columns[c]))
                trueColumns.push_back(int(c) + 1);
        for (int c : trueColumns) counts[size_t(c)] += w;
        for (int32_t r : truths) {
            counts[size_t(r) * 12 + 11] += w;
            for (int c : trueColumns) counts[size_t(r) * 12 + size_t(c)] += w;
        }
    }
    return counts;
}

void AddAll(CategoryCounter& counter, const std::vector<std::vector<uint16_t>>& cards,
            const std::vector<int64_t>& weights) {
    std::vector<const uint16_t*> words;
    for (const auto& card : cards) words.push_back(card.data());
    counter.Add(words.data(), weights.data(), words.size());
}

// Fields of every kind: coded answers (1..4, a group's worth), 16-bit numbers, a 32-bit number,
// a date, a time, a percentage, a text, a date and a number cut by the card's end, a number
// past it, an unknown type, a field the card does not place, and twelve answers side by side
// (words 15 to 26).
void DefineFields() {
    ResetProgramState();
    const int types[] = {0, 1, 1, 1, 4, 7, 2, 5, 6, -20, 2, 7, 4, 3, 9, 0};
    const int positions[] = {1, 2, 3, 4, 5, 6, 8, 11, 12, 0, 49, 50, 51, 13, 14, 0};
    for (int f = 1; f <= 16; ++f) {
        FieldTypes[f] = int16_t(types[f - 1]);
        FieldPositions[f] = int16_t(positions[f - 1]);
    }
    for (int f = 17; f <= 28; ++f) {
        FieldTypes[f] = 1;
        FieldPositions[f] = int16_t(f - 2);
    }
}

struct RandomArchive {
    CategoryGrid grid;
    std::vector<uint8_t> active;
    std::vector<int32_t> columns;
    std::vector<std::vector<uint16_t>> cards;
    std::vector<int64_t> weights;
};

// An archive of `count` lines, every one starred, the grid's other vectors sized and 0.
RandomArchive ArchiveOfLines(int count) {
    RandomArchive a;
    CategoryGrid& g = a.grid;
    g.Count = count;
    const size_t size = size_t(count) + 2;
    for (auto* v : {&g.Low, &g.High, &g.Parent, &g.FieldCount, &g.Field}) v->assign(size, 0);
    g.HasStar.assign(size, 1);
    g.OpensVariable.assign(size, 0);
    return a;
}

RandomArchive MakeArchive(std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int32_t bounds[] = {-999999999, -32768, -32001, -32000,  -1,      0,        1,
                              2,          3,      4,      7,       100,     1200,     32767,
                              32768,      951231, 960101, 1000101, 1001231, 999999999};
    auto bound = [&]() -> int32_t {
        if (pick(0, 3) == 0) return pick(-5, 12);
        return bounds[pick(0, int(std::size(bounds)) - 1)];
    };
    RandomArchive a = ArchiveOfLines(pick(1, 60));
    CategoryGrid& g = a.grid;
    const size_t size = size_t(g.Count) + 2;
    const bool parents = pick(0, 3) != 0;
    // Some archives have only single values in the side-by-side groups, or the groups' classes
    // among a few codes, many classes of the 32-bit number (more bounds than are counted without
    // a search), or every weight 1.
    const bool singles = pick(0, 2) == 0, manyBounds = pick(0, 3) == 0, unitWeights = pick(0, 3) == 0;
    const bool codes = pick(0, 2) == 0;
    // Some give most of their lines to groups of small, overlapping classes, many to a group: a word
    // is in several classes, a group reaches past the card.
    const bool wide = pick(0, 3) == 0;
    const int favoured = pick(0, 2);
    const bool outside = pick(0, 1);  // some parents outside the grid, else none
    std::vector<int> chain;
    for (int i = 1; i <= g.Count; ++i) {
        g.Field[size_t(i)] = pick(0, 20) == 0 ? pick(-1, 17) : pick(1, 16);
        g.FieldCount[size_t(i)] = pick(0, 3) == 0 ? pick(1, 4) : 0;
        g.Low[size_t(i)] = bound();
        g.High[size_t(i)] = pick(0, 2) == 0 ? bound() : g.Low[size_t(i)] + pick(-1, 20);
        if (manyBounds && pick(0, 1)) {
            g.Field[size_t(i)] = 6, g.FieldCount[size_t(i)] = 0;
            g.Low[size_t(i)] = pick(-40, 40), g.High[size_t(i)] = g.Low[size_t(i)] + pick(0, 40);
        }
        if (pick(0, codes ? 2 : 5) == 0) {  // a group of 12 or 6 words side by side, a class of every word
            g.Field[size_t(i)] = pick(0, 1) ? 17 : 23;
            g.FieldCount[size_t(i)] = g.Field[size_t(i)] == 17 ? 12 : 6;
            if (pick(0, 7) == 0)
                g.Low[size_t(i)] = -999999999, g.High[size_t(i)] = 999999999;
            else if (codes)
                g.Low[size_t(i)] = pick(0, 9), g.High[size_t(i)] = g.Low[size_t(i)] + pick(0, 2);
            if (singles) g.High[size_t(i)] = g.Low[size_t(i)];
        }
        if (wide && pick(0, 3) != 0) {
            const int group = pick(0, 1) ? favoured : pick(0, 2);
            g.Field[size_t(i)] = group == 0 ? 17 : group == 1 ? 23 : 12;
            g.FieldCount[size_t(i)] = group == 0 ? 12 : group == 1 ? 6 : 2;
            g.Low[size_t(i)] = pick(-1, 7), g.High[size_t(i)] = g.Low[size_t(i)] + pick(0, 3);
        }
        if (pick(0, 30) == 0) g.HasStar[size_t(i)] = 0;
        // Parents above and below, chains, loops, and parents outside the grid.
        if (parents && pick(0, 2) == 0) g.Parent[size_t(i)] = pick(1, g.Count + (outside ? 3 : 0));
    }
    g.ParentRepetitions = parents && pick(0, 10) != 0 ? 2 : 0;
    // Some keep the rule plain: a field's lines asked only where one of two of the first lines (no
    // group's) is true, up to twenty such parents. In some, a few of those are children too: a
    // parent whose parent comes after it and is a child itself, so that the second sweep can end
    // what the first left true (or a loop, or a line its own parent).
    if (parents && pick(0, 2) == 0) {
        const bool chains = pick(0, 1);
        const int first = std::min(g.Count, chains ? pick(3, 6) : pick(3, 20));
        std::vector<int> parentOfField(40, 0);
        for (int& p : parentOfField) p = pick(0, 2) ? pick(1, first) : 0;
        for (int i = 1; i <= g.Count; ++i) {
            const int f = g.Field[size_t(i)];
            const int p = i > first && f >= 1 && f <= 19 ? parentOfField[size_t(f + 20 * pick(0, 1))] : 0;
            g.Parent[size_t(i)] =
                g.FieldCount[size_t(i)] == 0 && p != 0 && g.FieldCount[size_t(p)] == 0 ? p : 0;
        }
        const int a = pick(1, std::max(1, first - 1)), b = std::min(first, a + pick(1, 3));
        int c = pick(1, first);
        while (first >= 3 && pick(0, 3) != 0 && (c == a || c == b)) c = pick(1, first);
        if (chains && a < b && g.FieldCount[size_t(a)] == 0 && g.FieldCount[size_t(b)] == 0 &&
            g.FieldCount[size_t(c)] == 0)
            g.Parent[size_t(a)] = b, g.Parent[size_t(b)] = c, chain = {a, b, c};
    }
    a.active.assign(size, 0);
    for (int i = 1; i <= g.Count; ++i) a.active[size_t(i)] = pick(0, 4) != 0;
    for (int i : chain) a.active[size_t(i)] = 1;
    const int columnCount = pick(0, std::min(10, g.Count));
    for (int i = 1; i <= g.Count && int(a.columns.size()) < columnCount; ++i)
        if (pick(0, g.Count / columnCount) == 0) a.columns.push_back(i);

    const uint16_t words[] = {0, 0, 1, 2, 3, 4, kEmptyWord, 0xFFFF, 0x8000, 0x7FFF, 1200, 7, 100};
    for (int k = pick(0, 150); k > 0; --k) {
        std::vector<uint16_t> card(kWords);
        for (uint16_t& w : card)
            w = pick(0, 5) == 0 ? uint16_t(pick(0, 65535)) : words[pick(0, int(std::size(words)) - 1)];
        // Dates of the 1990s and 2000s, and 32-bit numbers around the classes.
        if (pick(0, 1))
            card[7] = uint16_t(pick(0, 31)), card[8] = uint16_t(pick(0, 12)),
            card[9] = uint16_t(pick(-1, 110));
        const int32_t numbers[] = {kEmptyNumber, 0, 1, 5, -1, 40000, 999999999, 1000101};
        if (pick(0, 1)) EncodeCardNumber(numbers[pick(0, 7)], card[5], card[6]);
        if (pick(0, 3) == 0)
            std::fill(card.begin() + pick(14, 20), card.begin() + 26, 0);  // groups left empty
        a.cards.push_back(card);
        const int64_t weights[] = {1, 1, 1, 0, -3, 2000000011};
        a.weights.push_back(unitWeights ? 1 : weights[pick(0, 5)]);
    }
    return a;
}

// Parents that are children, on every card of six answers 0 or 1: line 1 asked where line 2 is
// true, line 2 where line 3 is, line 3 where line 6 is, lines 4, 5 and 7 where lines 1, 2 and 1
// are (so the second sweep can end what the first left of lines 1 and 2). With `more`, lines 13
// to 16 asked where lines 8 to 11 are: more gates than the pattern keeps. Lines 1, 4 and 7 are
// columns.
RandomArchive ChainArchive(bool more, std::mt19937& rng) {
    RandomArchive a = ArchiveOfLines(more ? 16 : 7);
    CategoryGrid& g = a.grid;
    const size_t size = size_t(g.Count) + 2;
    g.Low.assign(size, 1);
    g.High.assign(size, 1);
    g.Parent = {0, 2, 3, 6, 1, 2, 0, 1, 0, 0, 0, 0, 0, 8, 9, 10, 11, 0};
    g.Parent.resize(size);
    g.Field = {0, 1, 2, 3, 4, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 0};
    g.Field.resize(size);
    g.ParentRepetitions = 2;
    a.active.assign(size, 1);
    a.columns = {1, 4, 7};
    for (int answers = 0; answers < 64 * 4; ++answers) {
        std::vector<uint16_t> card(kWords, 0);
        for (int i = 1; i <= g.Count; ++i)
            card[size_t(FieldPositions[g.Field[size_t(i)]] - 1)] =
                uint16_t(i <= 6 ? answers >> (i - 1) & 1 : rng() & 1);
        a.cards.push_back(card);
        a.weights.push_back(answers % 3 + 1);
    }
    return a;
}

// Sixty-four parents (lines 1 to 64, answers of fields 17 to 28), each with a child (answers of
// fields 1 to 4): every gate bit in use. With `oneMore`, line 6 is asked where line 1 is, so its
// child's gate is line 6 as the sweeps leave it: one gate more than the twin slots keep.
RandomArchive SixtyFourParents(bool oneMore, std::mt19937& rng) {
    RandomArchive a = ArchiveOfLines(128);
    CategoryGrid& g = a.grid;
    g.ParentRepetitions = 2;
    for (int k = 0; k < 64; ++k) {
        g.Field[size_t(k + 1)] = 17 + k % 12, g.Low[size_t(k + 1)] = g.High[size_t(k + 1)] = k / 12;
        g.Field[size_t(k + 65)] = 1 + k % 4, g.Low[size_t(k + 65)] = g.High[size_t(k + 65)] = k / 4;
        g.Parent[size_t(k + 65)] = k + 1;
    }
    if (oneMore) g.Parent[6] = 1;
    a.active.assign(size_t(g.Count) + 2, 1);
    a.columns = {64, 128, 1};
    for (int k = 0; k < 600; ++k) {
        std::vector<uint16_t> card(kWords);
        for (uint16_t& w : card) w = uint16_t(rng() % 7);
        for (int w = 0; w < 4; ++w) card[size_t(w)] = uint16_t(rng() % 17);
        a.cards.push_back(card);
        a.weights.push_back(int64_t(rng() % 5) - 1);
    }
    return a;
}

// Random grids over every kind of field, random active categories and columns, random cards and
// weights (some 30,000 cards), the chains and the sixty-four parents above: the classifier's truths and the
// counter's table are the reference ones.
TEST(CategoryCounterTest, AgreesWithTheCardByCardCount) {
    DefineFields();
    std::mt19937 rng(2024);
    for (int round = -4; round < 400; ++round) {
        RandomArchive a = round < -2  ? SixtyFourParents(round == -3, rng)
                          : round < 0 ? ChainArchive(round == -1, rng)
                                      : MakeArchive(rng);
        CardClassifier classifier(a.grid, a.active, kWords);
        CategoryCounter counter(classifier, a.columns);
        AddAll(counter, a.cards, a.weights);
        const std::vector<int64_t> expected =
            CardByCardTable(classifier, a.active, a.columns, a.cards, a.weights);
        ASSERT_EQ(counter.Table(), expected) << "round " << round;
    }
}

// A value's slot is the number of bounds at or below it, whichever way the map finds it: sets of
// bounds dense and sparse, a few and thousands, with open classes far out at either end and at
// the ends of 32 bits, looked up at, beside and between every bound and at the extremes.
TEST(CategoryCounterTest, EveryLookupCountsTheBoundsAtOrBelowTheValue) {
    std::mt19937 rng(77);
    auto pick = [&rng](int64_t lo, int64_t hi) {
        return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
    };
    for (int round = 0; round < 600; ++round) {
        std::vector<int64_t> bounds;
        const int n = int(pick(1, round % 3 == 0 ? 3000 : 80));
        const int64_t spread =
            std::vector<int64_t>{3, 40, 5000, 200000, int64_t(1) << 31}[size_t(pick(0, 4))];
        const int64_t start = pick(-2000000, 2000000);
        for (int k = 0; k < n; ++k) bounds.push_back(start + pick(0, spread));
        for (int64_t far : {int64_t(-999999999), int64_t(1000000000), int64_t(INT32_MIN), int64_t(INT32_MAX),
                            int64_t(INT32_MAX) + 1})
            if (pick(0, 3) == 0) bounds.push_back(far);
        std::sort(bounds.begin(), bounds.end());
        bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
        // Segment j + 1 is interval j; below and above every bound no class holds a value.
        std::vector<uint16_t> segments(bounds.size() + 1);
        for (size_t j = 1; j < bounds.size(); ++j) segments[j] = uint16_t(j);
        const bool word16 = pick(0, 3) == 0;
        SlotStore store;
        SlotMap map = store.BuildMap(bounds, segments, word16, size_t(pick(0, 1)) << 22);
        store.FixPointers(map);
        std::vector<int64_t> probes = {INT32_MIN, INT32_MAX, 0, -1, -32768, 32767};
        for (int64_t b : bounds)
            for (int64_t d : {-1, 0, 1}) probes.push_back(b + d);
        for (int k = 0; k < 200; ++k) probes.push_back(start + pick(-10, spread + 10));
        std::vector<int32_t> values;
        for (int64_t v : probes)
            if (v >= INT32_MIN && v <= INT32_MAX && (!word16 || (v >= INT16_MIN && v <= INT16_MAX)))
                values.push_back(int32_t(v));
        auto expect = [&](size_t k, uint16_t slot) {
            const auto below = std::upper_bound(bounds.begin(), bounds.end(), values[k]) - bounds.begin();
            ASSERT_EQ(slot, size_t(below) == bounds.size() ? 0 : below)
                << "round " << round << " value " << values[k];
        };
        for (size_t k = 0; k < values.size(); ++k) expect(k, map.Find(values[k]));
        // Many at a time, and as the cards store 32-bit numbers.
        map.FindEach(
            values.size(), [&](size_t k) { return values[k]; }, expect);
        map.FindEachStored(
            values.size(),
            [&](size_t k) {
                uint16_t words[2];
                EncodeCardNumber(values[k], words[0], words[1]);
                uint32_t stored;
                std::memcpy(&stored, words, sizeof stored);
                return stored;
            },
            [&](size_t k) { return values[k]; }, expect);
    }
}

// Dates through the year and month tables: bounds on years, months, days and anywhere, probed
// with every kind of day, month and year word, those no calendar has and the empty date too.
TEST(CategoryCounterTest, DatesFindTheSlotOfTheirKey) {
    std::mt19937 rng(31);
    auto pick = [&rng](int64_t lo, int64_t hi) {
        return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
    };
    for (int round = 0; round < 60; ++round) {
        std::vector<int64_t> bounds = {1};
        for (int k = int(pick(1, 60)); k > 0; --k) {
            const int64_t year = pick(80, 130), month = pick(1, 12);
            const int64_t any[] = {year * 10000 + 101, year * 10000 + 1232, year * 10000 + month * 100 + 1,
                                   year * 10000 + month * 100 + pick(30, 31), pick(-40000, 1400000)};
            bounds.push_back(any[pick(round % 5 == 0 ? 0 : 1, round % 3 == 0 ? 1 : 4)]);
        }
        // Far out, in the last years the tables hold and below the first.
        for (int64_t far : {int64_t(-999999999), int64_t(1000000000), int64_t(327671232), int64_t(327660615),
                            int64_t(5000)})
            if (pick(0, 1)) bounds.push_back(far);
        std::sort(bounds.begin(), bounds.end());
        bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
        std::vector<uint16_t> segments(bounds.size() + 1);
        for (size_t j = 1; j < bounds.size(); ++j) segments[j] = uint16_t(pick(0, 1) ? j : j % 3);
        SlotStore store;
        SlotMap map = store.BuildMap(bounds, segments, false, size_t(1) << 22);
        store.BuildDateTables(map, bounds, segments);
        store.FixPointers(map);
        ASSERT_TRUE(map.years != nullptr);
        std::vector<std::array<uint16_t, 3>> dates(300);
        for (int64_t b : bounds)  // the days about each bound
            for (int64_t day = b % 100 - 1; b > 0 && day <= b % 100 + 1; ++day)
                dates.push_back({uint16_t(day), uint16_t(b / 100 % 100), uint16_t(b / 10000)});
        for (auto& [d, m, y] : std::span(dates).first(300)) {
            const int64_t days[] = {pick(1, 31), 0, 32, pick(-3, 40), pick(0, 65535)};
            const int64_t months[] = {pick(1, 12), 0, 13, 15, 16, pick(0, 65535)};
            const int64_t years[] = {pick(79, 131), 0, pick(1, 32767), 32767, 32768, pick(0, 65535)};
            d = uint16_t(days[pick(0, 4) * pick(0, 1)]);
            m = uint16_t(months[pick(0, 5) * pick(0, 1)]);
            y = uint16_t(years[pick(0, 5) * pick(0, 1)]);
        }
        auto key = [&](size_t k) { return DateKeyAt(dates[k].data(), FieldWords{0, 1, 2}); };
        // A date may go out more than once: its last slot holds.
        std::vector<int> slots(dates.size(), -1);
        map.FindEachDate(
            dates.size(), [&](size_t k) { return dates[k]; }, key,
            [&](size_t k, uint16_t slot) { slots[k] = slot; });
        for (size_t k = 0; k < dates.size(); ++k) {
            const auto below = std::upper_bound(bounds.begin(), bounds.end(), key(k)) - bounds.begin();
            ASSERT_EQ(slots[k], segments[size_t(below)]) << "round " << round << " key " << key(k);
        }
    }
}

// More 16-bit fields than the full tables may hold: past them, fields of wide classes take tables
// over their classes' values until the budget of entries is spent, then search; fields of narrow
// ones take a table over their classes' values. Weights of 1 and more.
TEST(CategoryCounterTest, WordsPastTheFullTables) {
    for (const bool wide : {true, false}) {
        ResetProgramState();
        constexpr int kFields = 96, kCardWords = 100;
        for (int f = 1; f <= kFields; ++f) {
            FieldTypes[f] = 4;
            FieldPositions[f] = int16_t(f);
        }
        CategoryGrid g;
        g.Count = 2 * kFields;
        for (auto* v : {&g.Low, &g.High, &g.Parent, &g.FieldCount, &g.Field})
            v->assign(size_t(g.Count) + 2, 0);
        g.HasStar.assign(size_t(g.Count) + 2, 1);
        for (int f = 1; f <= kFields; ++f) {
            const size_t i = size_t(2 * f - 1);
            g.Field[i] = g.Field[i + 1] = f;
            g.Low[i] = wide ? -32768 : f - 2, g.High[i] = f - 1;  // below f
            g.Low[i + 1] = f, g.High[i + 1] = wide ? 32767 : f + 1;
        }
        std::vector<uint8_t> active(size_t(g.Count) + 2, 1);
        const std::vector<int32_t> columns = {1, 4, 159};
        std::mt19937 rng(5);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        std::vector<std::vector<uint16_t>> cards(300, std::vector<uint16_t>(kCardWords));
        for (auto& card : cards)
            for (size_t k = 0; k < card.size(); ++k) {
                const int around[] = {int(k) - 1, int(k), int(k) + 1, int(k) + 2,
                                      int(k) + 3, -32768, 32767,      pick(-32768, 32767)};
                card[k] = uint16_t(around[pick(0, 7)]);  // word k + 1 is field k + 1: its bound is k + 1
            }
        std::vector<int64_t> weights(cards.size(), 1);
        if (!wide)
            for (size_t k = 256; k < weights.size(); ++k) weights[k] = pick(2, 9);  // the second batch
        CardClassifier classifier(g, active, kCardWords);
        CategoryCounter counter(classifier, columns);
        AddAll(counter, cards, weights);
        EXPECT_EQ(counter.Table(), CardByCardTable(classifier, active, columns, cards, weights)) << wide;
    }
}

// Ten independent columns (up to 1024 patterns), four groups counted by sets of classes (4096
// slots each), groups of 20 and of 70 classes (with an all-empty one), and a 32-bit number, some
// of them children under the parent rule: the pattern rows outgrow their budget and later cards
// go straight into the table; the largest group's classes span two mask words.
TEST(CategoryCounterTest, ManyPatternsAndLargeGroups) {
    ResetProgramState();
    for (int f = 1; f <= 31; ++f) {
        FieldTypes[f] = int16_t(f <= 10 || f == 11 || f == 15 || f == 19 || f == 23 || f == 27 ? 0 : 1);
        FieldPositions[f] = int16_t(f);
    }
    FieldTypes[32] = 7, FieldPositions[32] = 32;
    CategoryGrid g;
    std::vector<int32_t> columns;
    auto line = [&g](int field, int count, int32_t low, int32_t high) {
        for (auto* v : {&g.Low, &g.High, &g.Parent, &g.FieldCount, &g.Field})
            v->resize(size_t(g.Count) + 2, 0);
        g.HasStar.resize(size_t(g.Count) + 2, 1);
        ++g.Count;
        g.Field.back() = field, g.FieldCount.back() = count, g.Low.back() = low, g.High.back() = high;
        return g.Count;
    };
    for (int f = 1; f <= 10; ++f) {
        columns.push_back(line(f, 0, 1, 1));
        line(f, 0, 2, 3);
    }
    for (int group = 0; group < 4; ++group) {
        for (int k = 1; k <= 11; ++k) line(11 + 4 * group, 4, k, k);
        line(11 + 4 * group, 4, 0, 0);
    }
    std::vector<int> children;
    for (int k = 1; k <= 20; ++k) children.push_back(line(23, 3, k, k + 2));
    for (int k = 1; k <= 70; ++k) line(27, 5, k, k + 3);
    line(27, 5, 0, 0);
    children.push_back(line(32, 0, -5, 40000));
    children.push_back(line(32, 0, 100, 60000));
    for (auto* v : {&g.Low, &g.High, &g.Parent, &g.FieldCount, &g.Field}) v->resize(size_t(g.Count) + 2, 0);
    g.HasStar.resize(size_t(g.Count) + 2, 1);
    g.ParentRepetitions = 2;

    std::mt19937 rng(11);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<std::vector<uint16_t>> cards(4000, std::vector<uint16_t>(kWords));
    std::vector<int64_t> weights;
    for (auto& card : cards) {
        for (int w = 0; w < 10; ++w) card[size_t(w)] = uint16_t(pick(0, 3));
        for (int w = 10; w < 26; ++w) card[size_t(w)] = uint16_t(pick(0, 2) ? 0 : pick(1, 12));
        const bool answered = pick(0, 5) != 0;
        for (int w = 26; w < 31; ++w) card[size_t(w)] = uint16_t(answered ? pick(0, 80) : 0);
        EncodeCardNumber(pick(-10, 50000), card[31], card[32]);
        weights.push_back(pick(0, 5) == 0 ? 0 : pick(1, 3));
    }
    const std::vector<uint8_t> active(size_t(g.Count) + 2, 1);
    // Under the parent rule: the first group and the number's lines children of the first
    // column; or the number's lines children of the first and the second column, the second
    // line of columns 6 to 10 children of columns 1 to 5, the last column a child of the first
    // and the first of the second, the groups of 12, 20 and 71 classes children of columns 3 to 5,
    // and two lines children of classes of groups.
    for (bool manyParents : {false, true}) {
        std::fill(g.Parent.begin(), g.Parent.end(), 0);
        for (int c : children)
            if (!manyParents || g.Field[size_t(c)] == 32)
                g.Parent[size_t(c)] = manyParents && c == g.Count ? 3 : 1;
        if (manyParents) {
            for (int f = 6; f <= 10; ++f) g.Parent[size_t(2 * f)] = 2 * f - 11;
            // A column asked only where the first is true, which is asked where the second is;
            // each of three groups asked where a column is.
            g.Parent[size_t(columns[9])] = 1;
            g.Parent[size_t(columns[0])] = columns[1];
            for (int i = 1; i <= g.Count; ++i)
                if (const int f = g.Field[size_t(i)]; f == 11 || f == 23 || f == 27)
                    g.Parent[size_t(i)] = columns[f == 11 ? 2 : f == 23 ? 3 : 4];
            // Two lines asked where a class of a group is: of one counted by sets of classes, and
            // of one with a slot for each class that is itself asked where a column is.
            g.Parent[14] = 45;
            g.Parent[16] = 70;
        }
        CardClassifier classifier(g, active, kWords);
        CategoryCounter counter(classifier, columns);
        AddAll(counter, cards, weights);
        EXPECT_EQ(counter.Table(), CardByCardTable(classifier, active, columns, cards, weights))
            << manyParents;
    }
}

}  // namespace
}  // namespace qv
