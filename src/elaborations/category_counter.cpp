#include "elaborations/category_counter.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <numeric>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv {

namespace {

constexpr int kRecordColumns = 12;
constexpr int kAllColumn = 11;
constexpr size_t kDenseBudget = size_t(1) << 22;  // direct table entries of all sources
constexpr uint32_t kLinearBounds = 32;            // up to these, bounds are counted, not searched
constexpr size_t kWordTables = 32;                // 16-bit words with a table over every value
constexpr size_t kWholeGroupClasses = 12;         // groups of at most these count sets of classes
constexpr size_t kSmallGroupClasses = 16;         // groups of at most these map a word to its mask
constexpr size_t kMaxSlots = 60000;               // slots are 16-bit
constexpr size_t kRowBudget = size_t(1) << 22;    // entries of all pattern rows

int ColumnsOf(uint32_t pattern, int* columns) {
    int n = 0;
    for (int c = 0; c < CategoryCounter::kMaxColumns; ++c)
        if (pattern & (1u << c)) columns[n++] = c + 1;
    return n;
}

void Spread(int64_t* record, int64_t w, const int* columns, int n) {
    record[kAllColumn] += w;
    for (int k = 0; k < n; ++k) record[columns[k]] += w;
}

}  // namespace

inline uint16_t CategoryCounter::SlotMap::Find(int32_t v) const {
    if (table) return table[std::min(uint32_t(v) - uint32_t(low), size)];
    if (padded <= kLinearBounds) {  // a few bounds: count those above v, with no branch
#if defined(__SSE2__)
        const __m128i value = _mm_set1_epi32(v);
        __m128i above = _mm_setzero_si128();
        for (uint32_t i = 0; i < padded; i += 4) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bounds + i));
            above = _mm_sub_epi32(above, _mm_cmpgt_epi32(b, value));
        }
        above = _mm_add_epi32(above, _mm_shuffle_epi32(above, 0x4E));
        above = _mm_add_epi32(above, _mm_shuffle_epi32(above, 0xB1));
        return segments[count - uint32_t(_mm_cvtsi128_si32(above))];
#else
        uint32_t k = 0;
        for (uint32_t i = 0; i < count; ++i) k += uint32_t(bounds[i] <= v);
        return segments[k];
#endif
    }
    const int32_t* base = bounds;
    uint32_t len = count;
    while (len > 1) {  // without branches: each step's outcome is a coin toss
        const uint32_t half = len / 2;
        base += size_t(base[half - 1] <= v) * half;
        len -= half;
    }
    return segments[size_t(base - bounds) + (len == 1 && *base <= v)];
}

CategoryCounter::CategoryCounter(const CardClassifier& plan, const std::vector<int32_t>& columns)
    : plan_(plan) {
    const CategoryGrid& grid = plan.Grid();
    categoryCount_ = grid.Count;
    parentRule_ = plan.ParentRuleInForce();
    const size_t size = size_t(categoryCount_) + 2;

    affected_.assign(size, 0);
    involved_.assign(size, 0);
    if (parentRule_) {
        for (int32_t c : plan.ChildCategories()) {
            affected_[size_t(c)] = involved_[size_t(c)] = 1;
            const int32_t p = grid.Parent[size_t(c)];
            if (p >= 1 && p <= categoryCount_) involved_[size_t(p)] = 1;
        }
    }
    columnBits_.assign(size, 0);
    for (size_t k = 0; k < columns.size() && k < size_t(kMaxColumns); ++k)
        if (columns[k] >= 1 && columns[k] <= categoryCount_)
            columnBits_[size_t(columns[k])] |= uint16_t(1u << k);
    directIndex_.assign(size, -1);
    if (parentRule_)
        for (int32_t c : plan.ChildCategories()) MakeDirect(c);
    NewSlot({}, {}, 0);

    struct Pending {
        SlotMap map;
        const CardClassifier::Source* source;
        bool columns, involved;
    };
    std::vector<Pending> words, keys;
    u16Store_.reserve(std::min(plan.Sources().size(), kWordTables) * 65536 + 4096);
    for (const CardClassifier::Source& s : plan.Sources()) {
        const std::vector<int64_t>& bounds = s.lookup.Bounds();
        if (s.kind == Kind::Group) {
            GroupSource g;
            g.source = &s;
            g.offsets = s.group;
            for (size_t j = 0; j + 1 < bounds.size(); ++j) {
                auto [b, e] = s.lookup.IntervalCategories(j);
                g.categories.insert(g.categories.end(), b, e);
            }
            g.categories.insert(g.categories.end(), s.allEmpty.begin(), s.allEmpty.end());
            std::sort(g.categories.begin(), g.categories.end());
            g.categories.erase(std::unique(g.categories.begin(), g.categories.end()), g.categories.end());
            if (!g.categories.empty()) groups_.push_back(std::move(g));
            continue;
        }
        if (bounds.empty()) continue;
        // Segment 0 lies below every bound and the last above; segment j + 1 is interval j.
        std::vector<uint16_t> segments(bounds.size() + 1, 0);
        Pending p{{}, &s, false, false};
        for (size_t j = 0; j + 1 < bounds.size(); ++j) {
            auto [b, e] = s.lookup.IntervalCategories(j);
            std::vector<int32_t> counted, involved;
            uint16_t bits = 0;
            for (const int32_t* c = b; c != e; ++c) {
                if (!affected_[size_t(*c)]) {
                    counted.push_back(*c);
                    bits |= columnBits_[size_t(*c)];
                }
                if (involved_[size_t(*c)]) involved.push_back(*c);
            }
            if (counted.empty() && involved.empty()) continue;
            p.columns = p.columns || bits != 0;
            p.involved = p.involved || !involved.empty();
            segments[j + 1] = uint16_t(NewSlot(std::move(counted), std::move(involved), bits));
        }
        if (std::all_of(segments.begin(), segments.end(), [](uint16_t v) { return v == 0; })) continue;
        const bool word16 = s.kind == Kind::Word && s.words.first >= 0;
        if (word16 && words.size() < kWordTables && denseEntries_ + 65536 <= kDenseBudget) {
            if (BuildWordTable(p.map, bounds, segments))
                words.push_back(p);  // else no 16-bit value is in a class
            continue;
        }
        p.map = BuildMap(bounds, segments, word16);
        if (word16 && p.map.tableAt != SIZE_MAX && p.map.size == 0) continue;
        keys.push_back(p);
    }
    size_t maskWords = 1;
    for (GroupSource& g : groups_) {
        BuildGroup(g);
        maskWords = std::max(maskWords, g.maskWords);
    }

    // Keys of one kind together, so that the loop's branch on the kind runs in long series.
    std::stable_sort(keys.begin(), keys.end(),
                     [](const Pending& a, const Pending& b) { return a.source->kind < b.source->kind; });
    for (Pending& p : words) {
        FixPointers(p.map);
        words_.push_back({p.source->words.first, p.map.table});
    }
    for (Pending& p : keys) {
        FixPointers(p.map);
        keys_.push_back({p.source->kind, p.source->words, p.map});
    }
    for (GroupSource& g : groups_) FixPointers(g.map);
    for (size_t i = 0; i < words.size() + keys.size(); ++i) {
        const Pending& p = i < words.size() ? words[i] : keys[i - words.size()];
        if (p.columns) columnSources_.push_back(uint32_t(i));
        if (p.involved) involvedSources_.push_back(uint32_t(i));
    }
    slotSources_ = words_.size() + keys_.size();
    for (const GroupSource& g : groups_) {
        if (g.maskSlots == 0) continue;
        slotGroups_.push_back(&g);
        const auto first = slotColumns_.begin() + ptrdiff_t(g.maskSlots);
        if (std::any_of(first, first + (ptrdiff_t(1) << g.categories.size()),
                        [](uint16_t b) { return b != 0; }))
            columnSources_.push_back(uint32_t(slotSources_));
        ++slotSources_;
    }

    // The sources a card's columns or the parent rule read come first; the others add as they go.
    for (size_t i = 0; i < slotSources_; ++i) {
        const bool early = std::count(columnSources_.begin(), columnSources_.end(), uint32_t(i)) +
                               std::count(involvedSources_.begin(), involvedSources_.end(), uint32_t(i)) >
                           0;
        (early ? earlySources_ : lateSources_).push_back(uint32_t(i));
        if (!early && i < words_.size()) lateWords_.push_back(uint32_t(i));
    }

    stride_ = slotCategories_.size() + directCategory_.size() + 1;
    patternRow_.fill(nullptr);
    kept_.resize(kBatch);
    keptWeights_.resize(kBatch);
    slots_.assign(std::max<size_t>(slotSources_, 1) * kBatch, 0);
    pattern_.resize(kBatch);
    any_.resize(kBatch);
    masks_.resize(kBatch);
    row_.resize(kBatch);
    directEnd_.resize(kBatch);
    groupMask_.assign(maskWords, 0);
    raw_.assign(size, 0);
    spare_.assign(stride_, 0);
}

void CategoryCounter::MakeDirect(int32_t category) {
    if (directIndex_[size_t(category)] >= 0) return;
    directIndex_[size_t(category)] = int32_t(directCategory_.size());
    directCategory_.push_back(category);
    directColumns_.push_back(columnBits_[size_t(category)]);
}

uint32_t CategoryCounter::NewSlot(std::vector<int32_t> counted, std::vector<int32_t> involved,
                                  uint16_t columns) {
    slotCategories_.push_back(std::move(counted));
    slotInvolved_.push_back(std::move(involved));
    slotColumns_.push_back(columns);
    return uint32_t(slotCategories_.size() - 1);
}

// A table of a word's slot by its every value, the word's bits as its index: a lookup is a load.
// Answers whether any value has a slot.
bool CategoryCounter::BuildWordTable(SlotMap& m, const std::vector<int64_t>& bounds,
                                     const std::vector<uint16_t>& segments) {
    m.tableAt = u16Store_.size();
    u16Store_.resize(m.tableAt + 65536, 0);
    denseEntries_ += 65536;
    const auto table = u16Store_.begin() + ptrdiff_t(m.tableAt);
    bool any = false;
    for (size_t j = 0; j + 1 < bounds.size(); ++j) {
        const int64_t from = std::max<int64_t>(bounds[j], INT16_MIN);
        const int64_t to = std::min<int64_t>(bounds[j + 1], int64_t(INT16_MAX) + 1);
        if (from >= to || segments[j + 1] == 0) continue;
        any = true;
        if (from < 0)
            std::fill(table + (from + 65536), table + (std::min<int64_t>(to, 0) + 65536), segments[j + 1]);
        if (to > 0) std::fill(table + std::max<int64_t>(from, 0), table + to, segments[j + 1]);
    }
    if (!any) {
        u16Store_.resize(m.tableAt);
        denseEntries_ -= 65536;
    }
    return any;
}

// A 16-bit word's map is a direct table over the bounds cut to the word's range, while the
// budget lasts; any other map searches.
CategoryCounter::SlotMap CategoryCounter::BuildMap(const std::vector<int64_t>& bounds,
                                                   const std::vector<uint16_t>& segments, bool word16) {
    SlotMap m;
    if (word16 && !bounds.empty()) {
        const int64_t low = std::max<int64_t>(bounds.front(), INT16_MIN);
        const int64_t high = std::min<int64_t>(bounds.back(), int64_t(INT16_MAX) + 1);
        const size_t size = high > low ? size_t(high - low) : 0;
        if (denseEntries_ + size <= kDenseBudget) {
            denseEntries_ += size;
            m.low = int32_t(low);
            m.size = uint32_t(size);
            m.tableAt = u16Store_.size();
            u16Store_.resize(m.tableAt + size + 1, 0);
            for (size_t j = 0; j + 1 < bounds.size(); ++j) {
                const int64_t from = std::max(bounds[j], low), to = std::min(bounds[j + 1], high);
                if (from < to)
                    std::fill(u16Store_.begin() + ptrdiff_t(m.tableAt) + (from - low),
                              u16Store_.begin() + ptrdiff_t(m.tableAt) + (to - low), segments[j + 1]);
            }
            return m;
        }
    }
    m.boundsAt = boundStore_.size();
    for (int64_t b : bounds)
        if (b <= INT32_MAX) boundStore_.push_back(int32_t(b));
    m.count = uint32_t(boundStore_.size() - m.boundsAt);
    m.padded = (m.count + 3) / 4 * 4;
    boundStore_.resize(m.boundsAt + m.padded, INT32_MIN);
    m.segmentsAt = u16Store_.size();
    u16Store_.insert(u16Store_.end(), segments.begin(), segments.end());
    return m;
}

void CategoryCounter::FixPointers(SlotMap& m) const {
    if (m.tableAt != SIZE_MAX) {
        m.table = u16Store_.data() + m.tableAt;
        return;
    }
    m.bounds = boundStore_.data() + m.boundsAt;
    m.segments = u16Store_.data() + m.segmentsAt;
}

// Each word selects the classes it is in; the group's mask is the union, with the all-empty
// classes when every word is 0. A group of a few classes untouched by the parent rule gets a
// slot for every mask; the classes of any other are counted one by one.
void CategoryCounter::BuildGroup(GroupSource& g) {
    const CardClassifier::Source& s = *g.source;
    const std::vector<int64_t>& bounds = s.lookup.Bounds();
    const size_t classes = g.categories.size();
    auto bitOf = [&](int32_t c) {
        return size_t(std::lower_bound(g.categories.begin(), g.categories.end(), c) - g.categories.begin());
    };
    g.small = classes <= kSmallGroupClasses;
    g.maskWords = (classes + 63) / 64;
    if (g.small) {
        std::vector<uint16_t> masks(bounds.size() + 1, 0);
        for (size_t j = 0; j + 1 < bounds.size(); ++j) {
            auto [b, e] = s.lookup.IntervalCategories(j);
            for (const int32_t* c = b; c != e; ++c) masks[j + 1] |= uint16_t(1u << bitOf(*c));
        }
        for (int32_t c : s.allEmpty) g.emptyMask |= uint64_t(1) << bitOf(c);
        g.map = BuildMap(bounds, masks, true);
        PrepareVector(g, bounds, masks);
    } else {
        std::vector<uint16_t> segments(bounds.size() + 1);
        std::iota(segments.begin(), segments.end(), uint16_t(0));
        g.segmentCount = segments.size();
        g.map = BuildMap(bounds, segments, true);
        g.masksAt = maskStore_.size();
        maskStore_.resize(g.masksAt + (g.segmentCount + 1) * g.maskWords, 0);
        auto setBit = [&](size_t mask, int32_t c) {
            const size_t b = bitOf(c);
            maskStore_[g.masksAt + mask * g.maskWords + b / 64] |= uint64_t(1) << (b % 64);
        };
        for (size_t j = 0; j + 1 < bounds.size(); ++j) {
            auto [b, e] = s.lookup.IntervalCategories(j);
            for (const int32_t* c = b; c != e; ++c) setBit(j + 1, *c);
        }
        for (int32_t c : s.allEmpty) setBit(g.segmentCount, c);
    }

    const bool ruled = std::any_of(g.categories.begin(), g.categories.end(),
                                   [&](int32_t c) { return involved_[size_t(c)] != 0; });
    if (classes <= kWholeGroupClasses && !ruled &&
        slotCategories_.size() + (size_t(1) << classes) <= kMaxSlots) {
        g.maskSlots = uint32_t(slotCategories_.size());
        for (uint64_t mask = 0; mask < (uint64_t(1) << classes); ++mask) {
            std::vector<int32_t> counted;
            uint16_t bits = 0;
            for (size_t b = 0; b < classes; ++b)
                if (mask & (uint64_t(1) << b)) {
                    counted.push_back(g.categories[b]);
                    bits |= columnBits_[size_t(g.categories[b])];
                }
            NewSlot(std::move(counted), {}, bits);
        }
        return;
    }
    for (int32_t c : g.categories)
        if (!affected_[size_t(c)]) MakeDirect(c);
}

void CategoryCounter::Add(const uint16_t* const* cards, const int64_t* weights, size_t n) {
    for (size_t at = 0; at < n; at += kBatch) AddBatch(cards + at, weights + at, std::min(kBatch, n - at));
}

inline uint16_t CategoryCounter::WordSlot(const WordSource& w, const uint16_t* card) {
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
// once in each card's row.
template <bool add>
void CategoryCounter::SourceSlots(size_t i, size_t m) {
    const uint16_t* const* card = cards_;
    uint16_t* slots = slots_.data() + i * kBatch;
    auto fill = [&](auto&& slotOf) {
        for (size_t k = 0; k < m; ++k) {
            const uint16_t slot = slotOf(k);
            if constexpr (add)
                row_[k][slot] += weights_[k];
            else
                slots[k] = slot;
        }
    };
    if (i < words_.size()) {
        const WordSource w = words_[i];
        fill([&](size_t k) { return WordSlot(w, card[k]); });
        return;
    }
    if (i < words_.size() + keys_.size()) {
        const KeySource& s = keys_[i - words_.size()];
        switch (s.kind) {
            case Kind::Date:
                fill([&](size_t k) { return s.map.Find(DateKeyAt(card[k], s.words)); });
                break;
            case Kind::Number:
                fill([&](size_t k) { return s.map.Find(NumberAt(card[k], s.words)); });
                break;
            default:
                fill([&](size_t k) { return s.map.Find(WordAt(card[k], s.words.first)); });
                break;
        }
        return;
    }
    const GroupSource& g = *slotGroups_[i - words_.size() - keys_.size()];
    GroupMasks(g, card, m, masks_.data());
    const uint32_t* masks = masks_.data();
    fill([&](size_t k) { return uint16_t(g.maskSlots + masks[k]); });
}

// Up to three word sources at a time: a card's row and weight are read once for them all.
template <bool unit, size_t count>
void CategoryCounter::AddWords(const uint32_t* sources, size_t m) {
    // Each source's table and offset held apart, so that they stay in registers.
    const WordSource a = words_[sources[0]];
    const WordSource b = count > 1 ? words_[sources[1]] : a;
    const WordSource z = count > 2 ? words_[sources[2]] : a;
    const uint16_t* const* card = cards_;
    int64_t* const* row = row_.data();
    const int64_t* weight = weights_;
    for (size_t k = 0; k < m; ++k) {
        const uint16_t* c = card[k];
        int64_t* r = row[k];
        const int64_t add = unit ? 1 : weight[k];
        r[WordSlot(a, c)] += add;
        if constexpr (count > 1) r[WordSlot(b, c)] += add;
        if constexpr (count > 2) r[WordSlot(z, c)] += add;
    }
}

// Each card's total and the slots found before its row, the first two with the total.
template <bool unit>
void CategoryCounter::AddKnownSlots(size_t m) {
    int64_t* const* row = row_.data();
    const int64_t* weight = weights_;
    const size_t total = stride_ - 1, known = earlySources_.size();
    const uint16_t* a = known > 0 ? slots_.data() + size_t(earlySources_[0]) * kBatch : nullptr;
    const uint16_t* b = known > 1 ? slots_.data() + size_t(earlySources_[1]) * kBatch : nullptr;
    for (size_t k = 0; k < m; ++k) {
        int64_t* r = row[k];
        const int64_t add = unit ? 1 : weight[k];
        r[total] += add;
        if (a) r[a[k]] += add;
        if (b) r[b[k]] += add;
    }
    for (size_t j = 2; j < known; ++j) {
        const uint16_t* source = slots_.data() + size_t(earlySources_[j]) * kBatch;
        for (size_t k = 0; k < m; ++k) row[k][source[k]] += unit ? 1 : weight[k];
    }
}

template <bool unit>
void CategoryCounter::AddLateWords(size_t m) {
    const uint32_t* source = lateWords_.data();
    size_t left = lateWords_.size();
    for (; left >= 3; left -= 3, source += 3) AddWords<unit, 3>(source, m);
    if (left == 2) AddWords<unit, 2>(source, m);
    if (left == 1) AddWords<unit, 1>(source, m);
}

void CategoryCounter::AddBatch(const uint16_t* const* cards, const int64_t* weights, size_t n) {
    // A card of weight 0 adds nothing anywhere.
    size_t m = n;
    cards_ = cards;
    weights_ = weights;
    if (std::find(weights, weights + n, 0) != weights + n) {
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
    const uint16_t* columns = slotColumns_.data();
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
    const bool direct = !directCategory_.empty();
    if (direct) {
        direct_.clear();
        for (size_t k = 0; k < m; ++k) {
            AddDirects(card[k], slots + k, pattern[k]);
            directEnd_[k] = direct_.size();
        }
    }

    // Each card's row. A new pattern may move the rows: then the batch's rows are taken again.
    int64_t** row = row_.data();
    bool moved = false;
    for (size_t k = 0; k < m; ++k) {
        int64_t* r = patternRow_[pattern[k]];
        row[k] = r ? r : NewRow(pattern[k], moved);
    }
    if (moved)
        for (size_t k = 0; k < m; ++k)
            row[k] = patternRow_[pattern[k]] ? patternRow_[pattern[k]] : spare_.data();

    if (std::all_of(weight, weight + m, [](int64_t w) { return w == 1; })) {
        AddKnownSlots<true>(m);
        AddLateWords<true>(m);
    } else {
        AddKnownSlots<false>(m);
        AddLateWords<false>(m);
    }
    for (uint32_t i : lateSources_)
        if (i >= words_.size()) SourceSlots<true>(i, m);
    if (direct) {
        const size_t slotCount = slotCategories_.size();
        for (size_t k = 0, d = 0; k < m; ++k)
            for (; d < directEnd_[k]; ++d) row[k][slotCount + size_t(direct_[d])] += weight[k];
    }
    for (size_t k = 0; k < m; ++k)
        if (row[k] == spare_.data()) {
            const size_t from = direct && k > 0 ? directEnd_[k - 1] : 0;
            AddToTable(card[k], direct_.data() + from, direct ? directEnd_[k] - from : 0, pattern[k],
                       weight[k]);
        }
}

// A class is a range of values, so a small group's class is among a card's when any of the
// group's words lies in that range. Where the words lie side by side and the classes are fewer
// than half the words, one compare of all the words a class beats looking every word up.
void CategoryCounter::PrepareVector(GroupSource& g, const std::vector<int64_t>& bounds,
                                    const std::vector<uint16_t>& masks) {
#if defined(__SSE2__)
    const int n = int(g.offsets.size());
    if (n < 1 || n > 16 || g.offsets[0] < 0 || (n < 8 && g.offsets[0] + n < 8)) return;
    for (int j = 1; j < n; ++j)
        if (g.offsets[size_t(j)] != g.offsets[0] + j) return;
    // Class b's range: from the first interval holding it to the end of the last, within the
    // 16-bit values.
    std::vector<int64_t> low(g.categories.size(), INT64_MAX), high(g.categories.size(), INT64_MIN);
    for (size_t j = 0; j + 1 < bounds.size(); ++j)
        for (size_t b = 0; b < g.categories.size(); ++b)
            if (masks[j + 1] & (1u << b)) {
                low[b] = std::min(low[b], std::max<int64_t>(bounds[j], INT16_MIN));
                high[b] = std::max(high[b], std::min<int64_t>(bounds[j + 1], int64_t(INT16_MAX) + 1));
            }
    auto lanes = [](int64_t v) {
        GroupSource::Lanes l;
        l.v.fill(uint16_t(v));
        return l;
    };
    auto range = [&](int64_t from, int64_t to, size_t b) {
        // v - from taken as unsigned is below to - from; both shifted by 2^15 to compare signed.
        g.rangeBias.push_back(lanes(from - 0x8000));
        g.rangeLimit.push_back(lanes(to - from - 0x8000));
        g.rangeBit.push_back(lanes(1 << b));
    };
    size_t tests = 0;
    for (size_t b = 0; b < g.categories.size(); ++b) {
        if (low[b] >= high[b]) continue;  // no 16-bit value
        ++tests;
        if (high[b] - low[b] == 1) {
            g.valueOf.push_back(lanes(low[b]));
            g.valueBit.push_back(lanes(1 << b));
        } else if (high[b] - low[b] > 0xFFFF) {  // every 16-bit value: more than one compare takes
            range(low[b], low[b] + 0x8000, b);
            range(low[b] + 0x8000, high[b], b);
        } else {
            range(low[b], high[b], b);
        }
    }
    if (tests * 2 > size_t(n)) {
        g.valueOf.clear(), g.valueBit.clear(), g.rangeBias.clear(), g.rangeLimit.clear(), g.rangeBit.clear();
        return;
    }
    // With fewer than 8 words the register holds the 8 words that end with the group's.
    for (int lane = 0; lane < 8; ++lane) g.valid.v[size_t(lane)] = n >= 8 || lane >= 8 - n ? 0xFFFF : 0;
    g.validBits = n >= 8 ? 0xFFFF : 0xFFFF & (0xFFFF << (2 * (8 - n)));
    g.vectorFirst = g.offsets[0];
    g.vectorWords = n;
#else
    (void)g, (void)bounds, (void)masks;
#endif
}

// The mask of a small group of side-by-side words on one card: the words in two registers
// (overlapping when fewer than 16; with fewer than 8, the lanes before them left out).
// Inlined into the loops over a batch, whose every card it serves.
[[gnu::always_inline]] inline uint32_t CategoryCounter::VectorMask(const GroupSource& g,
                                                                   const uint16_t* card) {
#if defined(__SSE2__)
    auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
    const int n = g.vectorWords;
    const uint16_t* first = card + g.vectorFirst;
    const __m128i a = load(n >= 8 ? first : first + n - 8);
    const __m128i b = load(first + n - 8);
    // Each class found puts its bit in the lanes of the words it holds; the lanes are or-ed at
    // the end, so that nothing branches on what a card holds.
    __m128i found = _mm_setzero_si128();
    for (size_t r = 0; r < g.valueOf.size(); ++r) {
        const __m128i v = load(g.valueOf[r].v.data());
        const __m128i in = _mm_or_si128(_mm_cmpeq_epi16(a, v), _mm_cmpeq_epi16(b, v));
        found = _mm_or_si128(found, _mm_and_si128(in, load(g.valueBit[r].v.data())));
    }
    for (size_t r = 0; r < g.rangeBias.size(); ++r) {
        const __m128i bias = load(g.rangeBias[r].v.data());
        const __m128i limit = load(g.rangeLimit[r].v.data());
        const __m128i in = _mm_or_si128(_mm_cmplt_epi16(_mm_sub_epi16(a, bias), limit),
                                        _mm_cmplt_epi16(_mm_sub_epi16(b, bias), limit));
        found = _mm_or_si128(found, _mm_and_si128(in, load(g.rangeBit[r].v.data())));
    }
    if (n < 8) found = _mm_and_si128(found, load(g.valid.v.data()));
    found = _mm_or_si128(found, _mm_shuffle_epi32(found, 0x4E));
    found = _mm_or_si128(found, _mm_shuffle_epi32(found, 0xB1));
    const uint32_t both = uint32_t(_mm_cvtsi128_si32(found));
    const uint32_t mask = (both | both >> 16) & 0xFFFF;
    if (g.emptyMask == 0) return mask;
    const __m128i zero = _mm_setzero_si128();
    const int empty =
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero))) & g.validBits;
    // (0 - x) >> 31 is 1 for any x from 1 to 2^31: 1 when some word is not 0.
    const uint32_t none = 1u - ((0u - uint32_t(empty ^ g.validBits)) >> 31);
    return mask | (uint32_t(g.emptyMask) & (0u - none));
#else
    (void)g, (void)card;
    return 0;
#endif
}

template <size_t values>
void CategoryCounter::ValueMasks(const GroupSource& g, const uint16_t* const* cards, size_t n,
                                 uint32_t* masks) {
#if defined(__SSE2__)
    auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
    __m128i value[values], bit[values];
    for (size_t r = 0; r < values; ++r)
        value[r] = load(g.valueOf[r].v.data()), bit[r] = load(g.valueBit[r].v.data());
    const ptrdiff_t first = g.vectorFirst, second = g.vectorFirst + g.vectorWords - 8;
    for (size_t k = 0; k < n; ++k) {
        const __m128i a = load(cards[k] + first), b = load(cards[k] + second);
        __m128i found = _mm_setzero_si128();
        for (size_t r = 0; r < values; ++r)
            found = _mm_or_si128(
                found, _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi16(a, value[r]), _mm_cmpeq_epi16(b, value[r])),
                                     bit[r]));
        found = _mm_or_si128(found, _mm_shuffle_epi32(found, 0x4E));
        found = _mm_or_si128(found, _mm_shuffle_epi32(found, 0xB1));
        const uint32_t both = uint32_t(_mm_cvtsi128_si32(found));
        masks[k] = (both | both >> 16) & 0xFFFF;
    }
#else
    (void)g, (void)cards, (void)n, (void)masks;
#endif
}

// The masks of a small group on n cards.
void CategoryCounter::GroupMasks(const GroupSource& g, const uint16_t* const* cards, size_t n,
                                 uint32_t* masks) {
    if (g.vectorFirst >= 0) {
        // A few single values and no range, with no all-empty class: the values held in
        // registers across the batch.
        if (g.rangeBias.empty() && g.emptyMask == 0 && g.vectorWords >= 8) {
            switch (g.valueOf.size()) {
                case 1:
                    return ValueMasks<1>(g, cards, n, masks);
                case 2:
                    return ValueMasks<2>(g, cards, n, masks);
                case 3:
                    return ValueMasks<3>(g, cards, n, masks);
                case 4:
                    return ValueMasks<4>(g, cards, n, masks);
                default:
                    break;
            }
        }
        for (size_t k = 0; k < n; ++k) masks[k] = VectorMask(g, cards[k]);
        return;
    }
    uint32_t* any = any_.data();
    std::fill_n(masks, n, 0);
    std::fill_n(any, n, 0);
    for (int offset : g.offsets) {
        if (offset < 0) {  // a word past the card reads 0
            const uint32_t mask = g.map.Find(0);
            for (size_t k = 0; k < n; ++k) masks[k] |= mask;
        } else if (const uint16_t* table = g.map.table) {
            const uint32_t low = uint32_t(g.map.low), size = g.map.size;
            for (size_t k = 0; k < n; ++k) {
                const uint16_t v = cards[k][offset];
                any[k] |= v;
                masks[k] |= table[std::min(uint32_t(int32_t(int16_t(v))) - low, size)];
            }
        } else {
            for (size_t k = 0; k < n; ++k) {
                const uint16_t v = cards[k][offset];
                any[k] |= v;
                masks[k] |= g.map.Find(int16_t(v));
            }
        }
    }
    const uint32_t empty = uint32_t(g.emptyMask);
    for (size_t k = 0; k < n; ++k) masks[k] |= any[k] == 0 ? empty : 0;
}

uint64_t CategoryCounter::OneWordMask(const GroupSource& g, const uint16_t* card) const {
    if (g.vectorFirst >= 0) return VectorMask(g, card);
    uint64_t mask = 0;
    uint32_t any = 0;
    for (int offset : g.offsets) {
        const int16_t v = WordAt(card, offset);
        any |= uint16_t(v);
        const uint16_t found = g.map.Find(v);
        mask |= g.small ? found : maskStore_[g.masksAt + found];
    }
    if (any == 0) mask |= g.small ? g.emptyMask : maskStore_[g.masksAt + g.segmentCount];
    return mask;
}

// The categories of one card counted one by one (the groups not counted by sets of classes and
// the children under the parent rule), and the columns they make true. Source i's slot of the
// card at slots[i * kBatch].
void CategoryCounter::AddDirects(const uint16_t* card, const uint16_t* slots, uint32_t& pattern) {
    const size_t first = direct_.size();
    if (parentRule_ && ++generation_ == 0) {
        std::fill(raw_.begin(), raw_.end(), 0);
        generation_ = 1;
    }
    for (const GroupSource& g : groups_) {
        if (g.maskSlots != 0) continue;
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
    for (; bits != 0; bits &= bits - 1) {
        const int32_t c = g.categories[word * 64 + size_t(std::countr_zero(bits))];
        if (involved_[size_t(c)]) raw_[size_t(c)] = generation_;
        if (!affected_[size_t(c)]) PushDirect(c);
    }
}

// The classifier's parent rule on the raw truths of the categories it touches.
void CategoryCounter::ApplyParentRule(const uint16_t* slots) {
    for (uint32_t i : involvedSources_)
        for (int32_t c : slotInvolved_[slots[size_t(i) * kBatch]]) raw_[size_t(c)] = generation_;
    plan_.ApplyParentRule([this](int32_t c) { return raw_[size_t(c)] == generation_; },
                          [this](int32_t c) { raw_[size_t(c)] = 0; });
    for (int32_t c : plan_.ChildCategories())
        if (raw_[size_t(c)] == generation_) PushDirect(c);
}

// A row for a pattern of true columns met for the first time, or the spare row past the rows'
// budget. `moved` is set when the rows moved.
int64_t* CategoryCounter::NewRow(uint32_t pattern, bool& moved) {
    if ((patterns_.size() + 1) * stride_ > kRowBudget) return spare_.data();
    patterns_.push_back(uint16_t(pattern));
    const int64_t* before = rows_.data();
    rows_.resize(rows_.size() + stride_, 0);
    if (rows_.data() != before) {
        moved = true;
        for (size_t id = 0; id + 1 < patterns_.size(); ++id)
            patternRow_[patterns_[id]] = rows_.data() + id * stride_;
    }
    return patternRow_[pattern] = rows_.data() + (patterns_.size() - 1) * stride_;
}

// Past the rows' budget (many patterns of many slots), a card goes straight into the table.
void CategoryCounter::AddToTable(const uint16_t* card, const int32_t* direct, size_t directs,
                                 uint32_t pattern, int64_t weight) {
    if (overflow_.empty()) overflow_.assign(size_t(categoryCount_ + 2) * kRecordColumns, 0);
    int columns[kMaxColumns];
    const int c = ColumnsOf(pattern, columns);
    Spread(&overflow_[0], weight, columns, c);
    for (size_t i = 0; i < slotSources_; ++i)
        for (int32_t r : slotCategories_[SlotOf(i, card)])
            Spread(&overflow_[size_t(r) * kRecordColumns], weight, columns, c);
    for (size_t k = 0; k < directs; ++k)
        Spread(&overflow_[size_t(directCategory_[size_t(direct[k])]) * kRecordColumns], weight, columns, c);
}

std::vector<int64_t> CategoryCounter::Table() const {
    std::vector<int64_t> table = overflow_;
    table.resize(size_t(categoryCount_ + 2) * kRecordColumns, 0);
    const size_t slotCount = slotCategories_.size();
    for (size_t id = 0; id < patterns_.size(); ++id) {
        const int64_t* row = rows_.data() + id * stride_;
        int columns[kMaxColumns];
        const int n = ColumnsOf(patterns_[id], columns);
        Spread(&table[0], row[stride_ - 1], columns, n);
        for (size_t slot = 1; slot < slotCount; ++slot)
            if (row[slot] != 0)
                for (int32_t r : slotCategories_[slot])
                    Spread(&table[size_t(r) * kRecordColumns], row[slot], columns, n);
        for (size_t d = 0; d < directCategory_.size(); ++d)
            if (row[slotCount + d] != 0)
                Spread(&table[size_t(directCategory_[d]) * kRecordColumns], row[slotCount + d], columns, n);
    }
    return table;
}

}  // namespace qv
