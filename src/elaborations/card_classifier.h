#pragma once
#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "elaborations/grid_files.h"
#include "elaborations/value_slots.h"
#include "platform/assertion.h"

// The category test of the counting passes and of the quick matrix: which grid categories a
// card's numeric part satisfies.

namespace qv {

// ---------------------------------------------------------------------------------------------
// Field values of a card in a block, read with the card store's rules: a word outside
// 1..CardWordCount reads 0, a 32-bit number there reads empty.

// Where a field's words are, resolved once per pass (0-based offsets, -1 = not in the card).
struct FieldWords {
    int first = -1, second = -1, third = -1;  // GetCardWord's word and the two after it
    bool hasNumber = false;                   // both words of a 32-bit number exist
};

FieldWords LocateField(int field, int wordCount);

inline int16_t WordAt(const uint16_t* card, int offset) {
    return offset >= 0 ? int16_t(card[offset]) : 0;
}

inline int32_t NumberAt(const uint16_t* card, const FieldWords& w) {
    return w.hasNumber ? DecodeCardNumber(card[w.first], card[w.second]) : kEmptyNumber;
}

// Date key: years since 1900 (the day word when the year word is not above 0), month, day.
// Every pass keys dates this way (counts, factor counts, typologies, MaxSim, the quick matrix),
// so one grid means the same everywhere: 1 January 2000 is 1000101.
inline int32_t DateKey(int16_t day, int16_t month, int16_t year) {
    return (year <= 0 ? day : year) * 10000 + month * 100 + day;
}
inline int32_t DateKeyAt(const uint16_t* card, const FieldWords& w) {
    return DateKey(WordAt(card, w.first), WordAt(card, w.second), WordAt(card, w.third));
}

// ---------------------------------------------------------------------------------------------
// Which categories hold a value: the bounds of every class cut the number line into intervals,
// each with the list of categories that hold it; a value finds its interval through a SlotMap.
class ClassLookup {
  public:
    ClassLookup() = default;
    ClassLookup(ClassLookup&&) = default;  // the map points into the store, which moves along
    ClassLookup& operator=(ClassLookup&&) = default;
    ClassLookup(const ClassLookup&) = delete;
    ClassLookup& operator=(const ClassLookup&) = delete;

    void Add(int32_t category, int32_t low, int32_t high) {
        if (low <= high) classes_.push_back({category, low, high});
    }
    bool Empty() const { return classes_.empty(); }
    // `word16`: every value looked up is a 16-bit word (a direct table serves small ranges).
    // Build settles the classes' intervals; BuildMaps, once, the tables Find and Held read.
    void Build(bool word16);
    void BuildMaps();

    // After Build: the sorted bounds; interval j is [Bounds()[j], Bounds()[j + 1]).
    const std::vector<int64_t>& Bounds() const { return bounds_; }
    std::pair<const int32_t*, const int32_t*> IntervalCategories(size_t j) const { return Segment(j + 1); }
    // Segments a value's slot picks from: 0 (no interval) and one for each interval.
    size_t SegmentCount() const { return starts_.empty() ? 0 : starts_.size() - 1; }

    // The lookup's tables held apart, for a loop over many values: a caller's stores between the
    // lookups do not make it read them again.
    struct Tables {
        SlotMap map;
        const uint32_t* starts;
        const int32_t* categories;
        const int32_t* only;  // by segment: the one category holding it, 0 for none; null when
                              // a value can be in several
        SlotMap category;     // with `only`: a value's one category straight away, 0 for none
        [[gnu::always_inline]] std::pair<const int32_t*, const int32_t*> Find(int32_t v) const {
            const uint16_t s = map.Find(v);
            return {categories + starts[s], categories + starts[s + 1]};
        }
        [[gnu::always_inline]] int32_t Only(int32_t v) const { return only[map.Find(v)]; }
    };
    Tables Held() const {
        QV_ASSERT(mapsBuilt_);
        return {map_, starts_.data(), categories_.data(), only_.empty() ? nullptr : only_.data(),
                categoryMap_};
    }

  private:
    struct Class {
        int32_t category, low, high;
    };
    // Segment 0 holds no category; segment j + 1 is interval j.
    std::pair<const int32_t*, const int32_t*> Segment(size_t s) const {
        const int32_t* base = categories_.data();
        return {base + starts_[s], base + starts_[s + 1]};
    }
    std::vector<Class> classes_;
    std::vector<int64_t> bounds_;
    std::vector<uint32_t> starts_;  // by segment, and one past the last
    std::vector<int32_t> categories_;
    std::vector<int32_t> only_;  // by segment, when no value is in two categories
    SlotStore store_;
    SlotMap map_, categoryMap_;
    bool word16_ = false, mapsBuilt_ = false;
};

// ---------------------------------------------------------------------------------------------
// The active categories of a grid (active[i] for category i), compiled into value sources so
// that one card is classified by reading each field once. A category is true when its field
// (by FieldTypes) holds a value within its bounds; a group of n fields when any holds a word
// within them, or, with a zero bound, when all are empty; text fields never. Then, twice over
// in line order, a true category whose parent is false becomes false.
class CardClassifier {
  public:
    CardClassifier(const CategoryGrid& grid, const std::vector<uint8_t>& active, int wordCount);

    // Classifies one card (word 1 at card[0]); the true categories are then True() and
    // IsTrue(). Call Clear() before the next card.
    void Classify(const uint16_t* card);

    // Sets bit skip + k of row c for every true category c of cards 0..n-1, card k's words at
    // cards + k * stride: row c at rows + c * span, bit b at byte b / 8 from its high bit down,
    // as the bit matrix lays out cards. Bits are added to the row's bytes, in pairs: the first
    // (skip + n + 15) / 16 * 2 bytes of a row are read and written. Row 0 may take bits of cards
    // in no category of a field.
    // The cards' words laid out a column a word first, then a field at a time over the cards,
    // so that its lookup stays at hand.
    void SetTrueBits(const uint16_t* cards, size_t stride, size_t n, size_t skip, uint8_t* rows, size_t span);

    bool IsTrue(int category) const { return truth_[size_t(category)] != 0; }
    // In the order found, not sorted.
    const std::vector<int32_t>& True() const { return trueList_; }
    void Clear() {
        for (int32_t c : trueList_) truth_[size_t(c)] = 0;
        trueList_.clear();
    }

    // The compiled tests, for callers that classify in bulk their own way (the category
    // counts): every active category with a class sits in exactly one source.
    enum class Kind : uint8_t { Word, Date, Number, Group };
    struct Source {
        Kind kind = Kind::Word;
        FieldWords words;
        std::vector<int> group;  // word offsets of the fields tested together
        ClassLookup lookup;
        std::vector<int32_t> allEmpty;  // group classes with a zero bound: all fields empty
    };
    const std::vector<Source>& Sources() const { return sources_; }
    // The value a source other than a group tests on a card: the word, the date key or the
    // 32-bit number.
    static int32_t ValueOf(Kind kind, const uint16_t* card, const FieldWords& words) {
        switch (kind) {
            case Kind::Date:
                return DateKeyAt(card, words);
            case Kind::Number:
                return NumberAt(card, words);
            default:
                return WordAt(card, words.first);
        }
    }
    // Active categories with a parent, in increasing order; the parent rule applies to them
    // when ParentRuleInForce().
    const std::vector<int32_t>& ChildCategories() const { return childCategories_; }
    bool ParentRuleInForce() const { return parentRule_; }
    // The parent rule over a card's truths as the caller keeps them, swept over `children` in
    // increasing order, every child true on the card (the others are false, and stay so): twice
    // over, a true child whose parent is false, or outside the grid, becomes false. Answers
    // whether any did.
    template <typename IsTrue, typename MakeFalse>
    bool ApplyParentRule(std::span<const int32_t> children, IsTrue&& isTrue, MakeFalse&& makeFalse) const {
        bool changed = false;
        ParentRuleSteps(children, [&](int32_t c, int32_t p) {
            if (isTrue(c) && (p == 0 || !isTrue(p))) {
                makeFalse(c);
                changed = true;
            }
        });
        return changed;
    }
    // The rule's steps: twice over, each of `children` in increasing order, step(child, its
    // parent or 0 when the parent is outside the grid).
    template <typename Step>
    void ParentRuleSteps(std::span<const int32_t> children, Step&& step) const {
        const int32_t* parent = grid_.Parent.data();
        const int32_t count = grid_.Count;
        for (int sweep = 0; sweep < 2; ++sweep)
            for (int32_t c : children) step(c, parent[size_t(c)] > count ? 0 : parent[size_t(c)]);
    }
    const CategoryGrid& Grid() const { return grid_; }

  private:
    // The truths before the parent rule, set(k, c) as ForEachTrue.
    template <typename Set>
    void ForEachRawTrue(const uint16_t* cards, size_t stride, size_t n, Set&& set) const {
        auto each = [&set](size_t k, std::pair<const int32_t*, const int32_t*> range) {
            for (const int32_t* p = range.first; p != range.second; ++p) set(k, *p);
        };
        for (const Source& s : sources_) {
            const ClassLookup::Tables lookup = s.lookup.Held();
            const FieldWords w = s.words;
            auto over = [&](auto&& valueOf) {  // a loop for each kind of value
                if (lookup.only)
                    for (size_t k = 0; k < n; ++k) set(k, lookup.Only(valueOf(cards + k * stride)));
                else
                    for (size_t k = 0; k < n; ++k) each(k, lookup.Find(valueOf(cards + k * stride)));
            };
            switch (s.kind) {
                case Kind::Word:
                    over([w](const uint16_t* card) { return int32_t(WordAt(card, w.first)); });
                    break;
                case Kind::Date:
                    over([w](const uint16_t* card) { return DateKeyAt(card, w); });
                    break;
                case Kind::Number:
                    over([w](const uint16_t* card) { return NumberAt(card, w); });
                    break;
                case Kind::Group:
                    for (size_t k = 0; k < n; ++k) {
                        uint16_t any = 0;
                        for (int offset : s.group) {
                            const int16_t v = WordAt(cards + k * stride, offset);
                            any |= uint16_t(v);
                            each(k, lookup.Find(v));
                        }
                        if (any == 0)
                            for (int32_t c : s.allEmpty) set(k, c);
                    }
                    break;
            }
        }
    }
    void SetBitsBySegment(const ClassLookup::Tables& lookup, const uint16_t* segments, size_t bytes,
                          uint8_t* rows, size_t span) const;
    static void SetBitsByCategory(const uint16_t* categories, size_t bytes, uint8_t* rows, size_t span);
    // How SetTrueBits finds a source's slots sixteen cards at a time: from a 16-bit word
    // through a table of at most 16 entries, or by counting the value's bounds (at most 15).
    struct FewSlots {
        enum class Way : uint8_t { OneByOne, Table, Bounds } way = Way::OneByOne;
        int32_t low = 0;               // Table: entry min(word - low, size)
        uint32_t size = 0, count = 0;  // Bounds: `count` of them
        int32_t bounds[16] = {};
        uint8_t slot[16] = {};  // by table entry, or by the number of bounds at or below the value
    };
    static FewSlots FewSlotsOf(const ClassLookup& lookup);
    void ToColumns(const uint16_t* cards, size_t stride, size_t n, size_t skip, size_t bits);
    static void SlotsByTable(const uint16_t* words, size_t units, const FewSlots& few, const uint8_t* inBatch,
                             uint8_t* slots);
    static void SlotsByBounds(const int32_t* values, size_t units, const FewSlots& few,
                              const uint8_t* inBatch, uint8_t* slots);
    static void ToSlots(const uint16_t* segments, size_t units, const uint8_t* inBatch, uint8_t* slots);
    static void AddWords(const uint16_t* words, size_t units, uint16_t* to);
    static void AddSlotBits(const uint8_t* slots, size_t units, const uint32_t* starts,
                            const int32_t* categories, uint32_t segments, uint8_t* rows, size_t span);
    void ApplyParentRuleToBits(size_t skip, size_t n, uint8_t* rows, size_t span) const;
    void MarkOne(int32_t c) {
        if (!truth_[size_t(c)]) {
            truth_[size_t(c)] = 1;
            trueList_.push_back(c);
        }
    }

    const CategoryGrid& grid_;
    std::vector<Source> sources_;
    // The lookups' tables, built when the first card is classified: a caller that only reads
    // the sources (the category counts) never pays for them.
    void BuildLookups();
    bool lookupsBuilt_ = false;
    std::vector<FewSlots> fewSlots_;  // by source
    int wordCount_ = 0;
    // The blocks of eight card words the sources read (their first word's offset, increasing;
    // those before `wholeBlocks_` lie whole in the card), and by word offset its column.
    std::vector<int32_t> blocks_, columnOf_;
    size_t wholeBlocks_ = 0;
    std::vector<int32_t> childCategories_;
    bool parentRule_ = false;
    std::vector<uint8_t> truth_;
    std::vector<int32_t> trueList_;
    std::vector<uint8_t> isChild_;       // by category: in childCategories_
    std::vector<int32_t> trueChildren_;  // Classify's children true before the parent rule
    // SetTrueBits, by bit: a source's segment of each card, the card words by column, whether
    // no word of a group holds a value, a source's values, whether the bit is a card's; segments
    // as bytes, bit b's at b ^ 7.
    std::vector<uint16_t> segments_, columns_, empty_;
    std::vector<int32_t> values_;
    std::vector<uint8_t> inBatch_, slots_;
};

}  // namespace qv
