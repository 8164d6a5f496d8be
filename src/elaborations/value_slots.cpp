#include "elaborations/value_slots.h"

#include <climits>
#include <utility>

namespace qv {

namespace {

// Runs of tens of thousands of entries: eight at a store.
void FillRun(uint16_t* to, size_t n, uint16_t value) {
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi16(int16_t(value));
    for (; n >= 8; n -= 8, to += 8) _mm_storeu_si128(reinterpret_cast<__m128i*>(to), v);
#endif
    std::fill_n(to, n, value);
}

}  // namespace

bool SlotStore::BuildWordTable(SlotMap& m, const std::vector<int64_t>& bounds,
                               const std::vector<uint16_t>& segments) {
    bool any = false;
    for (size_t j = 0; j + 1 < bounds.size(); ++j)
        any = any || (segments[j + 1] != 0 && bounds[j] <= INT16_MAX && bounds[j + 1] > INT16_MIN);
    if (!any) return false;
    // Zeros at once (below and above every bound no class holds a value), then the runs of the
    // intervals that hold values.
    m.tableAt = u16_.size();
    u16_.resize(m.tableAt + 65536);
    uint16_t* const table = u16_.data() + m.tableAt;
    for (size_t j = 0; j + 1 < bounds.size(); ++j) {
        const int64_t from = std::max<int64_t>(bounds[j], INT16_MIN);
        const int64_t to = std::min<int64_t>(bounds[j + 1], int64_t(INT16_MAX) + 1);
        if (segments[j + 1] == 0 || from >= to) continue;
        auto fill = [&](int64_t a, int64_t b) {  // a value's bits are its entry
            if (a < b) FillRun(table + uint16_t(a), size_t(b - a), segments[j + 1]);
        };
        fill(std::max<int64_t>(from, 0), to);
        fill(from, std::min<int64_t>(to, 0));
    }
    denseEntries_ += 65536;
    return true;
}

SlotMap SlotStore::BuildMap(const std::vector<int64_t>& bounds, const std::vector<uint16_t>& segments,
                            bool word16, size_t budget) {
    SlotMap m;
    if (word16 && !bounds.empty()) {
        const int64_t low = std::max<int64_t>(bounds.front(), INT16_MIN);
        const int64_t high = std::min<int64_t>(bounds.back(), int64_t(INT16_MAX) + 1);
        const size_t size = high > low ? size_t(high - low) : 0;
        if (denseEntries_ + size <= budget) {
            denseEntries_ += size;
            m.low = int32_t(low);
            m.size = uint32_t(size);
            m.tableAt = u16_.size();
            u16_.resize(m.tableAt + size + 1);
            for (size_t j = 0; j + 1 < bounds.size(); ++j) {
                const int64_t from = std::max(bounds[j], low), to = std::min(bounds[j + 1], high);
                if (from < to)
                    FillRun(u16_.data() + m.tableAt + (from - low), size_t(to - from), segments[j + 1]);
            }
            return m;
        }
    }
    m.boundsAt = bounds_.size();
    for (int64_t b : bounds)
        if (b <= INT32_MAX) bounds_.push_back(int32_t(b));
    m.count = uint32_t(bounds_.size() - m.boundsAt);
    m.padded = (m.count + 3) / 4 * 4;
    bounds_.resize(m.boundsAt + m.padded + 2, INT32_MIN);
    m.segmentsAt = u16_.size();
    u16_.insert(u16_.end(), segments.begin(), segments.end());
    if (m.padded > SlotMap::kLinearBounds && m.count < 65536 && denseEntries_ + kMaxBuckets <= budget)
        BuildBuckets(m);
    return m;
}

// Buckets of the fewest values that keep within kMaxBuckets, over the bounds but two at most at
// either end (open classes reach far past the others); none when no such range leaves every
// bucket two bounds at most past its first value.
void SlotStore::BuildBuckets(SlotMap& m) {
    const int32_t* b = bounds_.data() + m.boundsAt;
    const uint32_t n = m.count;
    auto shiftOf = [&](uint32_t first, uint32_t last) {
        const int64_t range = int64_t(b[last]) - b[first];
        uint32_t shift = 0;
        while ((range >> shift) >= int64_t(kMaxBuckets)) ++shift;
        return shift;
    };
    // No three bounds past a bucket's first value in one bucket, those above the range included.
    auto fits = [&](uint32_t first, uint32_t shift) {
        for (uint32_t k = first; k + 2 < n; ++k)
            if (((int64_t(b[k + 2]) - b[first]) >> shift) == ((int64_t(b[k]) - b[first]) >> shift) &&
                int64_t(b[k]) - b[first] != (((int64_t(b[k]) - b[first]) >> shift) << shift))
                return false;
        return true;
    };
    uint32_t first = 0, last = 0, shift = 64;
    for (uint32_t f = 0; f <= 2; ++f)
        for (uint32_t l = n - 1; l + 3 >= n && l > f; --l) {
            const uint32_t s = shiftOf(f, l);
            if (s < shift && fits(f, s)) first = f, last = l, shift = s;
        }
    if (shift == 64) return;
    const int64_t low = b[first];
    const uint32_t count = uint32_t((int64_t(b[last]) - low) >> shift) + 1;
    std::vector<uint16_t> at(count + 2);
    uint32_t k = 0;
    for (uint32_t bucket = 0; bucket < count; ++bucket) {
        while (k < n && b[k] <= low + (int64_t(bucket) << shift)) ++k;
        at[bucket] = uint16_t(k);
    }
    at[count] = uint16_t(last + 1);
    at[count + 1] = 0;
    m.low = int32_t(low);
    m.shift = shift;
    m.lastBucket = count;
    m.bucketsAt = u16_.size();
    u16_.insert(u16_.end(), at.begin(), at.end());
    denseEntries_ += at.size();
}

void SlotStore::BuildDateTables(SlotMap& m, const std::vector<int64_t>& bounds,
                                const std::vector<uint16_t>& segments) {
    auto segmentOf = [&](int64_t key) {
        return size_t(std::upper_bound(bounds.begin(), bounds.end(), key) - bounds.begin());
    };
    // Block 0 leaves every day to the key; a year whose days all lie between two bounds has the
    // block of that interval, shared by every such year.
    auto entry = [&](size_t segment, int64_t lastDay) { return segments[segment] | uint32_t(lastDay) << 16; };
    std::vector<uint32_t> months(16, 0);
    std::vector<uint16_t> years(SlotMap::kYears, 0);
    std::vector<std::pair<size_t, uint16_t>> blockOfSegment;
    auto newBlock = [&] {
        months.resize(months.size() + 16, 0);
        return uint16_t(months.size() / 16 - 1);
    };
    auto uniform = [&](size_t segment) {
        for (const auto& [s, block] : blockOfSegment)
            if (s == segment) return block;
        const uint16_t block = newBlock();
        std::fill(months.end() - 15, months.end() - 3, entry(segment, 31));
        blockOfSegment.emplace_back(segment, block);
        return block;
    };
    size_t j = 0;  // bounds at or below the year's first day
    for (int64_t year = 1; year < int64_t(SlotMap::kYears) - 1;) {
        if (months.size() / 16 >= kMaxBuckets) return;  // too many split years: keys only
        const int64_t first = year * 10000 + 101, last = year * 10000 + 1231;
        while (j < bounds.size() && bounds[j] <= first) ++j;
        if (j == bounds.size() || bounds[j] > last) {
            // Every year up to the one that holds the next bound lies in the same interval.
            const int64_t end = j == bounds.size() ? int64_t(SlotMap::kYears) - 1
                                                   : std::min(int64_t(SlotMap::kYears) - 1,
                                                              (bounds[j] - 1231 + 9999) / 10000);
            const uint16_t block = uniform(j);
            if (end > year + 1 && months.size() / 16 >= kMaxBuckets) return;
            FillRun(years.data() + year, size_t(end - year), block);
            year = end;
            continue;
        }
        years[size_t(year)] = newBlock();
        // Days 1 to the one before the month's first bound past its first day.
        for (int64_t month = 1; month <= 12; ++month) {
            const int64_t from = year * 10000 + month * 100 + 1;
            const size_t segment = segmentOf(from);
            const int64_t lastDay =
                segment < bounds.size() ? std::min<int64_t>(bounds[segment] - from, 31) : 31;
            months[months.size() - 16 + size_t(month)] = entry(segment, lastDay);
        }
        ++year;
    }
    m.yearsAt = u16_.size();
    u16_.insert(u16_.end(), years.begin(), years.end());
    m.monthsAt = u32_.size();
    u32_.insert(u32_.end(), months.begin(), months.end());
    denseEntries_ += years.size() + months.size();
}

void SlotStore::FixPointers(SlotMap& m) const {
    if (m.yearsAt != SIZE_MAX) {
        m.years = u16_.data() + m.yearsAt;
        m.months = u32_.data() + m.monthsAt;
    }
    if (m.tableAt != SIZE_MAX) {
        m.table = u16_.data() + m.tableAt;
        return;
    }
    m.bounds = bounds_.data() + m.boundsAt;
    m.segments = u16_.data() + m.segmentsAt;
    if (m.bucketsAt != SIZE_MAX) m.buckets = u16_.data() + m.bucketsAt;
}

}  // namespace qv
