#include "quick/factor_matrix_counts.h"

#include <algorithm>
#include <vector>

#include "core/core_state.h"
#include "core/prepared_snapshot.h"
#include "quick/quick_counts.h"

namespace qv {

int64_t CountSelectedCards(int32_t preparedLast) {
    return QuickCardCounter::SelectionOver(preparedLast).Count();
}

int BitMatrixCountSource::WriteCategoryLists() {
    // Refused before anything is written: the lists of the last analysis stay with its results.
    RequirePreparedGrid();
    BuildQuickLabelList();
    return WriteFactorCategoryLists(FactorRoad::Quick);
}

CooccurrenceCounts BitMatrixCountSource::Count(int listed, Progress& progress) {
    QuickCardCounter counter;
    const CardBitmap& selection = counter.Selection();
    const int wanted = std::clamp(listed, 0, kFactorColumns);

    // Each category's cards, already ANDed with the selection.
    std::vector<CardBitmap> present;
    const int lastLine = std::min(lastLine_, kFlagListSize - 1);
    for (int v = 0; v <= lastLine && int(present.size()) < wanted; ++v)
        if (QuickAfcCategoryFlags[size_t(v)])
            present.push_back(CardBitmap::Common(counter.Area(v), selection));

    const int n = int(present.size());
    CooccurrenceCounts counts;
    counts.Resize(n);
    counts.Cards = selection.Count();
    progress.SetMaximum(n);
    for (int r = 1; r <= n; ++r) {
        progress.SetPosition(r);
        for (int c = r; c <= n; ++c) {
            const int64_t both = present[size_t(r - 1)].CountCommon(present[size_t(c - 1)]);
            counts.Joint[size_t(r - 1) * size_t(n) + size_t(c - 1)] = both;
            counts.Joint[size_t(c - 1) * size_t(n) + size_t(r - 1)] = both;
        }
        counts.Frequency[size_t(r - 1)] = counts.Both(r, r);
    }
    return counts;
}

}  // namespace qv
