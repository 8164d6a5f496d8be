#include "elaborations/category_counter.h"

#include <algorithm>
#include <bit>

namespace qv {

namespace {

constexpr int kRecordColumns = 12;
constexpr int kAllColumn = 11;
// Direct tables of 16-bit fields, all sources together (2 bytes an entry); past it, searches.
constexpr size_t kDenseBudget = size_t(1) << 22;

}  // namespace

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
    std::vector<uint16_t> columnBits(size, 0);
    for (size_t k = 0; k < columns.size() && k < size_t(kMaxColumns); ++k)
        if (columns[k] >= 1 && columns[k] <= categoryCount_)
            columnBits[size_t(columns[k])] |= uint16_t(1u << k);

    directIndex_.assign(size, -1);
    auto makeDirect = [&](int32_t c) {
        if (directIndex_[size_t(c)] >= 0) return;
        directIndex_[size_t(c)] = int32_t(directCategory_.size());
        directCategory_.push_back(c);
        directColumns_.push_back(columnBits[size_t(c)]);
    };
    if (parentRule_)
        for (int32_t c : plan.ChildCategories()) makeDirect(c);

    slotCategories_.emplace_back();
    slotInvolved_.emplace_back();
    slotColumns_.push_back(0);

    struct Pending {
        SlotMap map;
        bool columns = false, involved = false;
    };
    std::vector<Pending> pendingWords, pendingKeys;
    std::vector<int> wordOffsets;
    std::vector<std::pair<Kind, FieldWords>> keyFields;

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
            if (g.categories.empty()) continue;
            for (int32_t c : g.categories)
                if (!affected_[size_t(c)]) makeDirect(c);
            maskWords_ = std::max(maskWords_, (g.categories.size() + 63) / 64);
            groups_.push_back(std::move(g));
            continue;
        }
        if (bounds.empty()) continue;
        // Segment 0 lies below every bound and the last above; segment j + 1 is interval j.
        std::vector<uint16_t> segments(bounds.size() + 1, 0);
        Pending p;
        for (size_t j = 0; j + 1 < bounds.size(); ++j) {
            auto [b, e] = s.lookup.IntervalCategories(j);
            std::vector<int32_t> counted, involved;
            uint16_t bits = 0;
            for (const int32_t* c = b; c != e; ++c) {
                if (!affected_[size_t(*c)]) {
                    counted.push_back(*c);
                    bits |= columnBits[size_t(*c)];
                }
                if (involved_[size_t(*c)]) involved.push_back(*c);
            }
            if (counted.empty() && involved.empty()) continue;
            segments[j + 1] = uint16_t(slotCount_++);
            p.columns = p.columns || bits != 0;
            p.involved = p.involved || !involved.empty();
            slotCategories_.push_back(std::move(counted));
            slotInvolved_.push_back(std::move(involved));
            slotColumns_.push_back(bits);
        }
        if (std::all_of(segments.begin(), segments.end(), [](uint16_t v) { return v == 0; })) continue;
        const bool word16 = s.kind == Kind::Word && s.words.first >= 0;
        p.map = BuildMap(bounds, segments, word16);
        if (word16 && p.map.tableAt != SIZE_MAX) {
            if (p.map.size == 0) continue;  // no 16-bit value falls in a class
            wordOffsets.push_back(s.words.first);
            pendingWords.push_back(p);
        } else {
            keyFields.emplace_back(s.kind, s.words);
            pendingKeys.push_back(p);
        }
    }
    // Group masks: one per segment of the group's map, then the all-empty mask.
    for (GroupSource& g : groups_) {
        const CardClassifier::Source& s = *g.source;
        const std::vector<int64_t>& bounds = s.lookup.Bounds();
        std::vector<uint16_t> segments(bounds.size() + 1);
        for (size_t k = 0; k < segments.size(); ++k) segments[k] = uint16_t(k);
        g.segmentCount = segments.size();
        g.map = BuildMap(bounds, segments, true);
        g.masksAt = maskStore_.size();
        maskStore_.resize(maskStore_.size() + (g.segmentCount + 1) * maskWords_, 0);
        auto setBit = [&](size_t mask, int32_t c) {
            const size_t b =
                size_t(std::lower_bound(g.categories.begin(), g.categories.end(), c) - g.categories.begin());
            maskStore_[g.masksAt + mask * maskWords_ + b / 64] |= uint64_t(1) << (b % 64);
        };
        for (size_t j = 0; j + 1 < bounds.size(); ++j) {
            auto [b, e] = s.lookup.IntervalCategories(j);
            for (const int32_t* c = b; c != e; ++c) setBit(j + 1, *c);
        }
        for (int32_t c : s.allEmpty) setBit(g.segmentCount, c);
    }

    for (size_t i = 0; i < pendingWords.size(); ++i) {
        SlotMap& m = pendingWords[i].map;
        FixPointers(m);
        words_.push_back({wordOffsets[i], int32_t(m.low), m.size, m.table});
    }
    for (size_t i = 0; i < pendingKeys.size(); ++i) {
        FixPointers(pendingKeys[i].map);
        keys_.push_back({keyFields[i].first, keyFields[i].second, pendingKeys[i].map});
    }
    for (GroupSource& g : groups_) FixPointers(g.map);
    for (size_t i = 0; i < pendingWords.size() + pendingKeys.size(); ++i) {
        const Pending& p = i < pendingWords.size() ? pendingWords[i] : pendingKeys[i - pendingWords.size()];
        if (p.columns) columnSources_.push_back(uint32_t(i));
        if (p.involved) involvedSources_.push_back(uint32_t(i));
    }

    stride_ = slotCount_ + directCategory_.size() + 1;
    patternIndex_.fill(-1);
    slots_.assign(words_.size() + keys_.size(), 0);
    direct_.assign(directCategory_.size(), 0);
    groupMask_.assign(maskWords_, 0);
    raw_.assign(size, 0);
}

// A 16-bit word's map is a direct table over the bounds cut to the word's range, while the
// budget lasts; any other map searches. tableAt is SIZE_MAX for a searching map.
CategoryCounter::SlotMap CategoryCounter::BuildMap(const std::vector<int64_t>& bounds,
                                                   const std::vector<uint16_t>& segments, bool word16) {
    SlotMap m;
    m.tableAt = SIZE_MAX;
    if (word16 && !bounds.empty()) {
        const int64_t low = std::max<int64_t>(bounds.front(), INT16_MIN);
        const int64_t high = std::min<int64_t>(bounds.back(), int64_t(INT16_MAX) + 1);
        const size_t size = high > low ? size_t(high - low) : 0;
        if (denseEntries_ + size <= kDenseBudget) {
            denseEntries_ += size;
            m.low = low;
            m.size = uint32_t(size);
            m.tableAt = u16Store_.size();
            u16Store_.resize(m.tableAt + size, 0);
            for (size_t j = 0; j + 1 < bounds.size(); ++j) {
                const int64_t from = std::max(bounds[j], low), to = std::min(bounds[j + 1], high);
                if (from < to)
                    std::fill(u16Store_.begin() + ptrdiff_t(m.tableAt) + (from - low),
                              u16Store_.begin() + ptrdiff_t(m.tableAt) + (to - low), segments[j + 1]);
            }
            return m;
        }
    }
    m.count = uint32_t(bounds.size());
    m.boundsAt = boundStore_.size();
    boundStore_.insert(boundStore_.end(), bounds.begin(), bounds.end());
    m.segmentsAt = u16Store_.size();
    u16Store_.insert(u16Store_.end(), segments.begin(), segments.end());
    return m;
}

void CategoryCounter::FixPointers(SlotMap& m) {
    static const uint16_t kNoSlot = 0;
    if (m.tableAt != SIZE_MAX) {
        m.table = m.size > 0 ? u16Store_.data() + m.tableAt : &kNoSlot;
        return;
    }
    m.bounds = boundStore_.data() + m.boundsAt;
    m.segments = u16Store_.data() + m.segmentsAt;
}

void CategoryCounter::Add(const uint16_t* card, int64_t weight) {
    uint16_t* slots = slots_.data();
    size_t n = 0;
    for (const WordSource& w : words_) {
        const uint32_t u = uint32_t(int32_t(int16_t(card[w.offset])) - w.low);
        slots[n++] = u < w.size ? w.table[u] : 0;
    }
    for (const KeySource& k : keys_) {
        int64_t v;
        switch (k.kind) {
            case Kind::Date:
                v = plan_.DateRule() == DateKeyRule::TwoDigitYear ? TwoDigitDateKeyAt(card, k.words)
                                                                  : DateKeyAt(card, k.words);
                break;
            case Kind::Number:
                v = NumberAt(card, k.words);
                break;
            default:
                v = WordAt(card, k.words.first);
                break;
        }
        slots[n++] = k.map.Find(v);
    }
    directCount_ = 0;
    if (parentRule_ && ++generation_ == 0) {
        std::fill(raw_.begin(), raw_.end(), 0);
        generation_ = 1;
    }
    if (!groups_.empty()) ClassifyGroups(card);
    if (parentRule_) ApplyParentRule(slots);

    uint32_t pattern = 0;
    for (uint32_t i : columnSources_) pattern |= slotColumns_[slots[i]];
    for (size_t k = 0; k < directCount_; ++k) pattern |= directColumns_[size_t(direct_[k])];
    if (weight == 0) return;

    int64_t* row = PatternRow(pattern);
    row[stride_ - 1] += weight;
    for (size_t i = 0; i < n; ++i) row[slots[i]] += weight;
    int64_t* directRow = row + slotCount_;
    for (size_t k = 0; k < directCount_; ++k) directRow[direct_[k]] += weight;
}

void CategoryCounter::ClassifyGroups(const uint16_t* card) {
    uint64_t* mask = groupMask_.data();
    for (const GroupSource& g : groups_) {
        std::fill_n(mask, maskWords_, 0);
        bool allEmpty = true;
        for (int offset : g.offsets) {
            const int16_t v = WordAt(card, offset);
            allEmpty = allEmpty && v == 0;
            const uint64_t* m = &maskStore_[g.masksAt + size_t(g.map.Find(v)) * maskWords_];
            for (size_t k = 0; k < maskWords_; ++k) mask[k] |= m[k];
        }
        if (allEmpty) {
            const uint64_t* m = &maskStore_[g.masksAt + g.segmentCount * maskWords_];
            for (size_t k = 0; k < maskWords_; ++k) mask[k] |= m[k];
        }
        for (size_t k = 0; k < maskWords_; ++k) {
            for (uint64_t bits = mask[k]; bits != 0; bits &= bits - 1) {
                const int32_t c = g.categories[k * 64 + size_t(std::countr_zero(bits))];
                if (involved_[size_t(c)]) raw_[size_t(c)] = generation_;
                if (!affected_[size_t(c)]) PushDirect(c);
            }
        }
    }
}

// The classifier's rule on the categories it touches: twice over, in increasing order, a true
// child whose parent is false (or outside the grid) becomes false.
void CategoryCounter::ApplyParentRule(const uint16_t* slots) {
    for (uint32_t i : involvedSources_)
        for (int32_t c : slotInvolved_[slots[i]]) raw_[size_t(c)] = generation_;
    const std::vector<int32_t>& children = plan_.ChildCategories();
    const std::vector<int32_t>& parent = plan_.Grid().Parent;
    for (int sweep = 0; sweep < 2; ++sweep) {
        for (int32_t c : children) {
            if (raw_[size_t(c)] != generation_) continue;
            const int32_t p = parent[size_t(c)];
            if (p > categoryCount_ || raw_[size_t(p)] != generation_) raw_[size_t(c)] = 0;
        }
    }
    for (int32_t c : children)
        if (raw_[size_t(c)] == generation_) PushDirect(c);
}

int64_t* CategoryCounter::PatternRow(uint32_t pattern) {
    int32_t& index = patternIndex_[pattern];
    if (index < 0) {
        index = int32_t(patterns_.size());
        patterns_.push_back(uint16_t(pattern));
        rows_.resize(rows_.size() + stride_, 0);
    }
    return rows_.data() + size_t(index) * stride_;
}

std::vector<int64_t> CategoryCounter::Table() const {
    std::vector<int64_t> table(size_t(categoryCount_ + 2) * kRecordColumns, 0);
    for (size_t id = 0; id < patterns_.size(); ++id) {
        const int64_t* row = rows_.data() + id * stride_;
        int columns[kMaxColumns], n = 0;
        for (int c = 0; c < kMaxColumns; ++c)
            if (patterns_[id] & (1u << c)) columns[n++] = c + 1;
        auto spread = [&](size_t record, int64_t w) {
            int64_t* r = &table[record * kRecordColumns];
            r[kAllColumn] += w;
            for (int k = 0; k < n; ++k) r[columns[k]] += w;
        };
        spread(0, row[stride_ - 1]);
        for (size_t slot = 1; slot < slotCount_; ++slot)
            if (row[slot] != 0)
                for (int32_t c : slotCategories_[slot]) spread(size_t(c), row[slot]);
        for (size_t d = 0; d < directCategory_.size(); ++d)
            if (row[slotCount_ + d] != 0) spread(size_t(directCategory_[d]), row[slotCount_ + d]);
    }
    return table;
}

}  // namespace qv
