#pragma once
#include <cstdint>

#include "elaborations/factor_counts.h"

// The quick road's factor counts: category presence is read from the prepared bit matrix
// "dat-dat.dat", and every pair is counted 64 cards at a time on the bitmaps ANDed with the
// card selection.

namespace qv {

// Cards 0..preparedLast set in CardSelectionMask.
int64_t CountSelectedCards(int32_t preparedLast);

// Categories: the flagged lines 0..quickLastLine of QuickAfcCategoryFlags, in line order, at
// most 400 and no more than the label list held; category k is the k-th flagged line's area.
class BitMatrixCountSource : public FactorCountSource {
  public:
    explicit BitMatrixCountSource(int quickLastLine) : lastLine_(quickLastLine) {}
    FactorRoad Road() const override { return FactorRoad::Quick; }
    // The quick label list "txt-tab2.imp", then "saf-dat.dat" and "maf-dat.dat" from it.
    int WriteCategoryLists() override;
    // Reads "dli-dat.dat" and the areas of "dat-dat.dat"; raises the input/output error when
    // either cannot be read. Progress: the row category.
    CooccurrenceCounts Count(int listed, Progress& progress) override;

  private:
    int lastLine_;
};

}  // namespace qv
