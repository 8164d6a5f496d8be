#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/data_files.h"
#include "platform/bytes.h"

// The outline files of the territorial base, "1-zor.dat" to "8-zor.dat". File n holds one record
// for every comune whose "dov-zor.dat" byte is n, in increasing comune number. A record of
// capacity cap holds X[1..cap], Y[1..cap] and E[1..cap] (int32): entries 1 to cap-5 are the
// outline, and the label point is (Y[cap-3], Y[cap-2]).

namespace qv {

inline constexpr int kOutlineFileCount = 8;
// The capacity of file n is entry n-1 (100, not 90, for the last file).
inline constexpr std::array<int, kOutlineFileCount> kOutlineCapacities = {20, 30, 40, 50, 60, 70, 80, 100};
inline constexpr int32_t kRingEnd = -10000;
inline constexpr int32_t kOutlineEnd = -30000;

inline int OutlineCapacity(int file) {
    return kOutlineCapacities[size_t(file - 1)];
}
inline size_t OutlineRecordSize(int file) {
    return size_t(12) * size_t(OutlineCapacity(file));
}
inline std::string OutlineFilePath(int file) {
    return DataFilePath(data_file::kFirstOutline + file - 1);
}

// One record in place; entries are numbered from 1, as the file's layout numbers them.
class OutlineRecord {
  public:
    OutlineRecord(uint8_t* bytes, int capacity) : p_(bytes), cap_(capacity) {}
    int Capacity() const { return cap_; }
    int32_t X(int j) const { return GetI32(p_ + 4 * (j - 1)); }
    int32_t Y(int j) const { return GetI32(p_ + 4 * (cap_ + j - 1)); }
    int32_t E(int j) const { return GetI32(p_ + 4 * (2 * cap_ + j - 1)); }
    void SetX(int j, int32_t v) { PutI32(p_ + 4 * (j - 1), v); }
    void SetY(int j, int32_t v) { PutI32(p_ + 4 * (cap_ + j - 1), v); }
    int32_t LabelX() const { return Y(cap_ - 3); }
    int32_t LabelY() const { return Y(cap_ - 2); }
    // The entries after it hold the label point and are never walked.
    int LastEntry() const { return cap_ - 5; }

  private:
    uint8_t* p_;
    int cap_;
};

// An entry of the walk: a vertex (X, Y) in outline units with E, the comune across its edge (0:
// the territory's outer boundary), or a mark: X at or below -10000 ends the ring collected so
// far, and -30000 ends the outline as well.
struct OutlineEntry {
    int32_t X, Y, E;
    bool EndsRing() const { return X <= kRingEnd; }
    bool EndsOutline() const { return X == kOutlineEnd; }
};

// Hands entries 1, 2, ... to `visit`, marks included, up to and with the outline end, or up to
// entry cap-5 when there is none. Returns the number of entries handed over.
template <typename Visit>
int WalkOutline(const OutlineRecord& record, Visit&& visit) {
    const int last = record.LastEntry();
    for (int j = 1; j <= last; ++j) {
        const OutlineEntry entry{record.X(j), record.Y(j), record.E(j)};
        visit(entry);
        if (entry.EndsOutline()) return j;
    }
    return last;
}

// The comuni whose outlines file `file` holds, with their record numbers from 0: `fileOf` holds
// the outline file of comune k at entry k-1.
template <typename Visit>
void ForEachOutlineOf(int file, std::span<const uint8_t> fileOf, Visit&& visit) {
    int64_t record = 0;
    for (size_t i = 0; i < fileOf.size(); ++i)
        if (fileOf[i] == file) visit(int(i + 1), record++);
}

}  // namespace qv
