#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "platform/progress.h"

// MaxSim seriation: rows and columns of a table of grid categories are ordered so that similar
// categories stand next to each other. The counting pass finds, over the selected cards, how
// often every two chosen categories are present together and turns the conditional
// percentages into a 0/1 matrix by the threshold (CoreState.MaxSimThreshold); the ordering
// compares the 0/1 profiles of the rows (and of the columns) by the similarity index
// CoreState.SimilarityIndex and grows a chain from the most similar pair. Added categories take
// no part in the chain and are placed next to the chained one they resemble most.

namespace qv {

constexpr int kSimilarityIndexCount = 6;
// Chosen categories a run keeps (lines chosen beyond them are dropped).
constexpr int kMaxSimVariables = 399;

// The four lists, kept by the list picker in "ms-maxsm." followed by the list digit.
enum class MaxSimList { Rows = 1, Columns = 2, AddedRows = 3, AddedColumns = 4 };
std::string MaxSimListPath(MaxSimList list);

// "1) Sokal e Michner (a+b)/t" ... "6) Dice 2a/(2a+c+d)"; an index outside 0..5 gives the first.
const char* SimilarityIndexText(int index);

// Similarity of two 0/1 profiles times 10000, rounded to the nearest integer with halves to the
// even neighbour, from a (both 1), b (both 0), c (1 then 0) and d (0 then 1). A zero
// denominator gives 0.
int SimilarityScore(int index, int a, int b, int c, int d);

// The chain of one pass over the similarity matrix s (T x T, row i entry j at i * T + j, 0-based)
// of U used variables (positions 1..U) followed by M added ones. The order holds k for used
// variable k and -k for added variable k; `decided` holds the similarity that decided each step
// (the starting pair, each growth step, each added variable). Diagonal entries are the
// variables' "free" marks and are zeroed as they are chained.
struct MaxSimChain {
    std::vector<int> order;
    std::vector<int> decided;
    std::vector<std::vector<int>> steps;  // the order after each step
};
MaxSimChain BuildChain(std::vector<int> s, int used, int added);

// Counting pass: reads the four lists, "grl-sch.txt" and the selected cards (SelectedCards),
// writes "var-maxs.dat", "mat-maxs.dat" and "maxsim.txt". Answers V, the number of chosen
// categories; with none it counts nothing and removes those files, so no earlier result is
// taken for this one. The grid that does not open raises the input/output error.
// Progress: 0..last card by card. CoreState.CurrentCard is not changed. With the categories
// comes the card files' count, for the cards they miss.
struct MaxSimCount {
    int Categories = 0;
    CardCount Cards;
};
MaxSimCount CountMaxSimTable(Progress& progress);

// Both passes of the ordering (rows, then columns) from "var-maxs.dat", "mat-maxs.dat" and the
// lists: writes "maxsim1.txt"/"maxsim2.txt", "sq1-max1.dat"/"sq1-max2.dat" and
// "sq2-max1.dat"/"sq2-max2.dat". Missing or short files raise the input/output error.
void BuildMaxSimOrder();

// The final table "maxsimff.txt" from the files of the two steps above; rewrites the label
// scratch "tx2-sch.dat" (31-byte records). When the grid does not open only the title is
// written and CoreState.ProceedFlag is 0.
void WriteMaxSimTable();

// Equal neighbours in a table of 0/1 cells (row r column c at r * columns + c) among the
// vertically and horizontally adjacent pairs.
struct ConsistencyCount {
    int64_t Equal = 0, Pairs = 0;
};
ConsistencyCount ConsistencyFigure(const std::vector<uint8_t>& cells, int rows, int columns);
// The table's "SS" line: the share of equal pairs with five decimals, rounded on the exact
// ratio like the percentages; 0 without any pair.
std::string ConsistencyLine(const ConsistencyCount& count);

// The whole run of the dialog: counting, ordering and final table. Answers the card files'
// count of the counting pass; nothing when no category was chosen: every MaxSim result file is
// then removed. On an input/output error the result files are removed too, and the error is
// raised.
std::optional<CardCount> RunMaxSim(Progress& progress);

// Rewrites "tabella.txt" of the program directory with the final table (empty when there is
// none).
void CopyMaxSimTableToReport();

}  // namespace qv
