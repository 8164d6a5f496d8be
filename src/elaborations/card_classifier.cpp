#include "elaborations/card_classifier.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <tuple>
#if defined(__SSE4_1__)
#include <smmintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv {

namespace {

// A 16-bit value finds its class through a direct table over the bounds (within 16 bits): a load
// in place of a count or a search, for at most 128 kB a field.
constexpr size_t kDirectEntries = 65536;

// Up to these segments a field's bits are set by comparing a byte per card with each segment,
// sixteen cards at a time; past them, card by card.
constexpr uint32_t kFewSegments = 24;

#if defined(__SSE4_1__)
// Sixteen slots of bits 16i..16i + 15, those that are no card's cleared, stored bit b's at b ^ 7.
inline void StoreSlots(uint8_t* to, __m128i slots, const uint8_t* inBatch) {
    const __m128i reverse = _mm_set_epi8(8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7);
    slots = _mm_and_si128(slots, _mm_loadu_si128(reinterpret_cast<const __m128i*>(inBatch)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_shuffle_epi8(slots, reverse));
}
#endif

// 0-based offset of card word `position` (1-based), or -1 when the card has no such word.
int WordOffset(int position, int wordCount) {
    return position >= 1 && position <= wordCount ? position - 1 : -1;
}

}  // namespace

FieldWords LocateField(int field, int wordCount) {
    FieldWords w;
    if (field < 1 || field > kMaxFields) return w;
    int p = FieldPositions[field];
    w.first = WordOffset(p, wordCount);
    if (w.first < 0) return w;
    w.second = WordOffset(p + 1, wordCount);
    w.third = WordOffset(p + 2, wordCount);
    w.hasNumber = w.second >= 0;
    return w;
}

void ClassLookup::Build(bool word16) {
    for (const Class& c : classes_) {
        bounds_.push_back(c.low);
        bounds_.push_back(int64_t(c.high) + 1);
    }
    std::sort(bounds_.begin(), bounds_.end());
    bounds_.erase(std::unique(bounds_.begin(), bounds_.end()), bounds_.end());
    const size_t intervals = bounds_.empty() ? 0 : bounds_.size() - 1;
    // A class holds the intervals from its low bound to its high one: the lists' lengths
    // counted, then the lists filled from their ends by the classes in decreasing category.
    auto index = [this](int64_t bound) {
        return uint32_t(std::lower_bound(bounds_.begin(), bounds_.end(), bound) - bounds_.begin());
    };
    std::sort(classes_.begin(), classes_.end(),
              [](const Class& a, const Class& b) { return a.category < b.category; });
    std::vector<std::pair<uint32_t, uint32_t>> held(classes_.size());
    starts_.assign(intervals + 2, 0);
    for (size_t k = 0; k < classes_.size(); ++k) {
        held[k] = {index(classes_[k].low), index(int64_t(classes_[k].high) + 1)};
        ++starts_[held[k].first + 1];  // the classes that open and close at each bound
        --starts_[held[k].second + 1];
    }
    uint32_t open = 0, end = 0;
    for (size_t j = 0; j < intervals; ++j) {
        open += starts_[j + 1];
        end += open;
        starts_[j + 1] = end;  // until the lists are filled, the end of interval j's
    }
    starts_[intervals + 1] = end;
    categories_.resize(end);
    for (size_t k = classes_.size(); k-- > 0;)
        for (uint32_t j = held[k].first; j < held[k].second; ++j)
            categories_[--starts_[j + 1]] = classes_[k].category;
    bool single = true;
    for (size_t j = 0; j < intervals; ++j) single = single && starts_[j + 2] - starts_[j + 1] <= 1;
    if (single && intervals > 0) {
        only_.assign(intervals + 1, 0);
        for (size_t j = 0; j < intervals; ++j)
            if (starts_[j + 2] > starts_[j + 1]) only_[j + 1] = categories_[starts_[j + 1]];
    }
    word16_ = word16;
}

void ClassLookup::BuildMaps() {
    if (mapsBuilt_) return;
    mapsBuilt_ = true;
    const size_t intervals = bounds_.empty() ? 0 : bounds_.size() - 1;
    const bool word16 = word16_;
    // The slot of a value is its segment; values below and above every bound hold nothing.
    std::vector<uint16_t> segments(bounds_.size() + 1, 0);
    for (size_t j = 0; j < intervals; ++j) segments[j + 1] = uint16_t(j + 1);
    map_ = store_.BuildMap(bounds_, segments, word16, kDirectEntries);
    if (!only_.empty()) {  // the same bounds, each interval giving its category
        for (size_t j = 0; j < intervals; ++j) segments[j + 1] = uint16_t(only_[j + 1]);
        categoryMap_ = store_.BuildMap(bounds_, segments, word16, kDirectEntries);
        store_.FixPointers(categoryMap_);
    }
    store_.FixPointers(map_);
}

CardClassifier::CardClassifier(const CategoryGrid& grid, const std::vector<uint8_t>& active, int wordCount)
    : grid_(grid), wordCount_(std::max(wordCount, 0)) {
    truth_.assign(size_t(grid.Count) + 2, 0);
    std::map<std::tuple<int, int, int>, size_t> index;  // (kind, field, n) -> source
    for (int i = 1; i <= grid.Count; ++i) {
        if (!active[size_t(i)]) continue;
        if (grid.Parent[size_t(i)] > 0) childCategories_.push_back(i);
        if (!grid.HasStar[size_t(i)]) continue;  // never true
        const int f = grid.Field[size_t(i)], n = grid.FieldCount[size_t(i)];
        if (f < 1 || f > kMaxFields) continue;
        Kind kind;
        if (n > 0) {
            if (int64_t(f) + n - 1 > kMaxFields) continue;
            kind = Kind::Group;
        } else {
            // A field is read by the words its type takes: a word, a date or a 32-bit number.
            switch (FieldWordCount(FieldTypes[f])) {
                case 1:
                    kind = Kind::Word;
                    break;
                case 3:
                    kind = Kind::Date;
                    break;
                case 2:
                    kind = Kind::Number;
                    break;
                default:
                    continue;  // text fields are never true
            }
        }
        auto key = std::make_tuple(int(kind), f, kind == Kind::Group ? n : 0);
        auto it = index.find(key);
        if (it == index.end()) {
            Source s;
            s.kind = kind;
            s.words = LocateField(f, wordCount);
            if (kind == Kind::Group)
                for (int g = f; g < f + n; ++g) s.group.push_back(LocateField(g, wordCount).first);
            it = index.emplace(key, sources_.size()).first;
            sources_.push_back(std::move(s));
        }
        Source& s = sources_[it->second];
        if (kind == Kind::Group && (grid.Low[size_t(i)] == 0 || grid.High[size_t(i)] == 0))
            s.allEmpty.push_back(i);
        else
            s.lookup.Add(i, grid.Low[size_t(i)], grid.High[size_t(i)]);
    }
    std::vector<uint8_t> read((size_t(wordCount_) + 7) / 8, 0);  // by block of eight words
    auto reads = [&read](int offset) {
        if (offset >= 0) read[size_t(offset) / 8] = 1;
    };
    for (Source& s : sources_) {
        s.lookup.Build(s.kind == Kind::Word || s.kind == Kind::Group);
        reads(s.words.first);
        if (s.kind == Kind::Date || s.kind == Kind::Number) reads(s.words.second);
        if (s.kind == Kind::Date) reads(s.words.third);
        for (int offset : s.group) reads(offset);
    }
    columnOf_.assign(size_t(wordCount_), -1);
    for (size_t b = 0; b < read.size(); ++b) {
        if (!read[b]) continue;
        for (size_t j = 0; j < 8 && 8 * b + j < size_t(wordCount_); ++j)
            columnOf_[8 * b + j] = int32_t(8 * blocks_.size() + j);
        if (8 * b + 8 <= size_t(wordCount_)) ++wholeBlocks_;
        blocks_.push_back(int32_t(8 * b));
    }
    parentRule_ = grid.ParentRepetitions == 2 && !childCategories_.empty();
    isChild_.assign(size_t(grid.Count) + 2, 0);
    for (int32_t c : childCategories_) isChild_[size_t(c)] = 1;
    trueList_.reserve(size_t(grid.Count) + 1);
}

void CardClassifier::BuildLookups() {
    for (Source& s : sources_) {
        s.lookup.BuildMaps();
        fewSlots_.push_back(FewSlotsOf(s.lookup));
    }
    lookupsBuilt_ = true;
}

void CardClassifier::Classify(const uint16_t* card) {
    if (!lookupsBuilt_) BuildLookups();
    ForEachRawTrue(card, 0, 1, [this](size_t, int32_t c) {
        if (c) MarkOne(c);
    });
    if (!parentRule_) return;
    // The rule sweeps the card's true children alone: the others are false and stay so.
    trueChildren_.clear();
    for (int32_t c : trueList_)
        if (isChild_[size_t(c)]) trueChildren_.push_back(c);
    std::sort(trueChildren_.begin(), trueChildren_.end());
    if (ApplyParentRule(
            trueChildren_, [this](int32_t c) { return truth_[size_t(c)] != 0; },
            [this](int32_t c) { truth_[size_t(c)] = 0; }))
        std::erase_if(trueList_, [this](int32_t c) { return truth_[size_t(c)] == 0; });
}

// The parent rule on the bits of cards skip..skip + n - 1, each card's as Classify applies it:
// a child's row taken with its parent's, step by step in the rule's order; other cards' bits in
// the same bytes are kept.
void CardClassifier::ApplyParentRuleToBits(size_t skip, size_t n, uint8_t* rows, size_t span) const {
    const size_t first = skip / 8, last = (skip + n - 1) / 8;
    const uint8_t before = uint8_t(~(0xFF >> (skip % 8))), after = uint8_t(0xFF >> ((skip + n - 1) % 8 + 1));
    ParentRuleSteps(childCategories_, [&](int32_t c, int32_t p) {
        uint8_t* child = rows + size_t(c) * span;
        const uint8_t* parent = p == 0 ? nullptr : rows + size_t(p) * span;
        for (size_t b = first; b <= last; ++b) {
            const uint8_t keep = uint8_t((b == first ? before : 0) | (b == last ? after : 0));
            child[b] &= uint8_t((parent ? parent[b] : 0) | keep);
        }
    });
}

void CardClassifier::SetTrueBits(const uint16_t* cards, size_t stride, size_t n, size_t skip, uint8_t* rows,
                                 size_t span) {
    if (!lookupsBuilt_) BuildLookups();
    const size_t bytes = (skip + n + 7) / 8, units = (skip + n + 15) / 16, bits = units * 16;
    // Bits outside skip..skip + n - 1 stay in segment 0, which holds no category.
    segments_.assign(bits, 0);
    uint16_t* const segment = segments_.data() + skip;
    values_.resize(bits);
    slots_.resize(bits);
    inBatch_.assign(bits, 0);
    std::fill_n(inBatch_.begin() + ptrdiff_t(skip), n, 0xFF);
    int32_t* const value = values_.data() + skip;
    ToColumns(cards, stride, n, skip, bits);
    // A word's column, bit b's at b; a word not in the card reads 0.
    auto column = [&](int offset) -> const uint16_t* {
        return columns_.data() + (offset < 0 ? blocks_.size() * 8 : size_t(columnOf_[size_t(offset)])) * bits;
    };
    for (size_t i = 0; i < sources_.size(); ++i) {
        const Source& s = sources_[i];
        const FewSlots& few = fewSlots_[i];
        const ClassLookup::Tables lookup = s.lookup.Held();
        const uint32_t count = uint32_t(s.lookup.SegmentCount());
        const FieldWords w = s.words;
        // The cards' categories from the source's slots, sixteen cards at a time.
        auto add = [&] {
            AddSlotBits(slots_.data(), units, lookup.starts, lookup.categories, count, rows, span);
        };
        auto over = [&](auto&& valueOf) {  // a loop for each kind of value
            if (few.way == FewSlots::Way::Bounds) {
                for (size_t k = 0; k < n; ++k) value[k] = valueOf(k);
                SlotsByBounds(values_.data(), units, few, inBatch_.data(), slots_.data());
                add();
                return;
            }
            if (count <= kFewSegments) {
                lookup.map.FindEach(n, valueOf, [segment](size_t k, uint16_t v) { segment[k] = v; });
                ToSlots(segments_.data(), units, inBatch_.data(), slots_.data());
                add();
                return;
            }
            if (lookup.only) {
                lookup.category.FindEach(n, valueOf, [segment](size_t k, uint16_t c) { segment[k] = c; });
                SetBitsByCategory(segments_.data(), bytes, rows, span);
                return;
            }
            lookup.map.FindEach(n, valueOf, [segment](size_t k, uint16_t v) { segment[k] = v; });
            SetBitsBySegment(lookup, segments_.data(), bytes, rows, span);
        };
        // A word's slots: through the source's small table when it has one.
        auto overWord = [&](int offset) {
            const uint16_t* const words = column(offset);
            if (few.way == FewSlots::Way::Table) {
                SlotsByTable(words, units, few, inBatch_.data(), slots_.data());
                add();
                return;
            }
            over([word = words + skip](size_t k) { return int32_t(int16_t(word[k])); });
        };
        switch (s.kind) {
            case Kind::Word:
                overWord(w.first);
                break;
            case Kind::Date:
                over([d = column(w.first) + skip, m = column(w.second) + skip, y = column(w.third) + skip](
                         size_t k) { return DateKey(int16_t(d[k]), int16_t(m[k]), int16_t(y[k])); });
                break;
            case Kind::Number:
                if (!w.hasNumber) {
                    over([](size_t) { return kEmptyNumber; });
                    break;
                }
                over([high = column(w.first) + skip, low = column(w.second) + skip](size_t k) {
                    return DecodeCardNumber(high[k], low[k]);
                });
                break;
            case Kind::Group: {
                // Every word's classes; then the all-empty classes where no word holds a value
                // (slot 1 of a lookup of its own: 1 for the cards with none).
                if (!s.lookup.Empty())
                    for (int offset : s.group) overWord(offset);
                if (s.allEmpty.empty()) break;
                empty_.assign(bits, 0);  // first any word's bits, then whether none is set
                for (int offset : s.group) AddWords(column(offset), units, empty_.data());
                for (uint16_t& e : empty_) e = uint16_t(e == 0);
                const uint32_t starts[] = {0, 0, uint32_t(s.allEmpty.size())};
                ToSlots(empty_.data(), units, inBatch_.data(), slots_.data());
                AddSlotBits(slots_.data(), units, starts, s.allEmpty.data(), 2, rows, span);
                break;
            }
        }
    }
    if (parentRule_ && n > 0) ApplyParentRuleToBits(skip, n, rows, span);
}

// The words of the blocks read, a column a word: word j of block i of card k at column 8i + j,
// bit skip + k. Eight cards by eight words at a time where they lie whole in the card.
void CardClassifier::ToColumns(const uint16_t* cards, size_t stride, size_t n, size_t skip, size_t bits) {
    const size_t blocks = blocks_.size();
    columns_.resize((blocks * 8 + 1) * bits);
    std::fill_n(columns_.begin() + ptrdiff_t(blocks * 8 * bits), bits, 0);
    uint16_t* const to = columns_.data() + skip;
    size_t eights = 0;
#if defined(__SSE2__)
    eights = n / 8 * 8;
    for (size_t k = 0; k < eights; k += 8) {
        for (size_t b = 0; b < wholeBlocks_; ++b) {
            const uint16_t* from = cards + k * stride + size_t(blocks_[b]);
            __m128i a[8];
            for (size_t c = 0; c < 8; ++c)
                a[c] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + c * stride));
            __m128i t[8], u[8];
            for (size_t c = 0; c < 4; ++c) {
                t[2 * c] = _mm_unpacklo_epi16(a[2 * c], a[2 * c + 1]);
                t[2 * c + 1] = _mm_unpackhi_epi16(a[2 * c], a[2 * c + 1]);
            }
            for (size_t h = 0; h < 2; ++h) {  // cards 0-3, then 4-7
                u[4 * h] = _mm_unpacklo_epi32(t[4 * h], t[4 * h + 2]);
                u[4 * h + 1] = _mm_unpackhi_epi32(t[4 * h], t[4 * h + 2]);
                u[4 * h + 2] = _mm_unpacklo_epi32(t[4 * h + 1], t[4 * h + 3]);
                u[4 * h + 3] = _mm_unpackhi_epi32(t[4 * h + 1], t[4 * h + 3]);
            }
            uint16_t* column = to + 8 * b * bits + k;
            for (size_t j = 0; j < 4; ++j) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(column + 2 * j * bits),
                                 _mm_unpacklo_epi64(u[j], u[4 + j]));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(column + (2 * j + 1) * bits),
                                 _mm_unpackhi_epi64(u[j], u[4 + j]));
            }
        }
    }
#endif
    for (size_t b = 0; b < blocks; ++b) {
        const size_t first = size_t(blocks_[b]), words = std::min<size_t>(8, size_t(wordCount_) - first);
        for (size_t k = b < wholeBlocks_ ? eights : 0; k < n; ++k)
            for (size_t j = 0; j < words; ++j) to[(8 * b + j) * bits + k] = cards[k * stride + first + j];
    }
}

CardClassifier::FewSlots CardClassifier::FewSlotsOf(const ClassLookup& lookup) {
    FewSlots few;
    const ClassLookup::Tables held = lookup.Held();
    const std::vector<int64_t>& bounds = lookup.Bounds();
    if (lookup.SegmentCount() > kFewSegments) return few;
    if (held.map.table && held.map.size < 16) {
        few.way = FewSlots::Way::Table;
        few.low = held.map.low;
        few.size = held.map.size;
        for (uint32_t e = 0; e <= few.size; ++e) few.slot[e] = uint8_t(held.map.table[e]);
    } else if (!bounds.empty() && bounds.size() < 16) {
        // k bounds at or below the value: segment k of the intervals, none below or above them
        // all (a bound past 32 bits is never reached).
        few.way = FewSlots::Way::Bounds;
        for (int64_t b : bounds)
            if (b <= INT32_MAX) few.bounds[few.count++] = int32_t(b);
        for (size_t k = 1; k < bounds.size(); ++k) few.slot[k] = uint8_t(k);
    }
    return few;
}

// Slots of 16-bit words, words[b] for bit b, through a table of at most 16 entries; a bit that
// is no card's gets none.
void CardClassifier::SlotsByTable(const uint16_t* words, size_t units, const FewSlots& few,
                                  const uint8_t* inBatch, uint8_t* slots) {
#if defined(__SSE4_1__)
    const __m128i low = _mm_set1_epi16(int16_t(few.low)), size = _mm_set1_epi16(int16_t(few.size));
    const __m128i table = _mm_loadu_si128(reinterpret_cast<const __m128i*>(few.slot));
    auto load = [&](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + at)); };
    for (size_t i = 0; i < units; ++i)
        StoreSlots(slots + 16 * i,
                   SmallTableBytes(load(16 * i), load(16 * i + 8), low, size, _mm_setzero_si128(), table),
                   inBatch + 16 * i);
#else
    for (size_t b = 0; b < units * 16; ++b)
        slots[b ^ 7] =
            few.slot[std::min<uint32_t>(uint16_t(words[b] - uint16_t(few.low)), few.size)] & inBatch[b];
#endif
}

// Slots of values, values[b] for bit b, by the number of the (at most 15) bounds at or below
// each; a bit that is no card's gets none.
void CardClassifier::SlotsByBounds(const int32_t* values, size_t units, const FewSlots& few,
                                   const uint8_t* inBatch, uint8_t* slots) {
#if defined(__SSE4_1__)
    __m128i bound[16];
    for (uint32_t j = 0; j < few.count; ++j) bound[j] = _mm_set1_epi32(few.bounds[j]);
    const __m128i table = _mm_loadu_si128(reinterpret_cast<const __m128i*>(few.slot));
    const __m128i all = _mm_set1_epi32(int32_t(few.count));
    for (size_t i = 0; i < units; ++i) {
        const int32_t* v = values + 16 * i;
        __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v));
        __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 4));
        __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 8));
        __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 12));
        __m128i k0 = all, k1 = all, k2 = all, k3 = all;  // less one for each bound above
        for (uint32_t j = 0; j < few.count; ++j) {
            k0 = _mm_add_epi32(k0, _mm_cmpgt_epi32(bound[j], v0));
            k1 = _mm_add_epi32(k1, _mm_cmpgt_epi32(bound[j], v1));
            k2 = _mm_add_epi32(k2, _mm_cmpgt_epi32(bound[j], v2));
            k3 = _mm_add_epi32(k3, _mm_cmpgt_epi32(bound[j], v3));
        }
        const __m128i k = _mm_packus_epi16(_mm_packs_epi32(k0, k1), _mm_packs_epi32(k2, k3));
        StoreSlots(slots + 16 * i, _mm_shuffle_epi8(table, k), inBatch + 16 * i);
    }
#else
    for (size_t b = 0; b < units * 16; ++b) {
        uint32_t k = 0;
        for (uint32_t j = 0; j < few.count; ++j) k += uint32_t(few.bounds[j] <= values[b]);
        slots[b ^ 7] = few.slot[k] & inBatch[b];
    }
#endif
}

// Segments below 256 as bytes, bit b's at b ^ 7: a mask of sixteen compares is then two bytes of
// a row.
void CardClassifier::ToSlots(const uint16_t* segments, size_t units, const uint8_t* inBatch, uint8_t* slots) {
#if defined(__SSE4_1__)
    for (size_t i = 0; i < units; ++i) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(segments + 16 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(segments + 16 * i + 8));
        StoreSlots(slots + 16 * i, _mm_packus_epi16(a, b), inBatch + 16 * i);
    }
#else
    for (size_t b = 0; b < units * 16; ++b) slots[b ^ 7] = uint8_t(segments[b]) & inBatch[b];
#endif
}

// to[b] |= words[b] for the bits of `units` pairs of bytes.
void CardClassifier::AddWords(const uint16_t* words, size_t units, uint16_t* to) {
#if defined(__SSE2__)
    for (size_t i = 0; i < units * 2; ++i) {
        __m128i* at = reinterpret_cast<__m128i*>(to + 8 * i);
        _mm_storeu_si128(at, _mm_or_si128(_mm_loadu_si128(at),
                                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 8 * i))));
    }
#else
    for (size_t b = 0; b < units * 16; ++b) to[b] |= words[b];
#endif
}

// Each card's categories from its slot, slots[b ^ 7] for bit b of `units` pairs of bytes: for
// each segment holding categories, a mask of the cards in it, sixteen at a time, added to the
// rows of those categories.
void CardClassifier::AddSlotBits(const uint8_t* slots, size_t units, const uint32_t* starts,
                                 const int32_t* categories, uint32_t segments, uint8_t* rows, size_t span) {
    auto add = [](uint8_t* at, uint16_t mask) {  // the first card's byte first
        const uint8_t pair[2] = {uint8_t(at[0] | (mask & 0xFF)), uint8_t(at[1] | (mask >> 8))};
        std::memcpy(at, pair, 2);
    };
    for (uint32_t s = 1; s < segments; ++s) {
        const int32_t *first = categories + starts[s], *last = categories + starts[s + 1];
        if (first == last) continue;
#if defined(__SSE2__)
        const __m128i want = _mm_set1_epi8(char(s));
        auto mask = [&](size_t i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(slots + 16 * i));
            return uint16_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, want)));
        };
#else
        auto mask = [&](size_t i) {
            uint16_t m = 0;
            for (size_t j = 0; j < 16; ++j) m |= uint16_t(slots[16 * i + j] == s) << j;
            return m;
        };
#endif
        if (last - first == 1) {
            uint8_t* row = rows + size_t(*first) * span;
            for (size_t i = 0; i < units; ++i) add(row + 2 * i, mask(i));
            continue;
        }
        for (size_t i = 0; i < units; ++i) {
            const uint16_t m = mask(i);
            for (const int32_t* c = first; c != last; ++c) add(rows + size_t(*c) * span + 2 * i, m);
        }
    }
}

// Each card's one category, categories[b] for bit b of `bytes` bytes (row 0 takes the cards in
// none): a bit of every byte, then the next, so that no two sets in a row wait on one byte.
void CardClassifier::SetBitsByCategory(const uint16_t* categories, size_t bytes, uint8_t* rows, size_t span) {
    for (size_t j = 0; j < 8; ++j) {
        const uint8_t bit = uint8_t(0x80 >> j);
        const uint16_t* category = categories + j;
        for (size_t i = 0; i < bytes; ++i) rows[size_t(category[8 * i]) * span + i] |= bit;
    }
}

// Each card's categories from its segment, segments[b] for bit b, in the same order.
void CardClassifier::SetBitsBySegment(const ClassLookup::Tables& lookup, const uint16_t* segments,
                                      size_t bytes, uint8_t* rows, size_t span) const {
    for (size_t j = 0; j < 8; ++j) {
        const uint8_t bit = uint8_t(0x80 >> j);
        const uint16_t* segment = segments + j;
        for (size_t i = 0; i < bytes; ++i)
            for (uint32_t c = lookup.starts[segment[8 * i]]; c < lookup.starts[segment[8 * i] + 1]; ++c)
                rows[size_t(lookup.categories[c]) * span + i] |= bit;
    }
}

}  // namespace qv
