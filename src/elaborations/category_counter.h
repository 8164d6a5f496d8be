#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "elaborations/card_classifier.h"
#include "elaborations/count_table.h"
#include "elaborations/value_slots.h"

// The category counts by column of a counting pass, built for speed over many cards.

namespace qv {

// Counts, over the cards given to Add, every category a classifier evaluates, by up to ten
// column categories, with the result a card-by-card count with the classifier gives.
//
// A card does not list its true categories. Each field the classifier reads (a value source)
// maps the card's value to a slot, the interval of class bounds it falls in, and the card adds
// its weight to each of its slots in a row kept for its pattern of true columns; Table() spreads
// every slot over the categories that hold it. A multi-answer group of a few classes has a slot
// for each set of classes its fields can hold together, a larger one a slot for each class it
// holds. Under the parent rule, a child is true where it and its gate are: its parent's truth, as
// read from the card or, for a parent that is a child too, as the rule's sweeps leave it. With a
// few gates they join the pattern and a child is taken from the rows where its gate is true;
// with more, a field or group wholly under one gate counts only where it is true, and any other
// slot holding children has twins that count them, a card adding to the twin of its true gates.
// The categories that no slot decides alone (the children of a parent outside the grid, the
// classes of groups the rule touches otherwise or of more than 64 classes) are counted one by
// one.
//
// Cards are taken a batch at a time and each step runs over the whole batch, one source at a
// time: the source's table and bounds stay in registers and the cards' steps do not wait on
// one another.
class CategoryCounter {
  public:
    // `plan` must outlive the counter; `columns` are the categories of columns 1..C.
    CategoryCounter(const CardClassifier& plan, const std::vector<int32_t>& columns);
    CategoryCounter(const CategoryCounter&) = delete;  // holds pointers into itself
    CategoryCounter& operator=(const CategoryCounter&) = delete;

    // Adds n cards, card k's words at cards[k] (word 1 first) and its weight weights[k].
    void Add(const uint16_t* const* cards, const int64_t* weights, size_t n);

    // Records 0..N+1 of the count table (record r, field f at r * kCountTableFields + f): record
    // 0 the weight of the cards in each column and, in the all-cards field, of all cards; record r
    // category r's weights by column and in all. Record N+1 is left at 0 for the caller.
    std::vector<int64_t> Table() const;

  private:
    using Kind = CardClassifier::Kind;
    static constexpr size_t kBatch = 256;      // cards a step runs over: its scratch stays in L1
    static constexpr size_t kWordTables = 64;  // 16-bit words with a table over every value
    // Direct table entries of all sources: the word tables and a quarter as much for the others.
    static constexpr size_t kDenseBudget = kWordTables * 65536 / 4 * 5;
    static constexpr size_t kWholeGroupClasses = 12;  // groups of at most these count sets of classes
    static constexpr size_t kSmallGroupClasses = 16;  // groups of at most these map a word to its mask
    static constexpr size_t kMaxSlots = 60000;        // slots are 16-bit

    struct WordSource {  // a 16-bit word in the card, with a table by its every value
        int offset;
        const uint16_t* table;
        // A table over the values from `low` only (entry `size` for every other value), for a
        // 16-bit key past the full tables.
        uint32_t low = 0, size = 0;
        uint16_t gate = 0;  // when added late under a gate, its index + 1
    };
    // Any other value: a date, a 32-bit number, a word outside the card or past the word tables.
    struct KeySource {
        Kind kind;
        FieldWords words;
        SlotMap map;
    };
    // A multi-answer group: the union over its words of the classes each word is in. A group
    // of at most kSmallGroupClasses classes maps a word straight to the mask of its classes;
    // a larger one maps it to a segment, whose masks are kept apart.
    struct GroupSource {
        const CardClassifier::Source* source = nullptr;
        std::vector<int> offsets;
        SlotMap map;
        // Bit b of a mask: class b, the categories classes[b] true on the same cards (those in
        // the same intervals, and all-empty or not alike), so a repeated variable adds no class.
        std::vector<std::vector<int32_t>> classes;
        bool small = false;
        // Under the parent rule kept by twin slots, the gate (index + 1) every class is a child
        // of, else 0; whether some class is a parent, and with a slot for each class, those that
        // are (bit b: class b).
        uint8_t gate = 0;
        bool parents = false;
        uint64_t parentClasses = 0;
        uint64_t emptyMask = 0;  // small groups: the all-empty classes
        size_t maskWords = 1;
        size_t masksAt = 0;  // larger groups: (segmentCount + 1) masks; the last: the all-empty classes
        size_t segmentCount = 0;
        uint32_t maskSlots = 0;  // slot of mask 0 when masks are counted whole, else 0
        // Else, a group of at most 64 classes untouched by the parent rule has a slot for each
        // class: that of bit 0 here (else 0); by word value (as its map's table takes it), the
        // word's classes.
        uint32_t bitSlots = 0;
        bool bitColumns = false;  // some class makes a column true
        std::vector<uint64_t> wordMasks;
        // Its words side by side, at most 8: where the 8 words that end with them begin (their
        // lanes `valid`), else -1.
        int classFirst = -1;
        // A small group whose words lie side by side, at most 16 of them, tested a class at a
        // time on all its words at once (see VectorMask): its classes as single values and as
        // ranges, each with its bit, in every lane; the lanes that hold the group's words.
        struct Lanes {
            std::array<uint16_t, 8> v;
        };
        int vectorFirst = -1, vectorWords = 0;
        std::vector<Lanes> valueOf, valueBit, rangeBias, rangeLimit, rangeBit;
        // With fewer than 8 words a register holds the 8 words that end with the group's: the
        // lanes, and the bytes of a lane mask, that hold its words.
        Lanes valid{};
        int validBits = 0;
        void SetValidLanes(int words) {
            for (int lane = 0; lane < 8; ++lane)
                valid.v[size_t(lane)] = words >= 8 || lane >= 8 - words ? 0xFFFF : 0;
            validBits = words >= 8 ? 0xFFFF : 0xFFFF & (0xFFFF << (2 * (8 - words)));
        }
        // Else, a group side by side whose words' classes are among its first eight, held in at
        // most 15 values from `byteLow`: each word's classes are a byte of `byteTable` (entry
        // `byteSize` for every other value), found for all the card's words at once (ByteMasks).
        int byteFirst = -1, byteWords = 0;
        uint16_t byteLow = 0, byteSize = 0;
        std::array<uint8_t, 16> byteTable{};
    };

    // A value source on its way to words_ or keys_: whether it gives columns or raw truths.
    struct Pending {
        SlotMap map;
        const CardClassifier::Source* source;
        bool columns, involved, parents = false, gated = false;
        uint8_t whole = 0;  // the gate (index + 1) every category is a child of, else 0
    };
    void CompileSources(std::vector<Pending>& words, std::vector<Pending>& keys);
    void OrderSources(std::vector<Pending>& words, std::vector<Pending>& keys);
    uint32_t NewSlot(std::span<const int32_t> counted, std::span<const int32_t> involved, uint32_t columns);
    bool PlanGates();
    uint64_t GatesOf(uint64_t read) const;
    bool ParentsInPattern();
    bool ParentsGated();
    template <typename BitOf>
    void KeepChildColumns(BitOf&& bitOf);
    template <bool unit>
    void AddGated(size_t i, size_t m);
    // All ones where a gate (its bit's index + 1; 0: none) is true among a card's true gates, or
    // where there is none; else 0.
    static uint64_t GateMask(uint8_t gate, uint64_t truths) {
        return gate == 0 ? ~uint64_t(0) : 0 - (truths >> (gate - 1) & 1);
    }
    // The slot a card adds to, given its true gates: a slot holding children of one gate or two
    // has twins, with the children of the first, the second or both. No branch on the card:
    // which twin a card takes is a coin toss from slot to slot.
    uint16_t GatedSlot(uint16_t slot, uint64_t truths) const {
        const uint32_t variant =
            uint32_t((truths & gate_[slot]) != 0) | uint32_t((truths & gate2_[slot]) != 0) << 1;
        return variants_[size_t(slot) * 4 + variant];
    }
    void BuildGroup(GroupSource& g);
    void MakeDirect(int32_t category);
    void AddBatch(const uint16_t* const* cards, const int64_t* weights, size_t n);
    template <bool add, bool unit = false, bool gated = false>
    void SourceSlots(size_t i, size_t m);
    template <bool unit, bool clamped, bool gated, size_t count>
    void AddWords(const WordSource* sources, size_t m);
    template <bool unit, bool clamped, bool gated>
    void AddLateWords(const std::vector<WordSource>& sources, size_t m);
    template <bool unit>
    void AddLate(size_t m);
    template <bool unit>
    void AddKnownSlots(size_t m);
    template <bool clamped = false>
    static uint16_t WordSlot(const WordSource& w, const uint16_t* card);
    uint16_t SlotOf(size_t i, const uint16_t* card) const;
    void GroupMasks(const GroupSource& g, const uint16_t* const* cards, size_t n, uint32_t* masks);
    uint64_t OneWordMask(const GroupSource& g, const uint16_t* card) const;
    static uint32_t VectorMask(const GroupSource& g, const uint16_t* card);
    template <typename Out>
    static void EachByteMask(const GroupSource& g, const uint16_t* const* cards, size_t n, Out&& out);
    static void ByteMasks(const GroupSource& g, const uint16_t* const* cards, size_t n, uint32_t* masks);
    template <bool unit>
    void AddByteMasks(const GroupSource& g, size_t m);
    template <size_t values>
    static void ValueMasks(const GroupSource& g, const uint16_t* const* cards, size_t n, uint32_t* masks);
    static void PrepareVector(GroupSource& g, const std::vector<int64_t>& bounds,
                              const std::vector<uint16_t>& masks);
    void SetGroupTrue(const GroupSource& g, uint64_t bits, size_t word);
    void ClassMasks(const GroupSource& g, size_t m, uint64_t* masks);
    template <bool unit>
    void AddClassMasks(const GroupSource& g, const uint64_t* masks, size_t m);
    void AddDirects(const uint16_t* card, const uint16_t* slots, uint64_t gates, uint32_t& pattern);
    void ApplyParentRule(const uint16_t* slots);
    void RawTrue(int32_t category) {  // true on the card before the parent rule
        raw_[size_t(category)] = generation_;
        if (affected_[size_t(category)]) trueChildren_.push_back(category);
    }
    void PushDirect(int32_t category) { direct_.push_back(directIndex_[size_t(category)]); }
    int32_t NewRow(uint32_t pattern);
    template <bool unit>
    auto* Rows() {
        if constexpr (unit)
            return narrowRow_.data();
        else
            return wideRow_.data();
    }
    template <typename Cells>
    void TakeRows(Cells& rows, typename Cells::value_type** row, size_t m, bool& spare);
    void AddToTable(const uint16_t* card, const int32_t* direct, size_t directs, uint32_t pattern,
                    int64_t weight);

    const CardClassifier& plan_;
    int categoryCount_ = 0;
    bool parentRule_ = false;

    // A list of categories by slot, all kept end to end.
    class SlotLists {
      public:
        std::span<const int32_t> operator[](size_t slot) const {
            return {items_.data() + ends_[slot], items_.data() + ends_[slot + 1]};
        }
        size_t size() const { return ends_.size() - 1; }
        void push_back(std::span<const int32_t> list) {
            items_.insert(items_.end(), list.begin(), list.end());
            ends_.push_back(uint32_t(items_.size()));
        }

      private:
        std::vector<int32_t> items_;
        std::vector<uint32_t> ends_{0};
    };

    // Slot 0 counts nothing. Per slot: the categories counted through it, those of the parent
    // rule whose raw truth it gives, and the columns it makes true.
    SlotLists slotCategories_, slotInvolved_;
    std::vector<uint32_t> slotColumns_;

    std::vector<WordSource> words_;
    std::vector<KeySource> keys_;
    std::vector<GroupSource> groups_;
    size_t slotSources_ = 0;  // words, keys and the groups counted by sets of classes
    std::vector<const GroupSource*> slotGroups_;
    std::vector<const GroupSource*> classGroups_;  // the groups with a slot for each class
    // Indexes into a card's slot list of the sources that give columns or raw truths; the
    // sources that do either, and the others.
    std::vector<uint32_t> columnSources_, involvedSources_;
    std::vector<uint32_t> earlySources_, lateSources_;
    std::vector<uint32_t> knownSources_;  // the early sources added as soon as the rows are known
    // The late word sources, and the late 16-bit keys with a table, added four at a time; those
    // wholly under a gate apart, with the other late sources under a gate, and the gates they
    // read.
    std::vector<WordSource> lateWords_, lateTableWords_;
    std::vector<WordSource> lateGatedWords_, lateGatedTableWords_;
    std::vector<uint32_t> lateGatedSources_, gateMasked_;

    // Categories counted one by one.
    std::vector<int32_t> directIndex_;  // by category, -1 when counted through slots
    std::vector<int32_t> directCategory_;
    std::vector<uint32_t> directColumns_;
    std::vector<uint8_t> involved_, affected_;  // by category: a parent-rule parent or child
    // The parent rule kept as gates (see PlanGates): the parents; the gates of parents as read
    // (bit j: parent j); those read after the sweeps, each a parent's index and the sweeps it
    // waits for, with bits from parents_.size() on; the bits in all; by child category, its
    // gate's bit; the children that are parents, in order, with their parents, by index.
    std::vector<int32_t> parents_;
    uint64_t readGates_ = 0;
    std::vector<std::pair<uint8_t, uint8_t>> laterGates_;
    int gateBits_ = 0;
    std::vector<uint8_t> gateOfChild_;
    std::vector<std::pair<uint8_t, uint8_t>> chain_;
    // By category: the bits it sets in a card's pattern, those of the columns it is (bits 0 to
    // kMaxCountedColumns - 1) and, when it is a parent the pattern keeps, its parent bit.
    std::vector<uint32_t> patternBits_;
    // The gates kept in the pattern: by child category, its gate's bit (else 0); the number of
    // gate bits; with children that are parents, by the parent bits a card's words set, the
    // gate bits that take their place.
    std::vector<uint32_t> parentOf_;
    int parentBits_ = 0;
    static constexpr int kMostParentBits = 4;
    std::array<uint32_t, 1 << kMostParentBits> patternGates_{};
    // Else the gates kept by twin slots: by category, a child's gate (its bit's index + 1, else
    // 0) and a parent's bit; by slot, the parents it makes true, and for a slot holding children,
    // the bits of their gates (the first and the second) and its twins; the sources with such
    // slots and those that give parents; the most groups that may hold parents.
    std::vector<uint8_t> gateOf_;
    std::vector<uint64_t> parentBit_;
    std::vector<uint64_t> slotParents_;
    std::vector<uint64_t> gate_, gate2_;
    std::vector<uint16_t> variants_;  // by slot, four: the slot itself, then its twins
    std::vector<uint32_t> gatedSources_, parentSources_;
    static constexpr size_t kMostParentGroups = 8;
    // By source of the classifier: a group's gate and whether it holds parents (see GroupSource).
    struct GroupGate {
        uint8_t gate = 0;
        bool parents = false;
    };
    std::vector<GroupGate> groupGates_;
    // By slot source: the gate (index + 1) every category it counts is a child of, else 0.
    std::vector<uint8_t> wholeGate_;
    // Either way, the children that are columns: a bit of a gate (in the pattern or among the
    // card's true gates) and the columns of its children.
    std::vector<std::pair<uint64_t, uint32_t>> childColumns_;
    std::vector<uint64_t> truths_;  // per batch: each card's true parents, then its true gates
    // Per batch, for the gates late sources read: gate b of card k at [b * kBatch + k], all ones
    // where true.
    std::vector<uint64_t> gateMasks_;

    SlotStore store_;
    std::vector<uint64_t> maskStore_;

    // Per batch: the cards of nonzero weight and their weights, source i's slot of card k at
    // slots_[i * kBatch + k], each card's pattern and row, and the direct categories of card k
    // at direct_[directEnd_[k - 1] .. directEnd_[k]).
    const uint16_t* const* cards_ = nullptr;
    const int64_t* weights_ = nullptr;
    std::vector<const uint16_t*> kept_;  // the cards of nonzero weight, when some are 0
    std::vector<int64_t> keptWeights_;
    std::vector<uint16_t> slots_;
    std::vector<uint32_t> pattern_, any_, masks_;
    std::vector<uint64_t> classMasks_;  // class group j's mask of card k at [j * kBatch + k]
    // Each card's row, among the narrow rows when every card of the batch weighs 1, else among
    // the wide ones; its pattern's row number (-1: the spare row).
    std::vector<uint32_t*> narrowRow_;
    std::vector<int64_t*> wideRow_;
    std::vector<int32_t> rowOf_;
    std::vector<int32_t> direct_;
    std::vector<size_t> directEnd_;
    std::vector<uint64_t> groupMask_;
    std::vector<uint32_t> raw_;          // by category: == generation_ when true on this card
    std::vector<int32_t> trueChildren_;  // the card's children true before the parent rule
    uint32_t generation_ = 0;

    // Per pattern of true columns (and parents): a row of slot weights, direct weights and the
    // total, in two kinds. Narrow rows count the cards of weight 1 in 32 bits, so that twice as
    // many rows stay in the caches; wide rows add other weights in 64 bits. Table() sums both.
    // Past the rows' budget, cards go straight into the table (and into the spare row, the
    // first of either kind, which nobody reads).
    std::vector<int32_t> patternId_;  // -1 until the pattern is met
    std::vector<uint32_t> patterns_;
    std::vector<uint32_t> narrow_;
    std::vector<int64_t> wide_;
    // Never past 2^32 - 1, so that no narrow entry wraps (but slot 0, which counts nothing).
    uint64_t narrowCards_ = 0;
    size_t stride_ = 0;
    std::vector<int64_t> overflow_;
};

}  // namespace qv
