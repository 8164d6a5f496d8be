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
constexpr size_t kWholeGroupClasses = 12;         // groups of at most these count sets of classes
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
        p.map = BuildMap(bounds, segments, word16);
        if (word16 && p.map.tableAt != SIZE_MAX) {
            if (p.map.size > 0) words.push_back(p);  // else no 16-bit value is in a class
        } else {
            keys.push_back(p);
        }
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
        words_.push_back({p.source->words.first, p.map.low, p.map.size, p.map.table});
    }
    for (Pending& p : keys) {
        FixPointers(p.map);
        keys_.push_back({p.source->kind, p.source->words, p.map});
    }
    for (GroupSource& g : groups_) {
        FixPointers(g.map);
        g.inCard = std::all_of(g.offsets.begin(), g.offsets.end(), [](int o) { return o >= 0; });
    }
    for (size_t i = 0; i < words.size() + keys.size(); ++i) {
        const Pending& p = i < words.size() ? words[i] : keys[i - words.size()];
        if (p.columns) columnSources_.push_back(uint32_t(i));
        if (p.involved) involvedSources_.push_back(uint32_t(i));
    }

    stride_ = slotCategories_.size() + directCategory_.size() + 1;
    patternIndex_.fill(-1);
    slots_.assign(words_.size() + keys_.size() + groups_.size(), 0);
    direct_.assign(directCategory_.size(), 0);
    groupMask_.assign(maskWords, 0);
    raw_.assign(size, 0);
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

// Each word's segment selects a mask of the classes it is in; the group's mask is the union,
// with the all-empty classes when every word is 0. A group of a few classes untouched by the
// parent rule gets a slot for every mask; the classes of any other are counted one by one.
void CategoryCounter::BuildGroup(GroupSource& g) {
    const CardClassifier::Source& s = *g.source;
    const std::vector<int64_t>& bounds = s.lookup.Bounds();
    std::vector<uint16_t> segments(bounds.size() + 1);
    std::iota(segments.begin(), segments.end(), uint16_t(0));
    g.segmentCount = segments.size();
    g.map = BuildMap(bounds, segments, true);
    const size_t classes = g.categories.size();
    g.maskWords = (classes + 63) / 64;
    g.masksAt = maskStore_.size();
    maskStore_.resize(g.masksAt + (g.segmentCount + 1) * g.maskWords, 0);
    auto setBit = [&](size_t mask, int32_t c) {
        const size_t b =
            size_t(std::lower_bound(g.categories.begin(), g.categories.end(), c) - g.categories.begin());
        maskStore_[g.masksAt + mask * g.maskWords + b / 64] |= uint64_t(1) << (b % 64);
    };
    for (size_t j = 0; j + 1 < bounds.size(); ++j) {
        auto [b, e] = s.lookup.IntervalCategories(j);
        for (const int32_t* c = b; c != e; ++c) setBit(j + 1, *c);
    }
    for (int32_t c : s.allEmpty) setBit(g.segmentCount, c);

    const bool ruled = std::any_of(g.categories.begin(), g.categories.end(),
                                   [&](int32_t c) { return involved_[size_t(c)] != 0; });
    if (classes <= kWholeGroupClasses && !ruled &&
        slotCategories_.size() + (size_t(1) << classes) <= kMaxSlots) {
        g.maskSlots = uint32_t(slotCategories_.size());
        g.maskColumns.assign(size_t(1) << classes, 0);
        for (uint64_t mask = 0; mask < (uint64_t(1) << classes); ++mask) {
            std::vector<int32_t> counted;
            uint16_t bits = 0;
            for (size_t b = 0; b < classes; ++b)
                if (mask & (uint64_t(1) << b)) {
                    counted.push_back(g.categories[b]);
                    bits |= columnBits_[size_t(g.categories[b])];
                }
            g.maskColumns[mask] = bits;
            NewSlot(std::move(counted), {}, bits);
        }
        return;
    }
    for (int32_t c : g.categories)
        if (!affected_[size_t(c)]) MakeDirect(c);
}

void CategoryCounter::Add(const uint16_t* card, int64_t weight) {
    if (weight == 0) return;  // adds nothing anywhere
    uint16_t* slots = slots_.data();
    size_t n = 0;
    for (const WordSource& w : words_)
        slots[n++] = w.table[std::min(uint32_t(int32_t(int16_t(card[w.offset])) - w.low), w.size)];
    for (const KeySource& k : keys_) {
        slots[n++] = k.map.Find(CardClassifier::ValueOf(k.kind, card, k.words));
    }

    uint32_t pattern = 0;
    directCount_ = 0;
    if (parentRule_ && ++generation_ == 0) {
        std::fill(raw_.begin(), raw_.end(), 0);
        generation_ = 1;
    }
    for (const GroupSource& g : groups_) {
        if (g.maskWords == 1) {
            const uint64_t mask = OneWordMask(g, card);
            if (g.maskSlots != 0) {
                slots[n++] = uint16_t(g.maskSlots + mask);
                pattern |= g.maskColumns[mask];
            } else {
                SetGroupTrue(g, mask, 0);
            }
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

    for (uint32_t i : columnSources_) pattern |= slotColumns_[slots[i]];
    for (size_t k = 0; k < directCount_; ++k) pattern |= directColumns_[size_t(direct_[k])];

    int32_t& index = patternIndex_[pattern];
    if (index < 0) {
        if ((patterns_.size() + 1) * stride_ > kRowBudget) {
            AddToTable(slots, n, pattern, weight);
            return;
        }
        index = int32_t(patterns_.size());
        patterns_.push_back(uint16_t(pattern));
        rows_.resize(rows_.size() + stride_, 0);
    }
    int64_t* row = rows_.data() + size_t(index) * stride_;
    row[stride_ - 1] += weight;
    for (size_t i = 0; i < n; ++i) row[slots[i]] += weight;
    int64_t* directRow = row + slotCategories_.size();
    for (size_t k = 0; k < directCount_; ++k) directRow[direct_[k]] += weight;
}

uint64_t CategoryCounter::OneWordMask(const GroupSource& g, const uint16_t* card) const {
    const uint64_t* masks = &maskStore_[g.masksAt];
    uint64_t mask = 0;
    uint32_t any = 0;
    if (g.inCard && g.map.table) {
        const uint16_t* table = g.map.table;
        const uint32_t low = uint32_t(g.map.low), size = g.map.size;
        for (int offset : g.offsets) {
            const uint16_t v = card[offset];
            any |= v;
            mask |= masks[table[std::min(uint32_t(int32_t(int16_t(v))) - low, size)]];
        }
    } else {
        for (int offset : g.offsets) {
            const int16_t v = WordAt(card, offset);
            any |= uint16_t(v);
            mask |= masks[g.map.Find(v)];
        }
    }
    if (any == 0) mask |= masks[g.segmentCount];
    return mask;
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
        for (int32_t c : slotInvolved_[slots[i]]) raw_[size_t(c)] = generation_;
    plan_.ApplyParentRule([this](int32_t c) { return raw_[size_t(c)] == generation_; },
                          [this](int32_t c) { raw_[size_t(c)] = 0; });
    for (int32_t c : plan_.ChildCategories())
        if (raw_[size_t(c)] == generation_) PushDirect(c);
}

// Past the rows' budget (many patterns of many slots), a card goes straight into the table.
void CategoryCounter::AddToTable(const uint16_t* slots, size_t n, uint32_t pattern, int64_t weight) {
    if (overflow_.empty()) overflow_.assign(size_t(categoryCount_ + 2) * kRecordColumns, 0);
    int columns[kMaxColumns];
    const int c = ColumnsOf(pattern, columns);
    Spread(&overflow_[0], weight, columns, c);
    for (size_t i = 0; i < n; ++i)
        for (int32_t r : slotCategories_[slots[i]])
            Spread(&overflow_[size_t(r) * kRecordColumns], weight, columns, c);
    for (size_t k = 0; k < directCount_; ++k)
        Spread(&overflow_[size_t(directCategory_[size_t(direct_[k])]) * kRecordColumns], weight, columns, c);
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
