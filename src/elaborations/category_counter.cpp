#include "elaborations/category_counter.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <map>
#include <numeric>
#include <type_traits>

namespace qv {

namespace {

constexpr size_t kRowBudget = size_t(1) << 22;  // entries of all pattern rows

int ColumnsOf(uint32_t pattern, int* columns) {
    int n = 0;
    for (int c = 0; c < kMaxCountedColumns; ++c)
        if (pattern & (1u << c)) columns[n++] = c + 1;
    return n;
}

void Spread(int64_t* record, int64_t w, const int* columns, int n) {
    record[kCountTableAllCards] += w;
    for (int k = 0; k < n; ++k) record[columns[k]] += w;
}

}  // namespace

CategoryCounter::CategoryCounter(const CardClassifier& plan, const std::vector<int32_t>& columns)
    : plan_(plan) {
    const CategoryGrid& grid = plan.Grid();
    categoryCount_ = grid.Count;
    parentRule_ = plan.ParentRuleInForce();
    const size_t size = size_t(categoryCount_) + 2;

    affected_.assign(size, 0);
    involved_.assign(size, 0);
    patternBits_.assign(size, 0);
    parentOf_.assign(size, 0);
    for (size_t k = 0; k < columns.size() && k < size_t(kMaxCountedColumns); ++k)
        if (columns[k] >= 1 && columns[k] <= categoryCount_) patternBits_[size_t(columns[k])] |= 1u << k;
    if (parentRule_ && !(PlanGates() && (ParentsInPattern() || ParentsGated()))) {
        chain_.clear();  // no gates: the rule card by card
        for (int32_t c : plan.ChildCategories()) {
            affected_[size_t(c)] = involved_[size_t(c)] = 1;
            const int32_t p = grid.Parent[size_t(c)];
            if (p >= 1 && p <= categoryCount_) involved_[size_t(p)] = 1;
        }
    }
    directIndex_.assign(size, -1);
    if (parentRule_)
        for (int32_t c : plan.ChildCategories()) MakeDirect(c);
    NewSlot({}, {}, 0);

    std::vector<Pending> words, keys;
    CompileSources(words, keys);
    size_t maskWords = 1;
    for (GroupSource& g : groups_) {
        BuildGroup(g);
        maskWords = std::max(maskWords, g.maskWords);
    }
    OrderSources(words, keys);

    stride_ = slotCategories_.size() + directCategory_.size() + 1;
    patternId_.assign(size_t(1) << (kMaxCountedColumns + parentBits_), -1);
    kept_.resize(kBatch);
    keptWeights_.resize(kBatch);
    slots_.assign(std::max<size_t>(slotSources_, 1) * kBatch, 0);
    pattern_.resize(kBatch);
    any_.resize(kBatch);
    masks_.resize(kBatch);
    truths_.resize(kBatch);
    classMasks_.resize(classGroups_.size() * kBatch);
    narrowRow_.resize(kBatch);
    wideRow_.resize(kBatch);
    rowOf_.resize(kBatch);
    directEnd_.resize(kBatch);
    groupMask_.assign(maskWords, 0);
    raw_.assign(size, 0);
}

// Every value source of the plan with a slot per interval of its bounds: the 16-bit words with
// a table over every value while they last, the other values in `keys`; the groups apart.
void CategoryCounter::CompileSources(std::vector<Pending>& words, std::vector<Pending>& keys) {
    // Room for every table, so that the store is not copied as it grows; past the budget of
    // direct entries only the lists of bounds can add to it.
    size_t room = 0, lists = 0;
    for (const CardClassifier::Source& s : plan_.Sources()) {
        room += SlotStore::MostEntries(s.lookup.Bounds().size(),
                                       s.kind == Kind::Word || s.kind == Kind::Group, s.kind == Kind::Date);
        lists += s.lookup.Bounds().size() + 2;
    }
    store_.Reserve(std::min(room, kDenseBudget + SlotStore::MostEntries(lists, false, true)));
    std::vector<int32_t> counted, involved;  // an interval's categories
    for (const CardClassifier::Source& s : plan_.Sources()) {
        const std::vector<int64_t>& bounds = s.lookup.Bounds();
        if (s.kind == Kind::Group) {
            GroupSource g;
            g.source = &s;
            g.offsets = s.group;
            if (!groupGates_.empty()) {
                const GroupGate& under = groupGates_[size_t(&s - plan_.Sources().data())];
                g.gate = under.gate;
                g.parents = under.parents;
            }
            // Each category's intervals, then -1 when it is all-empty: one class a signature.
            std::map<int32_t, std::vector<int64_t>> signature;
            for (size_t j = 0; j + 1 < bounds.size(); ++j) {
                auto [b, e] = s.lookup.IntervalCategories(j);
                for (const int32_t* c = b; c != e; ++c) signature[*c].push_back(int64_t(j));
            }
            for (int32_t c : s.allEmpty)
                if (std::vector<int64_t>& in = signature[c]; in.empty() || in.back() != -1) in.push_back(-1);
            std::map<std::vector<int64_t>, size_t> classOf;
            for (const auto& [c, in] : signature) {
                const auto [at, fresh] = classOf.emplace(in, g.classes.size());
                if (fresh) g.classes.emplace_back();
                g.classes[at->second].push_back(c);
            }
            if (!g.classes.empty()) groups_.push_back(std::move(g));
            continue;
        }
        if (bounds.empty()) continue;
        // Segment 0 lies below every bound and the last above; segment j + 1 is interval j.
        std::vector<uint16_t> segments(bounds.size() + 1, 0);
        Pending p{{}, &s, false, false};
        // Every category a child of one gate: the source counts only where that gate is true, and
        // needs no twins.
        bool one = !gateOf_.empty();
        for (size_t j = 0; one && j + 1 < bounds.size(); ++j) {
            auto [b, e] = s.lookup.IntervalCategories(j);
            for (const int32_t* c = b; one && c != e; ++c) {
                one = gateOf_[size_t(*c)] != 0 && (p.whole == 0 || gateOf_[size_t(*c)] == p.whole);
                p.whole = gateOf_[size_t(*c)];
            }
        }
        if (!one) p.whole = 0;
        for (size_t j = 0; j + 1 < bounds.size(); ++j) {
            auto [b, e] = s.lookup.IntervalCategories(j);
            counted.clear();
            involved.clear();
            uint32_t bits = 0;
            uint64_t parents = 0;
            uint8_t gate = 0, second = 0;  // the gates of the interval's children, at most two
            for (const int32_t* c = b; c != e; ++c) {
                if (!affected_[size_t(*c)]) {
                    counted.push_back(*c);
                    bits |= patternBits_[size_t(*c)];
                }
                if (involved_[size_t(*c)]) involved.push_back(*c);
                if (gateOf_.empty()) continue;
                parents |= parentBit_[size_t(*c)];
                const uint8_t of = p.whole != 0 ? 0 : gateOf_[size_t(*c)];
                if (of != 0 && of != gate) (gate == 0 ? gate : second) = of;
            }
            if (counted.empty() && involved.empty()) continue;
            p.columns = p.columns || bits != 0;
            p.involved = p.involved || !involved.empty();
            p.parents = p.parents || parents != 0;
            p.gated = p.gated || gate != 0 || p.whole != 0;
            // With children, the twins that count them too: of the first gate, of the second, of
            // both. Four slots at most an interval, and two bounds at most a grid line: the slots
            // of words and keys stay far below 2^16, and the groups' are counted against kMaxSlots.
            const size_t twin = slotCategories_.size();
            for (int variant = 1; gate != 0 && variant < (second != 0 ? 4 : 2); ++variant) {
                std::vector<int32_t> with;
                for (int32_t c : counted) {
                    const uint8_t of = gateOf_[size_t(c)];
                    if (of == 0 || (of == gate && (variant & 1)) || (of == second && (variant & 2)))
                        with.push_back(c);
                }
                NewSlot(with, {}, bits);
                slotParents_.back() = parents;
            }
            if (gate != 0) std::erase_if(counted, [&](int32_t c) { return gateOf_[size_t(c)] != 0; });
            segments[j + 1] = uint16_t(NewSlot(counted, involved, bits));
            slotParents_.back() = parents;
            if (gate != 0) {
                gate_.back() = uint64_t(1) << (gate - 1);
                gate2_.back() = second != 0 ? uint64_t(1) << (second - 1) : 0;
                const size_t slot = slotCategories_.size() - 1;
                for (uint16_t variant = 1; variant < 4; ++variant)
                    variants_[slot * 4 + variant] = uint16_t(twin + variant - 1);
            }
        }
        if (std::all_of(segments.begin(), segments.end(), [](uint16_t v) { return v == 0; })) continue;
        const bool word16 = s.kind == Kind::Word && s.words.first >= 0;
        if (word16 && words.size() < kWordTables && store_.DenseEntries() + 65536 <= kDenseBudget) {
            if (store_.BuildWordTable(p.map, bounds, segments))
                words.push_back(p);  // else no 16-bit value is in a class
            continue;
        }
        p.map = store_.BuildMap(bounds, segments, word16, kDenseBudget);
        if (s.kind == Kind::Date && s.words.first >= 0 && s.words.second >= 0 && s.words.third >= 0 &&
            store_.DenseEntries() + 65536 <= kDenseBudget)
            store_.BuildDateTables(p.map, bounds, segments);
        if (word16 && p.map.tableAt != SIZE_MAX && p.map.size == 0) continue;
        keys.push_back(p);
    }
}

// The sources in the order a batch reads them, and which of them give columns or raw truths.
void CategoryCounter::OrderSources(std::vector<Pending>& words, std::vector<Pending>& keys) {
    // Keys of one kind together, so that the loop's branch on the kind runs in long series.
    std::stable_sort(keys.begin(), keys.end(),
                     [](const Pending& a, const Pending& b) { return a.source->kind < b.source->kind; });
    for (Pending& p : words) {
        store_.FixPointers(p.map);
        words_.push_back({p.source->words.first, p.map.table});
    }
    for (Pending& p : keys) {
        store_.FixPointers(p.map);
        keys_.push_back({p.source->kind, p.source->words, p.map});
    }
    for (GroupSource& g : groups_) {
        store_.FixPointers(g.map);
        if (g.bitSlots == 0) continue;
        classGroups_.push_back(&g);
        if (!g.map.table) continue;
        g.wordMasks.resize(size_t(g.map.size) + 1);
        for (size_t v = 0; v < g.wordMasks.size(); ++v)
            g.wordMasks[v] = g.small ? g.map.table[v] : maskStore_[g.masksAt + g.map.table[v]];
        // Words side by side, the 8 that end with them within the card, every entry in 16 bits.
        const int n = int(g.offsets.size());
        bool side = n >= 1 && n <= 8 && g.offsets[0] >= 0 && g.offsets[0] + n >= 8 && g.map.size <= 0xFFFF;
        for (int j = 1; side && j < n; ++j) side = g.offsets[size_t(j)] == g.offsets[0] + j;
        if (!side) continue;
        g.classFirst = g.offsets[0] + n - 8;
        g.SetValidLanes(n);
    }
    for (size_t i = 0; i < words.size() + keys.size(); ++i) {
        const Pending& p = i < words.size() ? words[i] : keys[i - words.size()];
        wholeGate_.push_back(p.whole);
        if (p.columns) columnSources_.push_back(uint32_t(i));
        if (p.involved) involvedSources_.push_back(uint32_t(i));
        if (p.parents) parentSources_.push_back(uint32_t(i));
        if (p.gated) gatedSources_.push_back(uint32_t(i));
    }
    slotSources_ = words_.size() + keys_.size();
    for (const GroupSource& g : groups_) {
        if (g.maskSlots == 0) continue;
        slotGroups_.push_back(&g);
        const auto first = slotColumns_.begin() + ptrdiff_t(g.maskSlots);
        if (std::any_of(first, first + (ptrdiff_t(1) << g.classes.size()), [](uint32_t b) { return b != 0; }))
            columnSources_.push_back(uint32_t(slotSources_));
        if (g.gate != 0) gatedSources_.push_back(uint32_t(slotSources_));
        if (g.parents) parentSources_.push_back(uint32_t(slotSources_));
        wholeGate_.push_back(g.gate);
        ++slotSources_;
    }

    // The sources a card's columns or the parent rule read come first, with those whose slot
    // waits for the card's parents; the others add as they go.
    auto in = [](const std::vector<uint32_t>& list, size_t i) {
        return std::find(list.begin(), list.end(), uint32_t(i)) != list.end();
    };
    // A word or key wholly under one gate adds as it goes too, its slot kept where the gate is.
    std::vector<uint32_t> lateGated;
    for (size_t i = 0; i < slotSources_; ++i) {
        const bool read = in(columnSources_, i) || in(involvedSources_, i) || in(parentSources_, i);
        const uint16_t gate = wholeGate_[i];
        const bool gatedLate = gate != 0 && !read && i < words_.size() + keys_.size();
        const bool early = read || (in(gatedSources_, i) && !gatedLate);
        if (early && !in(gatedSources_, i)) knownSources_.push_back(uint32_t(i));
        if (gatedLate) {
            lateGated.push_back(uint32_t(i));
            if (std::find(gateMasked_.begin(), gateMasked_.end(), gate - 1) == gateMasked_.end())
                gateMasked_.push_back(gate - 1);
        }
        if (!early && i < words_.size()) {
            WordSource w = words_[i];
            w.gate = gate;
            (gatedLate ? lateGatedWords_ : lateWords_).push_back(w);
            continue;
        }
        if (!early && i < words_.size() + keys_.size()) {
            const KeySource& k = keys_[i - words_.size()];
            if (k.kind == Kind::Word && k.words.first >= 0 && k.map.table) {
                (gatedLate ? lateGatedTableWords_ : lateTableWords_)
                    .push_back({k.words.first, k.map.table, uint32_t(k.map.low), k.map.size, gate});
                continue;
            }
        }
        (early ? earlySources_ : gatedLate ? lateGatedSources_ : lateSources_).push_back(uint32_t(i));
    }
    std::erase_if(gatedSources_, [&](uint32_t i) { return in(lateGated, i); });
    for (auto* words : {&lateGatedWords_, &lateGatedTableWords_})
        std::stable_sort(words->begin(), words->end(),
                         [](const WordSource& a, const WordSource& b) { return a.gate < b.gate; });
    if (!gateMasked_.empty()) gateMasks_.resize(size_t(gateBits_) * kBatch);
}

// The rule kept as gates, when every child's parent lies in the grid: a child is true when it is
// and its gate is, as read from the card. Its gate is its parent's truth at the child's steps of
// the rule's sweeps: the parent as read when it is no child itself, else as the first sweep left
// it when it lies at or after the child, as the second left it when before. The parents are taken
// in order of first use, a gate of a parent as read at the parent's bit, the others after them;
// false past 64 bits.
bool CategoryCounter::PlanGates() {
    const CategoryGrid& grid = plan_.Grid();
    const std::vector<int32_t>& children = plan_.ChildCategories();
    std::vector<uint8_t> child(size_t(categoryCount_) + 2, 0);
    for (int32_t c : children) child[size_t(c)] = 1;
    auto indexIn = [](auto& list, const auto& item) {  // its index, added at the end when new
        const auto at = std::find(list.begin(), list.end(), item);
        if (at != list.end()) return size_t(at - list.begin());
        list.push_back(item);
        return list.size() - 1;
    };
    for (int32_t c : children) {
        const int32_t p = grid.Parent[size_t(c)];
        if (p < 1 || p > categoryCount_) return false;
        indexIn(parents_, p);
    }
    if (parents_.empty() || parents_.size() > 64) return false;
    gateOfChild_.assign(size_t(categoryCount_) + 2, 0);
    for (int32_t c : children) {
        const int32_t p = grid.Parent[size_t(c)];
        const uint8_t parent = uint8_t(indexIn(parents_, p)), after = !child[size_t(p)] ? 0 : p < c ? 2 : 1;
        const size_t bit =
            after == 0 ? parent : parents_.size() + indexIn(laterGates_, std::pair(parent, after));
        if (bit >= 64) return false;
        gateOfChild_[size_t(c)] = uint8_t(bit);
        if (after == 0) readGates_ |= uint64_t(1) << bit;
    }
    gateBits_ = int(parents_.size() + laterGates_.size());
    for (int32_t c : children)  // the children that are parents, in the sweeps' order
        if (std::find(parents_.begin(), parents_.end(), c) != parents_.end())
            chain_.push_back(
                {uint8_t(indexIn(parents_, c)), uint8_t(indexIn(parents_, grid.Parent[size_t(c)]))});
    return true;
}

// A card's gates from its parents as read (bit j: parent j): the sweeps run over the parents
// that are children.
uint64_t CategoryCounter::GatesOf(uint64_t read) const {
    uint64_t after[3] = {read, 0, 0}, truths = read;
    for (int sweep = 1; sweep <= 2; ++sweep) {
        for (const auto& [c, p] : chain_)
            if (!(truths >> p & 1)) truths &= ~(uint64_t(1) << c);
        after[sweep] = truths;
    }
    uint64_t gates = read & readGates_;
    for (size_t i = 0; i < laterGates_.size(); ++i)
        gates |= (after[laterGates_[i].second] >> laterGates_[i].first & 1) << (parents_.size() + i);
    return gates;
}

// A few gates: each parent's truth as read is a bit of the card's pattern, set as its columns
// are, then turned into the gates' bits; a child is counted through its slots like any
// category, in the rows whose pattern holds its gate's bit.
bool CategoryCounter::ParentsInPattern() {
    if (gateBits_ > kMostParentBits) return false;
    for (size_t j = 0; j < parents_.size(); ++j)
        patternBits_[size_t(parents_[j])] |= 1u << (kMaxCountedColumns + int(j));
    for (int32_t c : plan_.ChildCategories())
        parentOf_[size_t(c)] = 1u << (kMaxCountedColumns + gateOfChild_[size_t(c)]);
    for (uint32_t read = 0; !chain_.empty() && read < patternGates_.size(); ++read)
        patternGates_[read] = uint32_t(GatesOf(read)) << kMaxCountedColumns;
    KeepChildColumns([this](int32_t c) { return parentOf_[size_t(c)]; });
    parentBits_ = gateBits_;
    parentRule_ = false;
    return true;
}

// The children that are columns, by the bit of their gate.
template <typename BitOf>
void CategoryCounter::KeepChildColumns(BitOf&& bitOf) {
    for (int32_t c : plan_.ChildCategories()) {
        const uint32_t columns = patternBits_[size_t(c)] & ((1u << kMaxCountedColumns) - 1);
        if (columns == 0) continue;
        const uint64_t bit = bitOf(c);
        const auto same = std::find_if(childColumns_.begin(), childColumns_.end(),
                                       [bit](const auto& entry) { return entry.first == bit; });
        if (same == childColumns_.end())
            childColumns_.push_back({bit, columns});
        else
            same->second |= columns;
    }
}

// More gates, up to 64: each slot that holds children (of one gate or two) has twins that count
// them too, and a card whose gates are true adds to the twin of those; the cards' parents are
// found as their columns are, then their gates. A group whose classes are all children of one
// gate counts only where it is true, and a few groups may hold parents. Other groups that hold
// children or parents, and slots with children of three gates or more, leave the rule to be
// applied card by card.
bool CategoryCounter::ParentsGated() {
    std::vector<uint8_t> gateOf(size_t(categoryCount_) + 2, 0);
    std::vector<uint64_t> parentBit(size_t(categoryCount_) + 2, 0);
    for (size_t j = 0; j < parents_.size(); ++j) parentBit[size_t(parents_[j])] = uint64_t(1) << j;
    for (int32_t c : plan_.ChildCategories()) gateOf[size_t(c)] = uint8_t(gateOfChild_[size_t(c)] + 1);
    std::vector<GroupGate> groupGates(plan_.Sources().size());
    size_t parentGroups = 0;
    for (size_t i = 0; i < plan_.Sources().size(); ++i) {
        const CardClassifier::Source& src = plan_.Sources()[i];
        if (src.kind == Kind::Group) {
            // Untouched, or every class a child of one gate: the group counts only where it is
            // true. Its classes may be parents while it has a slot for each (a few such groups of
            // at most 64 categories, which the slots' numbers always have room for).
            std::vector<int32_t> all(src.allEmpty);
            for (size_t j = 0; j + 1 < src.lookup.Bounds().size(); ++j) {
                auto [b, e] = src.lookup.IntervalCategories(j);
                all.insert(all.end(), b, e);
            }
            std::sort(all.begin(), all.end());
            all.erase(std::unique(all.begin(), all.end()), all.end());
            bool parents = false;
            for (int32_t c : all) {
                if (gateOf[size_t(c)] != gateOf[size_t(all[0])]) return false;
                parents = parents || parentBit[size_t(c)] != 0;
            }
            if (parents && (all.size() > 64 || ++parentGroups > kMostParentGroups)) return false;
            if (!all.empty()) groupGates[i] = {gateOf[size_t(all[0])], parents};
            continue;
        }
        for (size_t j = 0; j + 1 < src.lookup.Bounds().size(); ++j) {
            auto [b, e] = src.lookup.IntervalCategories(j);
            uint8_t gate = 0, second = 0;
            for (const int32_t* c = b; c != e; ++c) {
                const uint8_t of = gateOf[size_t(*c)];
                if (of == 0 || of == gate || of == second) continue;
                if (gate != 0 && second != 0) return false;
                (gate == 0 ? gate : second) = of;
            }
        }
    }
    gateOf_ = std::move(gateOf);
    parentBit_ = std::move(parentBit);
    groupGates_ = std::move(groupGates);
    KeepChildColumns([&](int32_t c) { return uint64_t(1) << gateOfChild_[size_t(c)]; });
    parentRule_ = false;
    return true;
}

void CategoryCounter::MakeDirect(int32_t category) {
    if (directIndex_[size_t(category)] >= 0) return;
    directIndex_[size_t(category)] = int32_t(directCategory_.size());
    directCategory_.push_back(category);
    directColumns_.push_back(patternBits_[size_t(category)]);
}

uint32_t CategoryCounter::NewSlot(std::span<const int32_t> counted, std::span<const int32_t> involved,
                                  uint32_t columns) {
    slotCategories_.push_back(counted);
    slotInvolved_.push_back(involved);
    slotColumns_.push_back(columns);
    slotParents_.push_back(0);
    gate_.push_back(0);
    gate2_.push_back(0);
    const uint16_t slot = uint16_t(slotCategories_.size() - 1);
    variants_.insert(variants_.end(), {slot, slot, slot, slot});
    return uint32_t(slotCategories_.size() - 1);
}

void CategoryCounter::Add(const uint16_t* const* cards, const int64_t* weights, size_t n) {
    for (size_t at = 0; at < n; at += kBatch) AddBatch(cards + at, weights + at, std::min(kBatch, n - at));
}

template <bool clamped>
inline uint16_t CategoryCounter::WordSlot(const WordSource& w, const uint16_t* card) {
    if constexpr (clamped)
        return w.table[std::min(uint32_t(int32_t(int16_t(card[w.offset]))) - w.low, w.size)];
    return w.table[card[w.offset]];
}

// Source i's slot on one card.
uint16_t CategoryCounter::SlotOf(size_t i, const uint16_t* card) const {
    if (i < words_.size()) return WordSlot(words_[i], card);
    if (i < words_.size() + keys_.size()) {
        const KeySource& s = keys_[i - words_.size()];
        return s.map.Find(CardClassifier::ValueOf(s.kind, card, s.words));
    }
    const GroupSource& g = *slotGroups_[i - words_.size() - keys_.size()];
    return uint16_t(g.maskSlots + OneWordMask(g, card));
}

// Source i's slot on the batch's first m cards: kept in slots_ or, with `add`, added to at
// once in each card's row (`unit`: every card's weight is 1).
template <bool add, bool unit, bool gated>
void CategoryCounter::SourceSlots(size_t i, size_t m) {
    const uint16_t* const* card = cards_;
    uint16_t* slots = slots_.data() + i * kBatch;
    const uint64_t* keep = gated ? gateMasks_.data() + (wholeGate_[i] - 1) * kBatch : nullptr;
    auto* const* row = Rows<unit>();
    const int64_t* weight = weights_;
    auto put = [&](size_t k, uint16_t slot) {
        if constexpr (add)
            row[k][gated ? slot & keep[k] : slot] += unit ? 1 : weight[k];
        else
            slots[k] = slot;
    };
    auto fill = [&](auto&& slotOf) {
        for (size_t k = 0; k < m; ++k) put(k, slotOf(k));
    };
    if (i < words_.size()) {
        const WordSource w = words_[i];
        fill([&](size_t k) { return WordSlot(w, card[k]); });
        return;
    }
    if (i < words_.size() + keys_.size()) {
        const KeySource& s = keys_[i - words_.size()];
        switch (s.kind) {
            case Kind::Date: {
                const FieldWords w = s.words;
                // The offsets as size_t, here and below: an add to a row (an unsigned int) could
                // be taken to change an int, which would then be read again for every card.
                s.map.FindEachDate(
                    m,
                    [&, first = size_t(w.first), second = size_t(w.second),
                     third = size_t(w.third)](size_t k) {
                        const uint16_t* c = card[k];
                        return std::array<uint16_t, 3>{c[first], c[second], c[third]};
                    },
                    [&](size_t k) { return DateKeyAt(card[k], w); }, put);
                break;
            }
            case Kind::Number: {
                const FieldWords w = s.words;
                auto value = [&](size_t k) { return NumberAt(card[k], w); };
                if (w.hasNumber)
                    s.map.FindEachStored(  // the second word follows the first
                        m,
                        [&, first = size_t(w.first)](size_t k) {
                            uint32_t words;
                            std::memcpy(&words, card[k] + first, sizeof words);
                            return words;
                        },
                        value, put);
                else
                    s.map.FindEach(m, value, put);
                break;
            }
            default:
                s.map.FindEach(  // the word as WordAt reads it
                    m,
                    [&, at = size_t(std::max(s.words.first, 0)), present = s.words.first >= 0](size_t k) {
                        return present ? int32_t(int16_t(card[k][at])) : 0;
                    },
                    put);
                break;
        }
        return;
    }
    const GroupSource& g = *slotGroups_[i - words_.size() - keys_.size()];
    if constexpr (add)
        if (g.byteFirst >= 0) return AddByteMasks<unit>(g, m);
    GroupMasks(g, card, m, masks_.data());
    const uint32_t* masks = masks_.data();
    fill([&](size_t k) { return uint16_t(g.maskSlots + masks[k]); });
}

// Up to four word sources at a time: a card's row and weight are read once for them all.
template <bool unit, bool clamped, bool gated, size_t count>
void CategoryCounter::AddWords(const WordSource* sources, size_t m) {
    // Each source's table and offset held apart, so that they stay in registers.
    const WordSource a = sources[0];
    const WordSource b = count > 1 ? sources[1] : a;
    const WordSource z = count > 2 ? sources[2] : a;
    const WordSource y = count > 3 ? sources[3] : a;
    const uint16_t* const* card = cards_;
    auto* const* row = Rows<unit>();
    const int64_t* weight = weights_;
    // Gated (all under one gate), the slots kept where the gate is true, else slot 0, which
    // counts nothing.
    const uint64_t* keep = gated ? gateMasks_.data() + (a.gate - 1) * kBatch : nullptr;
    for (size_t k = 0; k < m; ++k) {
        const uint16_t* c = card[k];
        auto* r = row[k];
        const int64_t add = unit ? 1 : weight[k];
        const uint16_t kept = gated ? uint16_t(keep[k]) : 0xFFFF;
        r[WordSlot<clamped>(a, c) & kept] += add;
        if constexpr (count > 1) r[WordSlot<clamped>(b, c) & kept] += add;
        if constexpr (count > 2) r[WordSlot<clamped>(z, c) & kept] += add;
        if constexpr (count > 3) r[WordSlot<clamped>(y, c) & kept] += add;
    }
}

// A source whose slots hold children: a card adds to the twin of its true parents.
template <bool unit>
void CategoryCounter::AddGated(size_t i, size_t m) {
    auto* const* row = Rows<unit>();
    const int64_t* weight = weights_;
    const uint16_t* slots = slots_.data() + i * kBatch;
    const uint64_t* truths = truths_.data();
    if (const uint8_t whole = wholeGate_[i]) {  // slot 0 where the gate is false
        for (size_t k = 0; k < m; ++k)
            row[k][slots[k] & uint16_t(GateMask(whole, truths[k]))] += unit ? 1 : weight[k];
        return;
    }
    for (size_t k = 0; k < m; ++k) {
        const uint16_t slot = slots[k];
        row[k][GatedSlot(slot, truths[k])] += unit ? 1 : weight[k];
    }
}

// Each card's total and the slots found before its row, the first two with the total.
template <bool unit>
void CategoryCounter::AddKnownSlots(size_t m) {
    auto* const* row = Rows<unit>();
    const int64_t* weight = weights_;
    const size_t total = stride_ - 1, known = knownSources_.size();
    const uint16_t* a = known > 0 ? slots_.data() + size_t(knownSources_[0]) * kBatch : nullptr;
    const uint16_t* b = known > 1 ? slots_.data() + size_t(knownSources_[1]) * kBatch : nullptr;
    for (size_t k = 0; k < m; ++k) {
        auto* r = row[k];
        const int64_t add = unit ? 1 : weight[k];
        r[total] += add;
        if (a) r[a[k]] += add;
        if (b) r[b[k]] += add;
    }
    for (size_t j = 2; j < known; ++j) {
        const uint16_t* source = slots_.data() + size_t(knownSources_[j]) * kBatch;
        for (size_t k = 0; k < m; ++k) row[k][source[k]] += unit ? 1 : weight[k];
    }
}

// Gated, the sources are in runs of one gate, taken a run at a time.
template <bool unit, bool clamped, bool gated>
void CategoryCounter::AddLateWords(const std::vector<WordSource>& sources, size_t m) {
    for (const WordSource* source = sources.data(); source != sources.data() + sources.size();) {
        const WordSource* end =
            gated ? std::find_if(source, sources.data() + sources.size(),
                                 [&](const WordSource& w) { return w.gate != source->gate; })
                  : sources.data() + sources.size();
        for (; end - source >= 4; source += 4) AddWords<unit, clamped, gated, 4>(source, m);
        if (end - source == 3) AddWords<unit, clamped, gated, 3>(source, m);
        if (end - source == 2) AddWords<unit, clamped, gated, 2>(source, m);
        if (end - source == 1) AddWords<unit, clamped, gated, 1>(source, m);
        source = end;
    }
}

template <bool unit>
void CategoryCounter::AddLate(size_t m) {
    AddKnownSlots<unit>(m);
    AddLateWords<unit, false, false>(lateWords_, m);
    AddLateWords<unit, true, false>(lateTableWords_, m);
    for (uint32_t i : lateSources_)
        if (i >= words_.size()) SourceSlots<true, unit>(i, m);
    if (gateMasked_.empty()) return;
    AddLateWords<unit, false, true>(lateGatedWords_, m);
    AddLateWords<unit, true, true>(lateGatedTableWords_, m);
    for (uint32_t i : lateGatedSources_) SourceSlots<true, unit, true>(i, m);
}

void CategoryCounter::AddBatch(const uint16_t* const* cards, const int64_t* weights, size_t n) {
    // A card of weight 0 adds nothing anywhere.
    size_t m = n;
    cards_ = cards;
    weights_ = weights;
    // Cards of weight 1 are counted in the narrow rows while they cannot wrap.
    const bool unit =
        narrowCards_ + n <= UINT32_MAX && std::all_of(weights, weights + n, [](int64_t w) { return w == 1; });
    narrowCards_ += unit ? n : 0;
    if (!unit && std::find(weights, weights + n, 0) != weights + n) {
        m = 0;
        for (size_t k = 0; k < n; ++k) {
            kept_[m] = cards[k];
            keptWeights_[m] = weights[k];
            m += weights[k] != 0;
        }
        if (m == 0) return;
        cards_ = kept_.data();
        weights_ = keptWeights_.data();
    }
    const uint16_t* const* card = cards_;
    const int64_t* weight = weights_;

    // The sources that decide a card's row, then its columns: a word's columns as it is read.
    uint32_t* pattern = pattern_.data();
    std::fill_n(pattern, m, 0);
    const uint32_t* columns = slotColumns_.data();
    for (uint32_t i : earlySources_) {
        if (i >= words_.size() || !std::binary_search(columnSources_.begin(), columnSources_.end(), i)) {
            SourceSlots<false>(i, m);
            continue;
        }
        const WordSource w = words_[i];
        uint16_t* source = slots_.data() + size_t(i) * kBatch;
        for (size_t k = 0; k < m; ++k) {
            const uint16_t slot = WordSlot(w, card[k]);
            source[k] = slot;
            pattern[k] |= columns[slot];
        }
    }
    const uint16_t* slots = slots_.data();
    for (uint32_t i : columnSources_) {
        if (i < words_.size()) continue;
        const uint16_t* source = slots + size_t(i) * kBatch;
        for (size_t k = 0; k < m; ++k) pattern[k] |= columns[source[k]];
    }
    uint64_t* classMasks = classMasks_.data();
    for (const GroupSource* g : classGroups_) {
        ClassMasks(*g, m, classMasks);
        if (g->bitColumns)
            for (size_t k = 0; k < m; ++k)
                for (uint64_t bits = classMasks[k]; bits != 0; bits &= bits - 1)
                    pattern[k] |= columns[g->bitSlots + uint32_t(std::countr_zero(bits))];
        classMasks += kBatch;
    }
    // Each card's true gates, when they are not in its pattern, found from its true parents.
    uint64_t* truths = truths_.data();
    if (!gateOf_.empty()) {
        std::fill_n(truths, m, 0);
        for (uint32_t i : parentSources_) {
            const uint16_t* source = slots + size_t(i) * kBatch;
            for (size_t k = 0; k < m; ++k) truths[k] |= slotParents_[source[k]];
        }
        for (size_t j = 0; j < classGroups_.size(); ++j) {
            const GroupSource& g = *classGroups_[j];
            const uint64_t* masks = classMasks_.data() + j * kBatch;
            for (size_t k = 0; g.parentClasses != 0 && k < m; ++k)
                for (uint64_t bits = masks[k] & g.parentClasses; bits != 0; bits &= bits - 1)
                    truths[k] |= slotParents_[g.bitSlots + uint32_t(std::countr_zero(bits))];
        }
        if (!chain_.empty())
            for (size_t k = 0; k < m; ++k) truths[k] = GatesOf(truths[k]);
        for (uint32_t bit : gateMasked_) {
            uint64_t* keep = gateMasks_.data() + size_t(bit) * kBatch;
            for (size_t k = 0; k < m; ++k) keep[k] = 0 - (truths[k] >> bit & 1);
        }
    }
    const bool direct = !directCategory_.empty();
    if (direct) {
        direct_.clear();
        for (size_t k = 0; k < m; ++k) {
            AddDirects(card[k], slots + k, gateOf_.empty() ? ~uint64_t(0) : truths[k], pattern[k]);
            directEnd_[k] = direct_.size();
        }
    }
    // In the pattern, the parents' bits turned into the gates' once every parent is in; a child
    // that is a column is one only where its gate is true.
    if (gateOf_.empty() && !chain_.empty()) {
        constexpr uint32_t columnBits = (1u << kMaxCountedColumns) - 1;
        for (size_t k = 0; k < m; ++k)
            pattern[k] = (pattern[k] & columnBits) | patternGates_[pattern[k] >> kMaxCountedColumns];
    }
    for (const auto& [bit, children] : childColumns_)
        for (size_t k = 0; k < m; ++k)
            pattern[k] &= ((gateOf_.empty() ? pattern[k] : truths[k]) & bit) != 0 ? ~0u : ~children;

    // Each card's row.
    int32_t* rowOf = rowOf_.data();
    bool spare = false;
    unit ? TakeRows(narrow_, narrowRow_.data(), m, spare) : TakeRows(wide_, wideRow_.data(), m, spare);

    unit ? AddLate<true>(m) : AddLate<false>(m);
    for (uint32_t i : gatedSources_) unit ? AddGated<true>(i, m) : AddGated<false>(i, m);
    for (size_t j = 0; j < classGroups_.size(); ++j)
        unit ? AddClassMasks<true>(*classGroups_[j], classMasks_.data() + j * kBatch, m)
             : AddClassMasks<false>(*classGroups_[j], classMasks_.data() + j * kBatch, m);
    if (direct) {
        const size_t slotCount = slotCategories_.size();
        auto addDirects = [&](auto* const* row) {
            for (size_t k = 0, d = 0; k < m; ++k)
                for (; d < directEnd_[k]; ++d) row[k][slotCount + size_t(direct_[d])] += weight[k];
        };
        unit ? addDirects(Rows<true>()) : addDirects(Rows<false>());
    }
    for (size_t k = 0; spare && k < m; ++k)
        if (rowOf[k] < 0) {
            const size_t from = direct && k > 0 ? directEnd_[k - 1] : 0;
            AddToTable(card[k], direct_.data() + from, direct ? directEnd_[k] - from : 0, pattern[k],
                       weight[k]);
        }
}

// The batch's rows of one kind: each card's row number (-1: the spare row, which is the first
// row of either kind and which nobody reads), and the row. `spare` is set when a card takes the
// spare row.
template <typename Cells>
void CategoryCounter::TakeRows(Cells& rows, typename Cells::value_type** row, size_t m, bool& spare) {
    const uint32_t* pattern = pattern_.data();
    int32_t* rowOf = rowOf_.data();
    const ptrdiff_t stride = ptrdiff_t(stride_);
    rows.resize((patterns_.size() + 1) * stride_, 0);
    auto* first = rows.data() + stride;
    for (size_t k = 0; k < m; ++k) {
        int32_t id = patternId_[pattern[k]];
        if (id < 0) {  // a pattern met for the first time
            id = NewRow(pattern[k]);
            spare = spare || id < 0;
            if (id >= 0) {
                rows.resize((patterns_.size() + 1) * stride_, 0);
                if (rows.data() + stride != first) {
                    first = rows.data() + stride;
                    for (size_t j = 0; j < k; ++j) row[j] = first + rowOf[j] * stride;
                }
            }
        }
        rowOf[k] = id;
        row[k] = first + id * stride;
    }
}

// The categories of one card counted one by one (the groups not counted by sets of classes and
// the children under the parent rule), and the columns they make true. Source i's slot of the
// card at slots[i * kBatch]; `gates`, its true gates when twin slots keep them (a gated group's
// classes count only where its gate is true).
void CategoryCounter::AddDirects(const uint16_t* card, const uint16_t* slots, uint64_t gates,
                                 uint32_t& pattern) {
    const size_t first = direct_.size();
    if (parentRule_ && ++generation_ == 0) {
        std::fill(raw_.begin(), raw_.end(), 0);
        generation_ = 1;
    }
    trueChildren_.clear();
    for (const GroupSource& g : groups_) {
        if (g.maskSlots != 0 || g.bitSlots != 0 || GateMask(g.gate, gates) == 0) continue;
        if (g.maskWords == 1) {
            SetGroupTrue(g, OneWordMask(g, card), 0);
            continue;
        }
        uint64_t* mask = groupMask_.data();
        std::fill_n(mask, g.maskWords, 0);
        uint32_t any = 0;
        for (int offset : g.offsets) {
            const int16_t v = WordAt(card, offset);
            any |= uint16_t(v);
            const uint64_t* m = &maskStore_[g.masksAt + size_t(g.map.Find(v)) * g.maskWords];
            for (size_t k = 0; k < g.maskWords; ++k) mask[k] |= m[k];
        }
        if (any == 0) {
            const uint64_t* m = &maskStore_[g.masksAt + g.segmentCount * g.maskWords];
            for (size_t k = 0; k < g.maskWords; ++k) mask[k] |= m[k];
        }
        for (size_t k = 0; k < g.maskWords; ++k) SetGroupTrue(g, mask[k], k);
    }
    if (parentRule_) ApplyParentRule(slots);
    for (size_t k = first; k < direct_.size(); ++k) pattern |= directColumns_[size_t(direct_[k])];
}

void CategoryCounter::SetGroupTrue(const GroupSource& g, uint64_t bits, size_t word) {
    for (; bits != 0; bits &= bits - 1)
        for (int32_t c : g.classes[word * 64 + size_t(std::countr_zero(bits))]) {
            if (involved_[size_t(c)]) RawTrue(c);
            if (!affected_[size_t(c)]) PushDirect(c);
        }
}

// The classifier's parent rule on the raw truths of the categories it touches, swept over the
// card's true children alone.
void CategoryCounter::ApplyParentRule(const uint16_t* slots) {
    for (uint32_t i : involvedSources_)
        for (int32_t c : slotInvolved_[slots[size_t(i) * kBatch]]) RawTrue(c);
    std::sort(trueChildren_.begin(), trueChildren_.end());
    plan_.ApplyParentRule(
        trueChildren_, [this](int32_t c) { return raw_[size_t(c)] == generation_; },
        [this](int32_t c) { raw_[size_t(c)] = 0; });
    for (int32_t c : trueChildren_)
        if (raw_[size_t(c)] == generation_) PushDirect(c);
}

// The row number of a pattern of true columns met for the first time, or -1 (the spare row)
// past the rows' budget.
int32_t CategoryCounter::NewRow(uint32_t pattern) {
    if ((patterns_.size() + 1) * stride_ > kRowBudget) return -1;
    patterns_.push_back(pattern);
    return patternId_[pattern] = int32_t(patterns_.size() - 1);
}

// Past the rows' budget (many patterns of many slots), a card goes straight into the table.
void CategoryCounter::AddToTable(const uint16_t* card, const int32_t* direct, size_t directs,
                                 uint32_t pattern, int64_t weight) {
    if (overflow_.empty()) overflow_.assign(size_t(categoryCount_ + 2) * kCountTableFields, 0);
    int columns[kMaxCountedColumns];
    const int c = ColumnsOf(pattern, columns);
    Spread(&overflow_[0], weight, columns, c);
    auto spreadOne = [&](int32_t r) {  // a child only where its parent is true
        if ((parentOf_[size_t(r)] & ~pattern) == 0)
            Spread(&overflow_[size_t(r) * kCountTableFields], weight, columns, c);
    };
    auto spreadSlot = [&](size_t slot) {
        for (int32_t r : slotCategories_[slot]) spreadOne(r);
    };
    uint64_t truths = 0;  // the card's parents, for the twin slots
    for (uint32_t i : parentSources_) truths |= slotParents_[SlotOf(i, card)];
    for (const GroupSource* g : classGroups_)
        for (uint64_t bits = g->parentClasses != 0 ? OneWordMask(*g, card) & g->parentClasses : 0; bits != 0;
             bits &= bits - 1)
            truths |= slotParents_[g->bitSlots + size_t(std::countr_zero(bits))];
    if (!gateOf_.empty() && !chain_.empty()) truths = GatesOf(truths);
    for (size_t i = 0; i < slotSources_; ++i)
        spreadSlot(wholeGate_[i] == 0 ? GatedSlot(SlotOf(i, card), truths)
                                      : uint16_t(SlotOf(i, card) & GateMask(wholeGate_[i], truths)));
    for (const GroupSource* g : classGroups_)
        for (uint64_t bits = OneWordMask(*g, card) & GateMask(g->gate, truths); bits != 0; bits &= bits - 1)
            spreadSlot(g->bitSlots + size_t(std::countr_zero(bits)));
    for (size_t k = 0; k < directs; ++k) spreadOne(directCategory_[size_t(direct[k])]);
}

std::vector<int64_t> CategoryCounter::Table() const {
    std::vector<int64_t> table = overflow_;
    table.resize(size_t(categoryCount_ + 2) * kCountTableFields);
    // Each entry of the rows (a slot, a direct category, the total) summed by field over every
    // pattern first, then added once to the records it counts for: a run of entries at a time,
    // each row read in order. A child kept by its parent's bit takes the sums of the rows that
    // hold the bit, summed apart.
    constexpr size_t kRun = 128;
    int64_t sums[kCountTableFields][kRun];
    int64_t held[kRun];  // the entry's weights or'ed: 0 when no row holds one
    const size_t slotCount = slotCategories_.size();
    auto add = [&](int32_t r, size_t k) {
        int64_t* record = &table[size_t(r) * kCountTableFields];
        for (int f = 0; f < kCountTableFields; ++f) record[f] += sums[f][k];
    };
    for (size_t first = 0; first < stride_; first += kRun) {
        const size_t n = std::min(kRun, stride_ - first);
        for (int condition = 0; condition <= parentBits_; ++condition) {
            const uint32_t bit = condition == 0 ? 0 : 1u << (kMaxCountedColumns + condition - 1);
            for (auto& sum : sums) std::fill_n(sum, n, 0);
            std::fill_n(held, n, 0);
            // A whole run's loops have a fixed length, and are vectorized.
            auto sumRows = [&](auto n, const auto& rows) {
                for (size_t id = 0; id < patterns_.size() && (id + 2) * stride_ <= rows.size(); ++id) {
                    if ((bit & ~patterns_[id]) != 0) continue;
                    const auto* row = rows.data() + (id + 1) * stride_ + first;
                    for (size_t k = 0; k < n; ++k) {
                        held[k] |= int64_t(row[k]);
                        sums[kCountTableAllCards][k] += int64_t(row[k]);
                    }
                    int columns[kMaxCountedColumns];
                    for (int c = 0, count = ColumnsOf(patterns_[id], columns); c < count; ++c)
                        for (size_t k = 0; k < n; ++k) sums[columns[c]][k] += int64_t(row[k]);
                }
            };
            auto sum = [&](auto n) {
                sumRows(n, narrow_);
                sumRows(n, wide_);
            };
            if (n == kRun)
                sum(std::integral_constant<size_t, kRun>());
            else
                sum(n);
            auto addIf = [&](int32_t r, size_t k) {
                if (parentOf_[size_t(r)] == bit) add(r, k);
            };
            for (size_t k = 0; k < n; ++k) {
                if (held[k] == 0) continue;
                const size_t entry = first + k;
                if (entry == stride_ - 1) {
                    if (condition == 0) add(0, k);
                } else if (entry < slotCount) {
                    for (int32_t r : slotCategories_[entry]) addIf(r, k);
                } else {
                    addIf(directCategory_[entry - slotCount], k);
                }
            }
        }
    }
    return table;
}

}  // namespace qv
