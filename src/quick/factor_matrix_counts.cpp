#include "quick/factor_matrix_counts.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/file_io.h"
#include "quick/preparation.h"

namespace qv {

namespace {

using Bitmap = std::vector<uint64_t>;

// Cards past the selection mask cannot be selected: the counts stop there.
int32_t CountedLast(int32_t preparedLast) {
    return std::clamp<int32_t>(preparedLast, -1, kSelectionMaskBytes * 8 - 1);
}

// The bytes of cards 0..last, with the bits past `last` cleared, packed 64 cards a word.
Bitmap PackCards(const uint8_t* bytes, int32_t last) {
    const size_t used = last >= 0 ? size_t(last) / 8 + 1 : 0;
    std::vector<uint8_t> copy(bytes, bytes + used);
    if (used > 0) copy.back() &= uint8_t(0xFF << (7 - last % 8));
    copy.resize((used + 7) / 8 * 8, 0);
    Bitmap words(copy.size() / 8);
    if (!words.empty()) std::memcpy(words.data(), copy.data(), copy.size());
    return words;
}

int64_t CountBoth(const Bitmap& x, const Bitmap& y) {
    int64_t n = 0;
    for (size_t i = 0; i < x.size(); ++i) n += std::popcount(x[i] & y[i]);
    return n;
}

}  // namespace

int64_t CountSelectedCards(int32_t preparedLast) {
    const Bitmap selection = PackCards(CardSelectionMask.data(), CountedLast(preparedLast));
    return CountBoth(selection, selection);
}

int BitMatrixCountSource::WriteCategoryLists() {
    BuildQuickLabelList();
    return WriteFactorCategoryLists(FactorRoad::Quick);
}

CooccurrenceCounts BitMatrixCountSource::Count(int listed, Progress& progress) {
    const int32_t prepared = std::max(ReadPreparedCardCount(), -1);
    const int32_t last = CountedLast(prepared);
    const Bitmap selection = PackCards(CardSelectionMask.data(), last);
    const int wanted = std::clamp(listed, 0, kFactorColumns);

    // Each category's cards, already ANDed with the selection. Only the records of an area
    // that hold cards the selection can reach are read: a card count past them (a damaged
    // "dli-dat.dat") costs no more than the largest archive.
    std::vector<Bitmap> present;
    const int64_t areaRecords = MatrixAreaRecords(prepared);
    const int64_t usedRecords = last >= 0 ? (int64_t(last) / 8) / kMatrixRecordBytes + 1 : 0;
    std::vector<uint8_t> area(size_t(usedRecords) * kMatrixRecordBytes);
    RecordFile matrix(DataFilePath(data_file::kBitMatrix), kMatrixRecordBytes, RecordFile::Mode::Read);
    const int lastLine = std::min(lastLine_, kFlagListSize - 1);
    for (int v = 0; v <= lastLine && int(present.size()) < wanted; ++v) {
        if (!QuickAfcCategoryFlags[size_t(v)]) continue;
        if (usedRecords > 0) matrix.Read(int64_t(v) * areaRecords, area.data(), usedRecords);
        Bitmap bits = PackCards(area.data(), last);
        for (size_t i = 0; i < bits.size(); ++i) bits[i] &= selection[i];
        present.push_back(std::move(bits));
    }

    const int n = int(present.size());
    CooccurrenceCounts counts;
    counts.Resize(n);
    counts.Cards = CountBoth(selection, selection);
    progress.SetMaximum(n);
    for (int r = 1; r <= n; ++r) {
        progress.SetPosition(r);
        for (int c = r; c <= n; ++c) {
            const int64_t both = CountBoth(present[size_t(r - 1)], present[size_t(c - 1)]);
            counts.Joint[size_t(r - 1) * size_t(n) + size_t(c - 1)] = both;
            counts.Joint[size_t(c - 1) * size_t(n) + size_t(r - 1)] = both;
        }
        counts.Frequency[size_t(r - 1)] = counts.Both(r, r);
    }
    return counts;
}

}  // namespace qv
