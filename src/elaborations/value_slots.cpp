#include "elaborations/value_slots.h"

#include <climits>

namespace qv {

bool SlotStore::BuildWordTable(SlotMap& m, const std::vector<int64_t>& bounds,
                               const std::vector<uint16_t>& segments) {
    m.tableAt = u16_.size();
    u16_.resize(m.tableAt + 65536, 0);
    denseEntries_ += 65536;
    const auto table = u16_.begin() + ptrdiff_t(m.tableAt);
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
        u16_.resize(m.tableAt);
        denseEntries_ -= 65536;
    }
    return any;
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
            u16_.resize(m.tableAt + size + 1, 0);
            for (size_t j = 0; j + 1 < bounds.size(); ++j) {
                const int64_t from = std::max(bounds[j], low), to = std::min(bounds[j + 1], high);
                if (from < to)
                    std::fill(u16_.begin() + ptrdiff_t(m.tableAt) + (from - low),
                              u16_.begin() + ptrdiff_t(m.tableAt) + (to - low), segments[j + 1]);
            }
            return m;
        }
    }
    m.boundsAt = bounds_.size();
    for (int64_t b : bounds)
        if (b <= INT32_MAX) bounds_.push_back(int32_t(b));
    m.count = uint32_t(bounds_.size() - m.boundsAt);
    m.padded = (m.count + 3) / 4 * 4;
    bounds_.resize(m.boundsAt + m.padded, INT32_MIN);
    m.segmentsAt = u16_.size();
    u16_.insert(u16_.end(), segments.begin(), segments.end());
    return m;
}

void SlotStore::FixPointers(SlotMap& m) const {
    if (m.tableAt != SIZE_MAX) {
        m.table = u16_.data() + m.tableAt;
        return;
    }
    m.bounds = bounds_.data() + m.boundsAt;
    m.segments = u16_.data() + m.segmentsAt;
}

}  // namespace qv
