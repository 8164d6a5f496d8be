#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSSE3__)
#include <tmmintrin.h>
#endif
#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

// Where a value falls among the bounds of a field's classes, found without a branch on the value:
// the one lookup of the category test, for the card-by-card classifier and the bulk counter.

namespace qv {

// A value's slot, by a direct table over [low, low + size) (its entry `size`, 0, serves every
// value outside, so that no branch depends on the value), or else by the number of bounds at or
// below the value, which picks one of the segments.
struct SlotMap {
    int32_t low = 0;
    uint32_t size = 0;
    const uint16_t* table = nullptr;
    // Bounds within 32 bits (a bound above them is never reached), padded to a multiple of four
    // with INT32_MIN, and two more past that.
    const int32_t* bounds = nullptr;
    uint32_t count = 0, padded = 0;
    const uint16_t* segments = nullptr;
    // Bounds spread over a range cut into buckets of 2^shift values from `low`, each holding
    // two bounds at most past its first value: by bucket, the number of bounds at or below its
    // first value; then that of the bounds below the range (`lastBucket`, for every value above
    // it) and 0 (for every value below). At most two bounds lie outside the range on each side.
    const uint16_t* buckets = nullptr;
    uint32_t shift = 0, lastBucket = 0;
    // Dates (key year * 10000 + month * 100 + day): by year word 0..32768 (32768 for every word
    // above 32767), a block of 16 entries by month word (15 for every word above 15), each the
    // slot of days 1 to D of its month with D << 16: D is the last day before the month's first
    // bound, at most 31, and 0 where the month is not 1 to 12 or the year not above 0. Any other
    // day takes the key's way.
    const uint16_t* years = nullptr;
    const uint32_t* months = nullptr;
    size_t tableAt = SIZE_MAX, boundsAt = 0, segmentsAt = 0, bucketsAt = SIZE_MAX;  // while building
    size_t yearsAt = SIZE_MAX, monthsAt = 0;
    static constexpr uint32_t kYears = 32769;

    static constexpr uint32_t kLinearBounds = 32;  // up to these, bounds are counted, not searched

    [[gnu::always_inline]] uint16_t Find(int32_t v) const {
        if (table) return FromTable(v);
        if (buckets) return FromBuckets(v);
        if (padded <= kLinearBounds) return FromFewBounds(v);
        return FromSearch(v);
    }

    // out(k, slot of valueOf(k)) for k 0..n-1: the way the map finds a slot is chosen once, so
    // the loop over the values holds no branch on it. Here and below the loops read a copy of the
    // map, held in registers: `out` may add to unsigned counts, which could otherwise be taken to
    // change the map's fields and have them read again for every value.
    template <typename ValueOf, typename Out>
    void FindEach(size_t n, ValueOf&& valueOf, Out&& out) const {
        const SlotMap map = *this;
        auto each = [&](auto&& find) {
            for (size_t k = 0; k < n; ++k) out(k, find(valueOf(k)));
        };
        if (map.table)
            each([&map](int32_t v) { return map.FromTable(v); });
        else if (map.buckets)
            each([&map](int32_t v) { return map.FromBuckets(v); });
        else if (map.padded <= kLinearBounds)
            map.FewEach(n, valueOf, out);
        else
            each([&map](int32_t v) { return map.FromSearch(v); });
    }

    // The same for dates: dayMonthYear(k) gives the day, month and year words of value k (each
    // raw, as stored), keyOf(k) its key. A day the tables settle takes two loads; any other date
    // goes out first with slot 0, then again with the slot its key finds: slot 0 must count
    // nothing, and a later slot for the same k replaces an earlier one.
    template <typename DayMonthYear, typename KeyOf, typename Out>
    void FindEachDate(size_t n, DayMonthYear&& dayMonthYear, KeyOf&& keyOf, Out&& out) const {
        if (!years) {
            FindEach(n, keyOf, out);
            return;
        }
        const SlotMap map = *this;
        constexpr size_t kRun = 256;
        uint32_t other[kRun];
        for (size_t at = 0; at < n; at += kRun) {
            const size_t m = std::min(kRun, n - at);
            size_t others = 0;
            for (size_t k = 0; k < m; ++k) {
                const auto [day, month, year] = dayMonthYear(at + k);
                const uint32_t e = map.months[size_t(map.years[std::min<uint32_t>(year, kYears - 1)]) * 16 +
                                              std::min<uint32_t>(month, 15)];
                const bool byKey = uint16_t(day - 1) >= (e >> 16);  // day 0 wraps past every D
                other[others] = uint32_t(k);
                others += size_t(byKey);
                out(at + k, byKey ? uint16_t(0) : uint16_t(e));
            }
            // An empty date (all three words 0) has key 0.
            const uint16_t empty = others > 0 ? map.Find(0) : 0;
            for (size_t i = 0; i < others; ++i) {
                const size_t k = at + other[i];
                const auto [day, month, year] = dayMonthYear(k);
                out(k, (day | month | year) == 0 ? empty : map.Find(keyOf(k)));
            }
        }
    }

    // The same for 32-bit numbers as the cards store them: storedOf(k) gives value k's two words
    // as they lie in the card, read as one (the first word low, each word's bits reversed),
    // valueOf(k) the value. Four stored values have their bits put back in order at once; against
    // a few bounds they are compared four at a time as well.
    template <typename StoredOf, typename ValueOf, typename Out>
    void FindEachStored(size_t n, StoredOf&& storedOf, ValueOf&& valueOf, Out&& out) const {
#if defined(__SSSE3__)
        // Each word's bits reversed and the first word made the high one: every byte's nibbles
        // reversed and swapped, then each value's four bytes in reverse order.
        const __m128i reversed = _mm_setr_epi8(0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15);
        const __m128i backwards = _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
        const __m128i nibble = _mm_set1_epi8(0x0F);
        auto four = [&](size_t k) __attribute__((always_inline)) {
            const __m128i stored = _mm_setr_epi32(int32_t(storedOf(k)), int32_t(storedOf(k + 1)),
                                                  int32_t(storedOf(k + 2)), int32_t(storedOf(k + 3)));
            const __m128i low = _mm_shuffle_epi8(reversed, _mm_and_si128(stored, nibble));
            const __m128i high = _mm_shuffle_epi8(reversed, _mm_and_si128(_mm_srli_epi16(stored, 4), nibble));
            return _mm_shuffle_epi8(_mm_or_si128(_mm_slli_epi16(low, 4), high), backwards);
        };
        if (!table && !buckets && padded <= kLinearBounds) {
            const SlotMap map = *this;
            size_t k = 0;
            for (; k + 4 <= n; k += 4) map.CountFour(four(k), k, out);
            for (; k < n; ++k) out(k, map.FromFewBounds(valueOf(k)));
            return;
        }
        constexpr size_t kRun = 256;
        alignas(16) int32_t values[kRun];
        for (size_t at = 0; at < n; at += kRun) {
            const size_t m = std::min(kRun, n - at);
            size_t k = 0;
            for (; k + 4 <= m; k += 4) _mm_store_si128(reinterpret_cast<__m128i*>(values + k), four(at + k));
            for (; k < m; ++k) values[k] = valueOf(at + k);
            FindEach(
                m, [&](size_t i) { return values[i]; }, [&](size_t i, uint16_t slot) { out(at + i, slot); });
        }
#else
        FindEach(n, valueOf, out);
#endif
    }

  private:
#if defined(__SSE2__)
    // out(k + j, the slot of lane j) against a few bounds, each compared with all four lanes.
    template <typename Out>
    void CountFour(__m128i v, size_t k, Out& out) const {
        // Four bounds a load; the padding, INT32_MIN, is above no value.
        __m128i above = _mm_setzero_si128();
        for (uint32_t i = 0; i < padded; i += 4) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bounds + i));
            above = _mm_sub_epi32(above, _mm_cmpgt_epi32(_mm_shuffle_epi32(b, 0x00), v));
            above = _mm_sub_epi32(above, _mm_cmpgt_epi32(_mm_shuffle_epi32(b, 0x55), v));
            above = _mm_sub_epi32(above, _mm_cmpgt_epi32(_mm_shuffle_epi32(b, 0xAA), v));
            above = _mm_sub_epi32(above, _mm_cmpgt_epi32(_mm_shuffle_epi32(b, 0xFF), v));
        }
        alignas(16) uint32_t a[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(a), above);
        for (size_t j = 0; j < 4; ++j) out(k + j, segments[count - a[j]]);
    }
#endif
    // A few bounds, four values at a time: each bound is compared with all four at once.
    template <typename ValueOf, typename Out>
    void FewEach(size_t n, ValueOf& valueOf, Out& out) const {
        size_t k = 0;
#if defined(__SSE2__)
        for (; k + 4 <= n; k += 4)
            CountFour(_mm_setr_epi32(valueOf(k), valueOf(k + 1), valueOf(k + 2), valueOf(k + 3)), k, out);
#endif
        for (; k < n; ++k) out(k, FromFewBounds(valueOf(k)));
    }
    uint16_t FromTable(int32_t v) const {
        return table[std::min(uint32_t(v) - uint32_t(low), size)];
    }
    // Many bounds: two loads and two compares, with no branch on the value.
    uint16_t FromBuckets(int32_t v) const {
        const int64_t d = int64_t(v) - low;
        const uint64_t bucket = std::min<uint64_t>(uint64_t(d) >> shift, lastBucket);
        uint32_t k = buckets[d < 0 ? lastBucket + 1 : bucket];
        k += uint32_t(bounds[k] <= v);
        k += uint32_t(bounds[k] <= v);  // the padding past `count` is INT32_MIN: k is then cut
        return segments[std::min(k, count)];
    }
    // A few bounds: count those above v, with no branch.
    uint16_t FromFewBounds(int32_t v) const {
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
    uint16_t FromSearch(int32_t v) const {
        const int32_t* base = bounds;
        uint32_t len = count;
        while (len > 1) {  // without branches: each step's outcome is a coin toss
            const uint32_t half = len / 2;
            base += size_t(base[half - 1] <= v) * half;
            len -= half;
        }
        return segments[size_t(base - bounds) + (len == 1 && *base <= v)];
    }
};

#if defined(__SSE4_1__)
// Sixteen 16-bit words (a, then b) through a table of at most 16 bytes: word w's entry is
// min(w - low, size), wrapping below `low`, or `outside` in a lane where that is larger.
inline __m128i SmallTableBytes(__m128i a, __m128i b, __m128i low, __m128i size, __m128i outside,
                               __m128i table) {
    auto entry = [&](__m128i v) {
        return _mm_max_epu16(_mm_min_epu16(_mm_sub_epi16(v, low), size), outside);
    };
    return _mm_shuffle_epi8(table, _mm_packus_epi16(entry(a), entry(b)));
}
#endif

// The tables and bounds of a set of maps, kept together. `bounds` are sorted class bounds;
// segments[0] is the slot below them all, segments[j + 1] that of [bounds[j], bounds[j + 1]) and
// the last that above them.
class SlotStore {
  public:
    // A table over every 16-bit value, the word's bits as its index: a lookup is a load. Answers
    // whether any 16-bit value has a slot (else nothing is kept).
    bool BuildWordTable(SlotMap& m, const std::vector<int64_t>& bounds,
                        const std::vector<uint16_t>& segments);
    // A 16-bit value's map is a direct table over the bounds cut to the 16-bit range while it
    // fits `budget` entries in all; any other map searches.
    SlotMap BuildMap(const std::vector<int64_t>& bounds, const std::vector<uint16_t>& segments, bool word16,
                     size_t budget);
    // The year and month tables of a date map (see SlotMap::years), when their blocks fit in
    // 16-bit block numbers.
    void BuildDateTables(SlotMap& m, const std::vector<int64_t>& bounds,
                         const std::vector<uint16_t>& segments);
    // Once every map is built: the maps' pointers into the store.
    void FixPointers(SlotMap& m) const;
    size_t DenseEntries() const { return denseEntries_; }
    void Reserve(size_t entries) { u16_.reserve(entries); }
    // The most 16-bit entries one map of `bounds` bounds can take, with a word table or a date's
    // year table (its month entries are kept apart).
    static size_t MostEntries(size_t bounds, bool word16, bool date) {
        return bounds + 1 + kMaxBuckets + (word16 ? 65537 : 0) + (date ? SlotMap::kYears : 0);
    }

  private:
    static constexpr uint32_t kMaxBuckets = 4096;  // entries of one map's buckets
    void BuildBuckets(SlotMap& m);

    std::vector<uint16_t> u16_;
    std::vector<uint32_t> u32_;  // the dates' month entries
    std::vector<int32_t> bounds_;
    size_t denseEntries_ = 0;
};

}  // namespace qv
