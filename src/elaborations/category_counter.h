#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "elaborations/card_classifier.h"

// The category counts by column of a counting pass, built for speed over many cards.

namespace qv {

// Counts, over the cards given to Add, every category a classifier evaluates, by up to ten
// column categories, with the result a card-by-card count with the classifier gives.
//
// A card does not list its true categories. Each field the classifier reads (a value source)
// maps the card's value to a slot, the interval of class bounds it falls in, and the card adds
// its weight to each of its slots in a row kept for its pattern of true columns; Table()
// spreads every slot over the categories that hold it. A multi-answer group of a few classes
// has a slot for each set of classes its fields can hold together. The categories that no slot
// decides alone (the children under the parent rule, the classes of larger groups) are
// counted one by one.
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

    // A value's slot, by a direct table over [low, low + size) (its entry `size`, 0, serves
    // every value outside, so that no branch depends on the value), or else by the number of
    // bounds at or below the value, which picks one of the segments.
    struct SlotMap {
        int32_t low = 0;
        uint32_t size = 0;
        const uint16_t* table = nullptr;
        // Bounds within 32 bits (a bound above them is never reached), padded to a multiple
        // of four with INT32_MIN.
        const int32_t* bounds = nullptr;
        uint32_t count = 0, padded = 0;
        const uint16_t* segments = nullptr;
        size_t tableAt = SIZE_MAX, boundsAt = 0, segmentsAt = 0;  // in the stores, while building

        uint16_t Find(int32_t v) const;
    };
    struct WordSource {  // a 16-bit word in the card, with a direct table
        int offset;
        int32_t low;
        uint32_t size;
        const uint16_t* table;
    };
    struct KeySource {  // any other value: a date, a 32-bit number, a word outside the card
        Kind kind;
        FieldWords words;
        SlotMap map;
    };
    // A multi-answer group: each word's segment picks a mask of the group's categories.
    struct GroupSource {
        const CardClassifier::Source* source = nullptr;
        std::vector<int> offsets;
        bool inCard = false;  // every word within the card
        SlotMap map;
        std::vector<int32_t> categories;  // bit b of a mask: categories[b]
        size_t maskWords = 1;
        size_t masksAt = 0;  // (segmentCount + 1) masks; the last: the all-empty classes
        size_t segmentCount = 0;
        uint32_t maskSlots = 0;             // slot of mask 0 when masks are counted whole, else 0
        std::vector<uint16_t> maskColumns;  // columns true by mask, then
    };

    uint32_t NewSlot(std::vector<int32_t> counted, std::vector<int32_t> involved, uint16_t columns);
    SlotMap BuildMap(const std::vector<int64_t>& bounds, const std::vector<uint16_t>& segments, bool word16);
    void FixPointers(SlotMap& m) const;
    void BuildGroup(GroupSource& g);
    void MakeDirect(int32_t category);
    uint64_t OneWordMask(const GroupSource& g, const uint16_t* card) const;
    void SetGroupTrue(const GroupSource& g, uint64_t bits, size_t word);
    void ApplyParentRule(const uint16_t* slots);
    void PushDirect(int32_t category) { direct_[directCount_++] = directIndex_[size_t(category)]; }
    void AddToTable(const uint16_t* slots, size_t n, uint32_t pattern, int64_t weight);

    const CardClassifier& plan_;
    int categoryCount_ = 0;
    bool parentRule_ = false;

    // Slot 0 counts nothing. Per slot: the categories counted through it, those of the parent
    // rule whose raw truth it gives, and the columns it makes true.
    std::vector<std::vector<int32_t>> slotCategories_, slotInvolved_;
    std::vector<uint16_t> slotColumns_;

    std::vector<WordSource> words_;
    std::vector<KeySource> keys_;
    std::vector<GroupSource> groups_;
    // Indexes into a card's slot list of the sources that give columns or raw truths.
    std::vector<uint32_t> columnSources_, involvedSources_;

    // Categories counted one by one.
    std::vector<int32_t> directIndex_;  // by category, -1 when counted through slots
    std::vector<int32_t> directCategory_;
    std::vector<uint16_t> directColumns_;
    std::vector<uint8_t> involved_, affected_;  // by category: a parent-rule parent or child
    std::vector<uint16_t> columnBits_;          // by category: the columns it is

    std::vector<uint16_t> u16Store_;
    std::vector<int32_t> boundStore_;
    std::vector<uint64_t> maskStore_;
    size_t denseEntries_ = 0;

    // Per card.
    std::vector<uint16_t> slots_;
    std::vector<int32_t> direct_;
    size_t directCount_ = 0;
    std::vector<uint64_t> groupMask_;
    std::vector<uint32_t> raw_;  // by category: == generation_ when true on this card
    uint32_t generation_ = 0;

    // Per pattern of true columns: a row of slot weights, direct weights and the total. Past
    // the rows' budget, cards go straight into the table.
    std::array<int32_t, 1 << kMaxColumns> patternIndex_;
    std::vector<uint16_t> patterns_;
    std::vector<int64_t> rows_;
    size_t stride_ = 0;
    std::vector<int64_t> overflow_;
};

}  // namespace qv
