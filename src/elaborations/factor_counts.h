#pragma once
#include <cstdint>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/factor_files.h"
#include "elaborations/grid_files.h"
#include "platform/progress.h"

// The first step of a factor analysis: which categories enter it, how often each category and
// each pair of categories is present on the selected cards, and the phi coefficient of every
// pair ("cor-sch.dat" / "cor-dat.dat"), from which the centroid extraction starts.

namespace qv {

// Presence counts of the N categories of an analysis over the counted cards.
struct CooccurrenceCounts {
    int Categories = 0;              // N
    int64_t Cards = 0;               // T, the counted cards
    std::vector<int64_t> Frequency;  // category k at k - 1
    std::vector<int64_t> Joint;      // categories r and c at (r - 1) * N + (c - 1)
    CardCount Files;                 // the card files read, for the cards they miss

    void Resize(int n) {
        Categories = n;
        Frequency.assign(size_t(n), 0);
        Joint.assign(size_t(n) * size_t(n), 0);
    }
    int64_t Both(int r, int c) const { return Joint[size_t(r - 1) * size_t(Categories) + size_t(c - 1)]; }
};

// Where the counts of a road come from. The standard source reads the selected cards; the
// quick one the prepared bit matrix.
class FactorCountSource {
  public:
    virtual ~FactorCountSource() = default;
    virtual FactorRoad Road() const = 0;
    // Writes the road's label and line files of the flagged categories; answers how many lines
    // it listed.
    virtual int WriteCategoryLists() = 0;
    // Counts the categories of the analysis (`listed` as WriteCategoryLists answered); the
    // counts' N is the number of categories actually kept.
    virtual CooccurrenceCounts Count(int listed, Progress& progress) = 0;
};

// The label file (labels cut to the record) and the line file (the 0-based index of each
// category, ascending) of a road, from the lines of the card grid or the quick label list: the
// flagged lines of the list, no more than the road's analysis takes. Answers the number of
// flagged lines met in the list. Raises the input/output error when the list does not open.
int WriteFactorCategoryLists(FactorRoad road);

// The categories of the road's last analysis, as its line file stores them: the 1-based list
// line of each slot, in slot order, at most FactorCategoryLimit; none without the file. Their
// number is the factor length, the V records of each factor in the loadings file, which the
// report, the rotation and the plane all read it with.
std::vector<int> FactorLines(FactorRoad road);
int FactorLength(FactorRoad road);
// Keeps the first `categories` entries of the line file: the analysis stores the length it
// actually computed.
void StoreFactorLength(FactorRoad road, int categories);

// The slots of the standard analysis: the flagged lines of "grl-sch.txt" in line order, at
// most 399 (further flagged lines are dropped). Parent links are not kept: no parent rule.
struct AfcGrid {
    CategoryGrid Slots;             // slot k as category k
    std::vector<int32_t> GridLine;  // 1-based grid line of slot k at k - 1
};
AfcGrid LoadAfcGrid(const FlagList& flags, int gridId = data_file::kGrid);

// The categories of an AfcGrid that can be present: a single-field category on field 0 or on
// a field beyond CoreState.FieldCount never is. Entry k for slot k.
std::vector<uint8_t> AfcTestableSlots(const AfcGrid& grid);

// Standard road: counts the selected cards (SelectedCards) over the slots of LoadAfcGrid and
// writes "brt-sch.dat". With no slot it writes nothing and answers counts of N = 0.
// CoreState.CurrentCard is the same afterwards. Progress: 0..last card by card.
CooccurrenceCounts CountCooccurrences(Progress& progress);

// "brt-sch.dat" read back for N categories: counts beyond the file's own total, or a pair
// above either frequency, are taken at those limits. Raises the input/output error when the
// file is missing or short.
CooccurrenceCounts ReadCooccurrenceFile(int categories);

// The phi coefficient of a pair, times 10000 and truncated, from the counted cards T (0 taken
// as 1), the cards with both categories, and with each of them.
int16_t PhiCoefficient(int64_t cards, int64_t both, int64_t rowCount, int64_t columnCount);

// Writes the road's phi matrix: N x N signed 16-bit records, row after row. Progress: the rows.
void WritePhiMatrix(const CooccurrenceCounts& counts, FactorRoad road, Progress& progress);
// The standard phi step: "brt-sch.dat" for N categories to "cor-sch.dat".
void BuildPhiMatrixFromCounts(int categories, Progress& progress);

// The road's phi matrix for N categories, row r entry c at (r - 1) * N + (c - 1). Raises the
// input/output error when the file is missing or short.
std::vector<int16_t> LoadPhiMatrix(FactorRoad road, int categories);

// The quick label list "txt-tab2.imp" of the program directory: every line of "grl-dat.txt",
// then a line per additional variable of "agg-dat.txt" (its label, "* ;", and "G0S0" on the
// first). Answers the number of lines taken from "grl-dat.txt". Raises the input/output error
// when "grl-dat.txt" does not open.
int BuildQuickLabelList();

// The standard count source: the selected cards through the card grid.
class CardCountSource : public FactorCountSource {
  public:
    FactorRoad Road() const override { return FactorRoad::Standard; }
    int WriteCategoryLists() override { return WriteFactorCategoryLists(FactorRoad::Standard); }
    CooccurrenceCounts Count(int listed, Progress& progress) override;
};

}  // namespace qv
