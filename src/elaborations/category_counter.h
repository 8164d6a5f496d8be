#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "elaborations/card_classifier.h"

// The category counts by column of a counting pass, built for speed over many cards.

namespace qv {

// Counts, over the cards given to Add, every category a classifier evaluates, by up to ten
// column categories. A card does not list its true categories: each field (value source) adds
// the card's weight once, to the interval of bounds its value falls in, in a table kept for
// the card's pattern of true columns; Table() spreads every interval over the categories that
// hold it. Categories that one interval does not decide, those of multi-answer groups and
// those under the parent rule, are counted one by one. The result is the one a card-by-card
// count with the classifier gives.
class CategoryCounter {
  public:
    static constexpr int kMaxColumns = 10;

    // `plan` must outlive the counter; `columns` are the categories of columns 1..C.
    CategoryCounter(const CardClassifier& plan, const std::vector<int32_t>& columns);

    void Add(const uint16_t* card, int64_t weight);

    // Records 0..N+1 of the count table, twelve columns each (record r, column c at r * 12 + c):
    // record 0 the weight of the cards in each column and, in column 11, of all cards; record r
    // category r's weights by column and in all. Record N+1 is left at 0 for the caller.
    std::vector<int64_t> Table() const;

  private:
    using Kind = CardClassifier::Kind;

    // A value's slot: by a direct table over [low, low + size) when `table` is set, otherwise
    // by the number of bounds at or below it, which picks one of count + 1 segments.
    struct SlotMap {
        int64_t low = 0;
        uint32_t size = 0;
        const uint16_t* table = nullptr;
        const int64_t* bounds = nullptr;
        uint32_t count = 0;
        const uint16_t* segments = nullptr;
        size_t tableAt = 0, boundsAt = 0, segmentsAt = 0;  // in the stores, while building

        uint16_t Find(int64_t v) const {
            if (table) {
                const uint64_t u = uint64_t(v - low);
                return u < size ? table[u] : 0;
            }
            const int64_t* base = bounds;
            uint32_t len = count;
            while (len > 1) {
                const uint32_t half = len / 2;
                base = base[half - 1] <= v ? base + half : base;
                len -= half;
            }
            return segments[size_t(base - bounds) + (len == 1 && *base <= v)];
        }
    };
    // The hot form of a 16-bit word with a direct table.
    struct WordSource {
        int offset;
        int32_t low;
        uint32_t size;
        const uint16_t* table;
    };
    struct KeySource {
        Kind kind;
        FieldWords words;
        SlotMap map;
    };
    // A multi-answer group: each word's segment picks a mask of the group's categories.
    struct GroupSource {
        const CardClassifier::Source* source = nullptr;
        std::vector<int> offsets;
        SlotMap map;
        size_t masksAt = 0;  // (map segments + 1) masks of maskWords words; the last: all empty
        size_t segmentCount = 0;
        std::vector<int32_t> categories;  // bit b of the mask: categories[b]
    };

    SlotMap BuildMap(const std::vector<int64_t>& bounds, const std::vector<uint16_t>& segments, bool word16);
    void FixPointers(SlotMap& m);
    void ClassifyGroups(const uint16_t* card);
    void ApplyParentRule(const uint16_t* slots);
    void PushDirect(int32_t category) { direct_[directCount_++] = directIndex_[size_t(category)]; }
    int64_t* PatternRow(uint32_t pattern);

    const CardClassifier& plan_;
    int categoryCount_ = 0;
    bool parentRule_ = false;

    // Slot 0 counts nothing; slot s's categories counted through it, the children of the
    // parent rule whose raw truth it gives, and the columns it makes true.
    uint32_t slotCount_ = 1;
    std::vector<std::vector<int32_t>> slotCategories_, slotInvolved_;
    std::vector<uint16_t> slotColumns_;

    std::vector<WordSource> words_;
    std::vector<KeySource> keys_;
    std::vector<GroupSource> groups_;
    std::vector<uint32_t> columnSources_, involvedSources_;  // indexes in the slot list of a card

    // Categories counted one by one: those of groups and the parent rule's children.
    std::vector<int32_t> directIndex_;  // by category, -1 when counted through slots
    std::vector<int32_t> directCategory_;
    std::vector<uint16_t> directColumns_;
    std::vector<uint8_t> involved_, affected_;  // by category

    std::vector<uint16_t> u16Store_;
    std::vector<int64_t> boundStore_;
    std::vector<uint64_t> maskStore_;
    size_t maskWords_ = 1;
    size_t denseEntries_ = 0;

    // Per card.
    std::vector<uint16_t> slots_;
    std::vector<int32_t> direct_;
    size_t directCount_ = 0;
    std::vector<uint64_t> groupMask_;
    std::vector<uint32_t> raw_;  // by category: == generation_ when true on this card
    uint32_t generation_ = 0;

    // Per pattern of true columns: slot weights, direct weights, then the pattern's total.
    std::array<int32_t, 1 << kMaxColumns> patternIndex_;
    std::vector<uint16_t> patterns_;
    std::vector<int64_t> rows_;
    size_t stride_ = 0;
};

}  // namespace qv
