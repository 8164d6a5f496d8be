#include <algorithm>
#include <bit>
#include <climits>
#include <numeric>

#include "elaborations/category_counter.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

// The counter's multi-answer groups: which classes a card's words hold together.

namespace qv {

// Each word selects the classes it is in; the group's mask is the union, with the all-empty
// classes when every word is 0. A group untouched by the parent rule gets a slot for every mask
// when its classes are few, else a slot for every class while they fit one mask word; the
// classes of any other are counted one by one.
void CategoryCounter::BuildGroup(GroupSource& g) {
    const CardClassifier::Source& s = *g.source;
    const std::vector<int64_t>& bounds = s.lookup.Bounds();
    const size_t classes = g.classes.size();
    std::vector<size_t> classOf(size_t(categoryCount_) + 2, 0);
    for (size_t b = 0; b < classes; ++b)
        for (int32_t c : g.classes[b]) classOf[size_t(c)] = b;
    auto bitOf = [&](int32_t c) { return classOf[size_t(c)]; };
    auto columnsOf = [&](size_t b) {
        uint32_t bits = 0;
        for (int32_t c : g.classes[b]) bits |= patternBits_[size_t(c)];
        return bits;
    };
    auto parentsOf = [&](size_t b) {  // under twin slots, the parents class b makes true
        uint64_t bits = 0;
        for (int32_t c : g.classes[b]) bits |= parentBit_.empty() ? 0 : parentBit_[size_t(c)];
        return bits;
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
        g.map = store_.BuildMap(bounds, masks, true, kDenseBudget);
        PrepareVector(g, bounds, masks);
    } else {
        std::vector<uint16_t> segments(bounds.size() + 1);
        std::iota(segments.begin(), segments.end(), uint16_t(0));
        g.segmentCount = segments.size();
        g.map = store_.BuildMap(bounds, segments, true, kDenseBudget);
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

    const bool ruled = std::any_of(g.classes.begin(), g.classes.end(), [&](const std::vector<int32_t>& in) {
        return std::any_of(in.begin(), in.end(), [&](int32_t c) { return involved_[size_t(c)] != 0; });
    });
    if (classes <= kWholeGroupClasses && !ruled &&
        slotCategories_.size() + (size_t(1) << classes) <= kMaxSlots) {
        g.maskSlots = uint32_t(slotCategories_.size());
        std::vector<int32_t> counted;
        for (uint64_t mask = 0; mask < (uint64_t(1) << classes); ++mask) {
            counted.clear();
            uint32_t bits = 0;
            uint64_t parents = 0;
            for (size_t b = 0; b < classes; ++b)
                if (mask & (uint64_t(1) << b)) {
                    counted.insert(counted.end(), g.classes[b].begin(), g.classes[b].end());
                    bits |= columnsOf(b);
                    parents |= parentsOf(b);
                }
            NewSlot(counted, {}, bits);
            slotParents_.back() = parents;
        }
        return;
    }
    // A group holding parents (at most 64 categories, see ParentsGated) takes this road past the
    // slots' budget too: the cards' parents are read from its classes.
    if (g.maskWords == 1 && !ruled &&
        slotCategories_.size() + classes <= (g.parents ? size_t(UINT16_MAX) : kMaxSlots)) {
        g.bitSlots = uint32_t(slotCategories_.size());
        for (size_t b = 0; b < classes; ++b) {
            NewSlot(g.classes[b], {}, columnsOf(b));
            slotParents_.back() = parentsOf(b);
            g.bitColumns = g.bitColumns || columnsOf(b) != 0;
            if (parentsOf(b) != 0) g.parentClasses |= uint64_t(1) << b;
        }
        return;
    }
    for (const std::vector<int32_t>& in : g.classes)
        for (int32_t c : in)
            if (!affected_[size_t(c)]) MakeDirect(c);
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
    std::vector<int64_t> low(g.classes.size(), INT64_MAX), high(g.classes.size(), INT64_MIN);
    for (size_t j = 0; j + 1 < bounds.size(); ++j)
        for (size_t b = 0; b < g.classes.size(); ++b)
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
    for (size_t b = 0; b < g.classes.size(); ++b) {
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
    g.SetValidLanes(n);
    if (tests * 2 > size_t(n)) {
        g.valueOf.clear(), g.valueBit.clear(), g.rangeBias.clear(), g.rangeLimit.clear(), g.rangeBit.clear();
#if defined(__SSE4_1__)
        // The values that hold a class, within 15 of one another: a table of bytes.
        const auto first = std::find_if(masks.begin(), masks.end(), [](uint16_t m) { return m != 0; });
        const auto last = std::find_if(masks.rbegin(), masks.rend(), [](uint16_t m) { return m != 0; });
        if (first == masks.end() ||
            std::any_of(masks.begin(), masks.end(), [](uint16_t m) { return m > 0xFF; }))
            return;
        // Segment j + 1 is [bounds[j], bounds[j + 1]).
        const int64_t low = bounds[size_t(first - masks.begin()) - 1];
        const int64_t high = bounds[size_t(masks.rend() - last) - 1];
        if (low < INT16_MIN || high > int64_t(INT16_MAX) + 1 || high - low > 15) return;
        g.byteLow = uint16_t(low);
        g.byteSize = uint16_t(high - low);
        for (int64_t v = low; v < high; ++v)
            g.byteTable[size_t(v - low)] =
                uint8_t(masks[size_t(std::upper_bound(bounds.begin(), bounds.end(), v) - bounds.begin())]);
        g.byteFirst = g.offsets[0];
        g.byteWords = n;
#endif
        return;
    }
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

// The masks of a small group through its table of bytes, a card's words all at once: each word's
// table entry, or-ed over the words, and the all-empty classes where every word is 0. out(k, card
// k's mask).
template <typename Out>
void CategoryCounter::EachByteMask(const GroupSource& g, const uint16_t* const* cards, size_t n, Out&& out) {
#if defined(__SSE4_1__)
    auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
    const int words = g.byteWords;
    const ptrdiff_t a0 = words >= 8 ? g.byteFirst : g.byteFirst + words - 8, b0 = g.byteFirst + words - 8;
    const __m128i low = _mm_set1_epi16(int16_t(g.byteLow)), size = _mm_set1_epi16(int16_t(g.byteSize));
    const __m128i table = load(g.byteTable.data()), zero = _mm_setzero_si128();
    // Lanes before the group's words read entry `byteSize`, which holds no class.
    const __m128i outside = _mm_andnot_si128(load(g.valid.v.data()), size);
    const uint32_t empty = uint32_t(g.emptyMask);
    const int validBits = g.validBits;  // in a register: the adds of `out` could change an int
    for (size_t k = 0; k < n; ++k) {
        const __m128i a = load(cards[k] + a0), b = load(cards[k] + b0);
        __m128i found = SmallTableBytes(a, b, low, size, outside, table);
        found = _mm_or_si128(found, _mm_srli_si128(found, 8));
        found = _mm_or_si128(found, _mm_srli_si128(found, 4));
        found = _mm_or_si128(found, _mm_srli_si128(found, 2));
        found = _mm_or_si128(found, _mm_srli_si128(found, 1));
        const int none =
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero))) & validBits;
        out(k, (uint32_t(_mm_cvtsi128_si32(found)) & 0xFF) | (none == validBits ? empty : 0));
    }
#else
    (void)g, (void)cards, (void)n, (void)out;
#endif
}

void CategoryCounter::ByteMasks(const GroupSource& g, const uint16_t* const* cards, size_t n,
                                uint32_t* masks) {
    EachByteMask(g, cards, n, [masks](size_t k, uint32_t mask) { masks[k] = mask; });
}

// The same added at once in each card's row, for the group counted by sets of classes.
template <bool unit>
void CategoryCounter::AddByteMasks(const GroupSource& g, size_t m) {
    auto* const* row = Rows<unit>();
    const int64_t* weight = weights_;
    const uint32_t slots = g.maskSlots;
    EachByteMask(g, cards_, m,
                 [&](size_t k, uint32_t mask) { row[k][uint16_t(slots + mask)] += unit ? 1 : weight[k]; });
}
template void CategoryCounter::AddByteMasks<true>(const GroupSource& g, size_t m);
template void CategoryCounter::AddByteMasks<false>(const GroupSource& g, size_t m);

// The masks of a small group on n cards.
void CategoryCounter::GroupMasks(const GroupSource& g, const uint16_t* const* cards, size_t n,
                                 uint32_t* masks) {
    if (g.byteFirst >= 0) return ByteMasks(g, cards, n, masks);
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

// The masks of a group with a slot for each class, on the batch's first m cards.
void CategoryCounter::ClassMasks(const GroupSource& g, size_t m, uint64_t* masks) {
    const uint16_t* const* cards = cards_;
    if (g.wordMasks.empty()) {
        for (size_t k = 0; k < m; ++k) masks[k] = OneWordMask(g, cards[k]);
        return;
    }
    const uint64_t* table = g.wordMasks.data();
    const uint32_t low = uint32_t(g.map.low), size = g.map.size;
    const uint64_t empty = g.small ? g.emptyMask : maskStore_[g.masksAt + g.segmentCount];
#if defined(__SSE4_1__)
    if (g.classFirst >= 0) {
        // The card's 8 words that end with the group's, their entries found at once (those before
        // the group's words read entry `size`, which holds no class), then looked up one by one.
        auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
        const __m128i lowLanes = _mm_set1_epi16(int16_t(low)), sizeLanes = _mm_set1_epi16(int16_t(size));
        const __m128i outside = _mm_andnot_si128(load(g.valid.v.data()), sizeLanes);
        const __m128i zero = _mm_setzero_si128();
        const int valid = g.validBits;
        for (size_t k = 0; k < m; ++k) {
            const __m128i words = load(cards[k] + g.classFirst);
            const __m128i entry =
                _mm_max_epu16(_mm_min_epu16(_mm_sub_epi16(words, lowLanes), sizeLanes), outside);
            uint64_t mask = table[_mm_extract_epi16(entry, 0)] | table[_mm_extract_epi16(entry, 1)] |
                            table[_mm_extract_epi16(entry, 2)] | table[_mm_extract_epi16(entry, 3)] |
                            table[_mm_extract_epi16(entry, 4)] | table[_mm_extract_epi16(entry, 5)] |
                            table[_mm_extract_epi16(entry, 6)] | table[_mm_extract_epi16(entry, 7)];
            const bool none = (_mm_movemask_epi8(_mm_cmpeq_epi16(words, zero)) & valid) == valid;
            masks[k] = mask | (none ? empty : 0);
        }
        return;
    }
#endif
    uint32_t* any = any_.data();
    std::fill_n(masks, m, 0);
    std::fill_n(any, m, 0);
    for (int offset : g.offsets) {
        if (offset < 0) {  // a word past the card reads 0
            const uint64_t mask = table[std::min(0u - low, size)];
            for (size_t k = 0; k < m; ++k) masks[k] |= mask;
            continue;
        }
        for (size_t k = 0; k < m; ++k) {
            const uint16_t v = cards[k][offset];
            any[k] |= v;
            masks[k] |= table[std::min(uint32_t(int32_t(int16_t(v))) - low, size)];
        }
    }
    for (size_t k = 0; k < m; ++k) masks[k] |= any[k] == 0 ? empty : 0;
}

// Each class of a card's mask adds its weight in the card's row.
template <bool unit>
void CategoryCounter::AddClassMasks(const GroupSource& g, const uint64_t* masks, size_t m) {
    auto* const* row = Rows<unit>();
    const int64_t* weight = weights_;
    const uint64_t* truths = truths_.data();
    for (size_t k = 0; k < m; ++k) {
        auto* r = row[k] + g.bitSlots;
        const int64_t add = unit ? 1 : weight[k];
        // A gated group's classes only where its gate is true.
        const uint64_t kept = GateMask(g.gate, truths[k]);
        for (uint64_t bits = masks[k] & kept; bits != 0; bits &= bits - 1) r[std::countr_zero(bits)] += add;
    }
}
template void CategoryCounter::AddClassMasks<true>(const GroupSource& g, const uint64_t* masks, size_t m);
template void CategoryCounter::AddClassMasks<false>(const GroupSource& g, const uint64_t* masks, size_t m);

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

}  // namespace qv
